// cp1252.h - Windows-1252 <-> UTF-8 at the edge of the terminal.
//
// The dialog model keeps its texts in code page 1252; the terminal speaks
// UTF-8. These two functions convert between them. A character that code
// page 1252 cannot hold becomes '?'.
#ifndef ZOLMA_PLATFORM_UI_CP1252_H
#define ZOLMA_PLATFORM_UI_CP1252_H

#include <string>

std::string Cp1252ToUtf8(const std::string& text);
// One Unicode code point to its code page 1252 byte; 0 when there is none.
unsigned char UnicodeToCp1252(unsigned codePoint);
std::string Utf8ToCp1252(const std::string& text);

#endif  // ZOLMA_PLATFORM_UI_CP1252_H
