// druckbilder.cpp - the program's pictures, drawn here pixel by pixel: the
// logo of the printed pages (bitmap 133), the logo of the main dialog
// (bitmap 136) and the icon (128).
//
// Each is the word "ZOLMA" (or its "Z") in white block letters on a blue
// band above a red track, registered with the printing layer as a bitmap
// resource of the program.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "app/druck.h"
#include "app/resource.h"

namespace {

constexpr std::uint32_t kWeiss = 0xFFFFFF;
constexpr std::uint32_t kBlau = 0x1F3A93;
constexpr std::uint32_t kRot = 0xC0392B;
constexpr std::uint32_t kGrau = 0x7F7F7F;

// Block letters, 5 x 7, one row a string.
const char* glyph(char c) {
  switch (c) {
    case 'Z':
      return "#####"
             "....#"
             "...#."
             "..#.."
             ".#..."
             "#...."
             "#####";
    case 'O':
      return ".###."
             "#...#"
             "#...#"
             "#...#"
             "#...#"
             "#...#"
             ".###.";
    case 'L':
      return "#...."
             "#...."
             "#...."
             "#...."
             "#...."
             "#...."
             "#####";
    case 'M':
      return "#...#"
             "##.##"
             "#.#.#"
             "#.#.#"
             "#...#"
             "#...#"
             "#...#";
    default:  // 'A'
      return ".###."
             "#...#"
             "#...#"
             "#####"
             "#...#"
             "#...#"
             "#...#";
  }
}

struct Bild {
  int w, h;
  std::vector<std::uint32_t> px;
  Bild(int width, int height)
      : w(width), h(height), px(static_cast<size_t>(width) * static_cast<size_t>(height), kWeiss) {}
  void rechteck(int x, int y, int cx, int cy, std::uint32_t farbe) {
    for (int j = y; j < y + cy; ++j)
      for (int i = x; i < x + cx; ++i)
        if (i >= 0 && i < w && j >= 0 && j < h)
          px[static_cast<size_t>(j) * static_cast<size_t>(w) + static_cast<size_t>(i)] = farbe;
  }
  void text(const std::string& s, int x, int y, int zoom) {
    for (char c : s) {
      const char* g = glyph(c);
      for (int row = 0; row < 7; ++row)
        for (int col = 0; col < 5; ++col)
          if (g[row * 5 + col] == '#') rechteck(x + col * zoom, y + row * zoom, zoom, zoom, kWeiss);
      x += 6 * zoom;
    }
  }
};

// The band with the word, centred, and the track below it.
Bild zeichne(int w, int h, const std::string& wort, int zoom) {
  Bild b(w, h);
  int gleis = std::max(3, h / 8);
  int band = h - gleis - 1;
  b.rechteck(0, 0, w, band, kBlau);
  int textW = static_cast<int>(wort.size()) * 6 * zoom - zoom;
  b.text(wort, (w - textW) / 2, (band - 7 * zoom) / 2, zoom);
  int schiene = band + 1;
  for (int x = 1; x < w; x += std::max(3, gleis + 1))
    b.rechteck(x, schiene, std::max(1, gleis / 2), gleis, kGrau);
  b.rechteck(0, schiene, w, 1, kRot);
  b.rechteck(0, schiene + gleis - 1, w, 1, kRot);
  return b;
}

void registriere(int id, const Bild& b) { PrRegisterBitmap(id, b.w, b.h, b.px.data()); }

}  // namespace

void ZolmaBilderRegistrieren() {
  static bool fertig = false;
  if (fertig) return;
  fertig = true;
  registriere(IDB_LOGO_DRUCK, zeichne(200, 60, "ZOLMA", 6));
  registriere(IDB_LOGO_DIALOG, zeichne(138, 36, "ZOLMA", 4));
  registriere(IDR_MAINFRAME, zeichne(32, 32, "Z", 3));
}
