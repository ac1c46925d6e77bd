// textconv.h - trailing blanks and the DOS code page.
//
// Station names and route texts come from the tables as blank-padded
// fields in a DOS code page; the dialog shows and prints them in the
// Windows character set. Message texts come in the German 7-bit code.
#ifndef ZOLMA_APP_TEXTCONV_H
#define ZOLMA_APP_TEXTCONV_H

// Removes trailing blanks (0x20 only) in place; null does nothing.
void TrimRight(char* text);
// Converts the DOS code page's German letters to code page 1252 in place.
void DosToAnsi(char* text);
// Converts a message text in the German 7-bit code ([ \ ] { | } ~ for
// Ä Ö Ü ä ö ü ß) to code page 1252 in place.
void Din66003ToAnsi(char* text);

#endif  // ZOLMA_APP_TEXTCONV_H
