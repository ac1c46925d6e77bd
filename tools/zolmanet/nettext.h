/*
** Text and date conversions of the network compiler.
**
** The description is written in UTF-8. The data files want three other
** forms: station names and route descriptions in the DOS code page (850),
** message texts in the German 7-bit code (DIN 66003), and station-name keys
** in the normalised form that the station-name lookup builds from a typed
** Windows-1252 text. Dates are written YYYY-MM-DD and stored as day numbers
** counted from 1.1.1980. This module owns these conversions; each reports a
** failure as a text for the caller to place at a file and line.
*/
#ifndef ZOLMA_ZOLMANET_NETTEXT_H
#define ZOLMA_ZOLMANET_NETTEXT_H

#include <cstdint>
#include <optional>
#include <string>

namespace zolmanet {

/* UTF-8 to the DOS code page. Only ASCII and the German letters Ä Ö Ü ä ö
** ü ß (the letters the dialog converts for display) are accepted; on
** failure *err names the character and nullopt is returned. */
std::optional<std::string> ToDos(const std::string& utf8, std::string* err);

/* UTF-8 to DIN 66003: Ä Ö Ü ä ö ü ß become [ \ ] { | } ~. The ASCII
** characters [ \ ] { | } ~ themselves cannot be written in this code and
** are refused, as is every other non-ASCII character. */
std::optional<std::string> ToDin66003(const std::string& utf8, std::string* err);

/* UTF-8 to Windows-1252 (Latin-1 range only). */
std::optional<std::string> ToWin1252(const std::string& utf8, std::string* err);

/* The station-name key of a name: its Windows-1252 form upper-cased in a
** to z, every umlaut and ß replaced by two letters, cut to 20 characters,
** trailing blanks removed. */
std::optional<std::string> PbhfKey(const std::string& utf8, std::string* err);

/* A text fit for a terminal: every control character (C0, DEL, C1) and
** every byte that is no part of a UTF-8 character written as \xNN. */
std::string Showable(const std::string& text);

/* Number of bytes of a text that are not text: control characters other
** than tab, line feed, carriage return and form feed, and bytes that are
** no part of a UTF-8 character. */
size_t NonTextBytes(const std::string& text);

/* Number of characters (code points) of a UTF-8 text. */
size_t Utf8Length(const std::string& utf8);

/* Day numbers: days since 1.1.1980. */
int64_t DaysFromCivil(int y, unsigned m, unsigned d);
/* "YYYY-MM-DD" to a day number usable as a valid-from (below 0x8000, since
** bit 15 marks a withdrawn record). */
std::optional<uint16_t> ParseDay(const std::string& text, std::string* err);
/* Day number to "YYYY-MM-DD". */
std::string DayText(uint16_t day);
/* "YYYY-MM-DD" or "YYYY-MM-DDTHH:MM:SS" (UTC) to seconds since 1.1.1970. */
std::optional<int64_t> ParseTime(const std::string& text, std::string* err);
std::string TimeText(int64_t seconds);

}  // namespace zolmanet

#endif
