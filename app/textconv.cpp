// textconv.cpp - text conversion for display and printing.
#include "app/textconv.h"

#include <cstring>

void TrimRight(char* text) {
  if (!text) return;
  size_t n = std::strlen(text);
  while (n > 0 && text[n - 1] == ' ') text[--n] = '\0';
}

void DosToAnsi(char* text) {
  if (!text) return;
  for (unsigned char* p = reinterpret_cast<unsigned char*>(text); *p; ++p) {
    switch (*p) {
      case 0x81:
        *p = 0xFC;
        break;  // ü
      case 0x84:
        *p = 0xE4;
        break;  // ä
      case 0x8E:
        *p = 0xC4;
        break;  // Ä
      case 0x94:
        *p = 0xF6;
        break;  // ö
      case 0x99:
        *p = 0xD6;
        break;  // Ö
      case 0x9A:
        *p = 0xDC;
        break;  // Ü
      case 0xE1:
        *p = 0xDF;
        break;  // ß
      default:
        break;
    }
  }
}

void Din66003ToAnsi(char* text) {
  if (!text) return;
  for (unsigned char* p = reinterpret_cast<unsigned char*>(text); *p; ++p) {
    switch (*p) {
      case '[':
        *p = 0xC4;
        break;
      case '\\':
        *p = 0xD6;
        break;
      case ']':
        *p = 0xDC;
        break;
      case '{':
        *p = 0xE4;
        break;
      case '|':
        *p = 0xF6;
        break;
      case '}':
        *p = 0xFC;
        break;
      case '~':
        *p = 0xDF;
        break;
      default:
        break;
    }
  }
}
