// Shared test support for the engine's test areas: the pieces every small
// fixture network needs, whatever its contents.
//
//   - private data directories and writing a table file with the data-file
//     writer while registering its logical name in the "REGISTER" group;
//   - the twelve table names the engine loads, registered without a file
//     or removed again in one call;
//   - record builders for stations (EBHF), line pairs (STEN) and node pairs
//     (GREN) with the defaults the fixtures share;
//   - Umgebung, a network directory with the engine brought up over it
//     (EbGfInitEntfernungsBerechnung) and ended again when it goes
//     (EbGfEndeEntfernungsBerechnung);
//   - the engine brought up over a compiled data set (the sample or the
//     synthetic network);
//   - a type '1' request as the main dialog fills it;
//   - fangen, which runs code inside a trap frame and reports the raise,
//     and the reading of a message record's parameters;
//   - the segment list of one direction up to its end mark.
//
// Each area keeps its own network contents, day and flag letters in a thin
// header of its own over this one.
#ifndef ZOLMA_TESTS_COMMON_TESTNETZ_H
#define ZOLMA_TESTS_COMMON_TESTNETZ_H

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dmbase.h"
#include "engine/eb.h"
#include "support/msg.h"
#include "support/utday.h"
#include "support/utname.h"
#include "tools/dmwriter/dmwriter.h"

namespace testnetz {

// True in the sanitizer build, where every request runs many times slower:
// the long differential tests take fewer origins and days there.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kLangsam = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kLangsam = true;
#else
inline constexpr bool kLangsam = false;
#endif
#else
inline constexpr bool kLangsam = false;
#endif

// ---- data directory and logical names -------------------------------------

// The logical names of the engine's twelve tables, in registration order.
inline constexpr int kTabellenAnzahl = 12;
extern const char* const kAlleTabellen[kTabellenAnzahl];

// Writes f to pfad and registers code under that name; returns the result
// of UtSetName (0 = registered).
int dateiSchreiben(const dmw::DataFile& f, const char* code, const std::filesystem::path& pfad);

// Registers every engine table as having no file.
void alleOhneDatei();

// Removes every engine table name from the "REGISTER" group.
void alleNamenEntfernen();

// ---- record builders --------------------------------------------------------

// The 14 EBHF flag letters: all `fuell`, index 5 the station kind, 8 and 9
// 'N' (kept off the 50 km list), 11 the kilometre-part letter.
std::string kennbuchstaben(char fuell, char art, char kmTeil);

// A station record with its two names, tariff area, flag characters and
// flag letters.
dmw::EbhfRecord bahnhof(std::uint32_t nr, const std::string& name, const std::string& name2,
                        std::uint16_t gebiet, const std::string& flagZeichen,
                        const std::string& buchstaben);

// A STEN pair version valid from day `ab`.
dmw::StenPair stenPaar(std::uint32_t a, std::uint32_t b, std::uint16_t km1, std::uint16_t km2,
                       std::uint16_t flags, std::uint16_t ab = 0);

// A GREN pair without route text or relation.
dmw::GrenPair grenPaar(std::uint32_t a, std::uint32_t b, std::uint16_t km1, std::uint16_t km2 = 0);

// ---- the engine over a private directory -----------------------------------

// Creates a private directory from `muster` (throws std::runtime_error when
// it cannot) and registers every engine table without a file. The area's
// layer writes its files with datei() and calls hochfahren(); the
// destructor ends the engine, removes the names and the directory.
class Umgebung {
 public:
  explicit Umgebung(const std::string& praefix);
  ~Umgebung();
  Umgebung(const Umgebung&) = delete;
  Umgebung& operator=(const Umgebung&) = delete;

  // What EbGfInitEntfernungsBerechnung returned; -1 before hochfahren().
  int initCode = -1;

 protected:
  // Writes f as "DM<code>" into the directory and registers code for it.
  void datei(const char* code, const dmw::DataFile& f);
  // Brings the engine up over the registered names into initCode.
  void hochfahren();

 private:
  std::filesystem::path dir_;
};

// ---- a compiled data set ---------------------------------------------------

// The engine's tables that the network compiler writes as files "DM" + code
// into a data folder, in the order it writes them, and those a data set
// leaves without a file.
inline constexpr const char* kDatensatzDateien[] = {"EBHF", "FBRR", "FBRW", "GREN",
                                                    "RBGT", "STEN", "TDRG"};
inline constexpr const char* kDatensatzOhneDatei[] = {"EBGG", "EBGB", "LOST", "NESR", "NGAT"};

// Registers the tables of the compiled data set in `dir` (the others as
// having no file) and initialises the engine over them. A failure names the
// step; the caller asserts on it (ASSERT_TRUE), so that the test stops.
testing::AssertionResult datensatzHochfahren(const std::string& dir);

// ---- requests and answers ---------------------------------------------------

// A type '1' request for day `tag` as the main dialog sends it: text width
// 100, one way, relation key 1, fixed point sequence.
EbAnfrage dialogAnfrage(std::int32_t von, std::int32_t nach, std::int32_t via1, std::int32_t via2,
                        UtDayNumber tag);

// The segments of one direction's list up to its end mark.
std::vector<EbAbschnitt> bisEndmarke(const EbAbschnitt* liste);

// ---- raises and messages ----------------------------------------------------

// A message record's number, subsystem and parameters.
struct Meldung {
  int nummer = 0;                    // message number
  std::string ss;                    // subsystem id
  std::vector<std::int64_t> zahlen;  // the 'd' and 'l' parameters, in order
  std::vector<std::string> texte;    // the 's' parameters, in order
};

// Reads number, subsystem and parameters out of a message record.
Meldung meldungLesen(const Meldungskontext* m);

// What a protected call ended with.
struct Ausgang {
  int code = 0;                      // raise code, 0 = no raise
  int nummer = 0;                    // message number of the raise
  std::string ss;                    // subsystem id
  std::vector<std::int64_t> zahlen;  // the numeric parameters, in order
  std::vector<std::string> texte;    // the text parameters, in order
  bool gemeldet = false;             // the raise left a message record in the frame
};

// Reports how a protected block ended with `code` and frees the record the
// raise left in the frame.
Ausgang auswerten(int code, MsgTrapFrame& frame);

// Runs fn inside a trap frame and reports how it ended.
template <class F>
Ausgang fangen(F&& fn) {
  MsgTrapFrame frame;
  const int code = MsgTry(frame, std::forward<F>(fn));
  return auswerten(code, frame);
}

}  // namespace testnetz

#endif  // ZOLMA_TESTS_COMMON_TESTNETZ_H
