// Debug log and byte-string helpers.
//
// The debug log writes formatted lines to a process-wide stream when one is
// set; the stream is null at start and nothing in the system sets it. Only
// levels 3 and above are written (1 detailed traces, 3 version banners, 4
// out-of-memory lines).
//
// The text helpers work on fixed-width byte strings with the bytes taken as
// unsigned: trimming, translating through a 256-byte table, reversing, and
// reading a signed decimal number from a field. White space means exactly
// blank, tab, newline, vertical tab, form feed and carriage return,
// independent of the locale. No helper reads or writes outside the given
// bytes for a negative or zero size.
#ifndef ZOLMA_SUPPORT_UTLOG_H
#define ZOLMA_SUPPORT_UTLOG_H

#include <cstddef>
#include <cstdio>

inline constexpr int kUtLogMinLevel = 3;

// The log stream (null: no log). Nothing in the system sets it; tests and
// debug sessions do.
void UtLogSetStream(std::FILE* stream);
std::FILE* UtLogStream();

// When the stream is set and level >= 3: the formatted text, a newline, and
// a flush (UtLogWriteNoFlush: no flush).
void UtLogWrite(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));
void UtLogWriteNoFlush(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));

// True for blank, \t, \n, \v, \f, \r.
inline constexpr bool StrIsSpace(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Removes trailing white space by putting the terminator after the last other
// character; returns text; null gives null.
char* StrTrimRight(char* text);

// Replaces each of the n bytes b by table[b]; nothing when bytes or table is
// null. Returns bytes.
unsigned char* StrTranslate(unsigned char* bytes, std::size_t n, const unsigned char table[256]);

// StrTranslate of n bytes with the German 7-bit table, in place: the DOS
// code page's German letters to DIN 66003 (German ISO 646), 0x00-0x7F
// unchanged; 0x81 '}', 0x84 '{', 0x8E '[', 0x94 '|', 0x99 '\', 0x9A ']',
// 0xE1 '~'; every other byte from 0x80 a blank. n <= 0 or null bytes:
// nothing. Returns bytes.
char* UtToGerman7Bit(char* bytes, int n);

// Same pointers: reverses the n bytes in place; otherwise writes the n bytes
// of source into target in reverse order (the ranges must not overlap
// otherwise). Null pointers: nothing.
void StrReverse(char* target, const char* source, std::size_t n);

// Reads a signed decimal number from the first length characters of field
// (stopping early at a terminator). *error := 0 on success, 1 when the field
// is empty, blank, a sign alone, has no digits, overflows (magnitude above
// 2147483647: result 0), or has other characters after the number (the
// number read is still returned). Length <= 0 or a null field: 0 with error.
// error may be null.
int StrToIntFeld(const char* field, int length, int* error);

#endif  // ZOLMA_SUPPORT_UTLOG_H
