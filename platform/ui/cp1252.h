// cp1252.h - Windows-1252 <-> UTF-8 for the printing layer and the tests.
//
// The dialog model keeps its texts in code page 1252; PDF text and UTF-8
// source literals are UTF-8. Both directions go through iconv (termtext.h).
// A character that the target cannot hold becomes '?', as does a byte
// that is no character at all.
#ifndef ZOLMA_PLATFORM_UI_CP1252_H
#define ZOLMA_PLATFORM_UI_CP1252_H

#include <string>

std::string Cp1252ToUtf8(const std::string& text);
std::string Utf8ToCp1252(const std::string& text);

#endif  // ZOLMA_PLATFORM_UI_CP1252_H
