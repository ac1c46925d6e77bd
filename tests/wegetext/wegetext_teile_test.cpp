// The helpers of the route text on their own: station-name compaction, the
// forward and reversed forms of a description, and appending, dropping and
// cutting parts with the correction of the marks.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "engine/ebwegetext.h"

namespace {

// A name in a 20-character field, compacted; returns the field and the
// length.
std::pair<std::string, std::uint32_t> kuerzen(const std::string& name, std::uint32_t breite = 20) {
  std::string feld = name + std::string(breite - name.size(), ' ');
  const std::uint32_t n = EbKuerzeBahnhofsname(feld.data(), breite);
  return {feld, n};
}

TEST(WegetextName, Kuerzen) {
  struct Fall {
    const char* name;
    const char* ergebnis;
    std::uint32_t laenge;
  } faelle[] = {
      {"Hamburg Hbf", "Hamburg", 7},
      {"Neustadt (Weinstr)", "Neustadt", 8},
      {"  Frankfurt  (Main)", "Frankfurt", 9},  // leading blanks and runs go
      {"Koeln hBF Messe", "Koeln Messe",
       11},                         // any case; the blank after it follows a dropped character
      {"A (b (c) d) E", "A E", 3},  // nested asides
      {"Halle)x", "Hallex", 6},     // a ')' without '(' is dropped
      {"A(b) C", "AC", 2},          // a blank after a dropped character goes
      {"", "", 0},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    auto [feld, n] = kuerzen(f.name);
    EXPECT_EQ(n, f.laenge);
    std::string erwartet = std::string(f.ergebnis);
    erwartet += std::string(20 - erwartet.size(), ' ');
    EXPECT_EQ(feld, erwartet);
  }
  // "Hbf" goes only when all three characters lie within the length.
  std::string feld = "XHbf";
  EXPECT_EQ(EbKuerzeBahnhofsname(feld.data(), 3), 3u);
  EXPECT_EQ(feld, "XHbf");
  EXPECT_EQ(EbKuerzeBahnhofsname(feld.data(), 4), 1u);
  EXPECT_EQ(feld, "X   ");
}

TEST(WegetextBeschreibung, VorwaertsForm) {
  struct Fall {
    const char* stored;
    const char* form;
  } faelle[] = {
      {"#A#B", "A*B"}, {"<X>#Y", "<X>Y"}, {"A#<X>", "A*<X>"}, {"A#(B/C)#D", "A*(B/C)*D"}, {"", ""},
  };
  for (const Fall& f : faelle)
    EXPECT_STREQ(EbWtRauteZuStern(static_cast<std::uint32_t>(std::strlen(f.stored)), f.stored),
                 f.form)
        << f.stored;
  // Only the given length is read.
  EXPECT_STREQ(EbWtRauteZuStern(2, "#A#B"), "A");
}

// Worked examples of the reversed form: the same parts in the opposite
// order; groups and asides as units, their inside unchanged but for '#'
// written as '*'; separators as the forward form writes them: '*' between
// parts, none directly after a group, never doubled, none at either end.
TEST(WegetextBeschreibung, UmgekehrteForm) {
  struct Fall {
    const char* stored;
    const char* form;
  } faelle[] = {
      {"Nordkreuz#Alpha#Beta#Suedpunkt", "Suedpunkt*Beta*Alpha*Nordkreuz"},
      {"#A#B", "B*A"},             // no separator at the start...
      {"A##B#", "B*A"},            // ...none doubled, none at the end
      {"A*B", "B*A"},              // a stored '*' separates too
      {"A#<X*Y>#B", "B*<X*Y>A"},   // the group as a unit; none after '>'
      {"<X#Y>#A", "A*<X*Y>"},      // inside a group '#' becomes '*'
      {"<X><Y>", "<Y><X>"},        // two groups change places
      {"<X>Y", "Y<X>"},            // a group is a part of its own
      {"A#(B/C)#D", "D*(B/C)*A"},  // an aside standing alone: unchanged
      {"A(x)#B", "B*A(x)"},        // an aside inside a name stays with it
      {"A/B#C", "C*A/B"},          // an alternative is one part
      {"A#<X", "<X*A"},            // an open bracket is an ordinary character
      {"", ""},
  };
  for (const Fall& f : faelle)
    EXPECT_STREQ(
        EbWtGruppenAufbereiten(static_cast<std::uint32_t>(std::strlen(f.stored)), f.stored), f.form)
        << f.stored;
}

TEST(WegetextBeschreibung, ErstenTeilWeglassen) {
  struct Fall {
    const char* text;
    const char* rest;
  } faelle[] = {{"A*B*C", "B*C"},
                {"*A*B", "B"},
                {"ABC", ""},
                {"A*", ""},
                {"", ""},
                // A leading group is one part and is never torn.
                {"<Markt Bibart*Iphofen>Neustadt/Aisch", "Neustadt/Aisch"},
                {"<X*Y>*Z", "Z"},
                {"<X*Y>", ""},
                {"<X*Y", "Y"}};
  for (const Fall& f : faelle) {
    char puffer[64];
    std::strcpy(puffer, f.text);
    std::uint32_t n = static_cast<std::uint32_t>(std::strlen(puffer));
    EbWtTextAbStern(&n, puffer);
    EXPECT_EQ(std::string(puffer, n), f.rest) << f.text;
    EXPECT_EQ(n, std::strlen(f.rest));
  }
}

// A 20-character field holding text, with the room that is left.
struct Feld {
  char text[21];
  std::uint32_t rest;
  explicit Feld(const char* inhalt) {
    std::memset(text, ' ', 20);
    text[20] = '\0';
    std::memcpy(text, inhalt, std::strlen(inhalt));
    rest = 20 - static_cast<std::uint32_t>(std::strlen(inhalt));
  }
  std::string str() const {
    std::string s(text, 20);
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
  }
};

TEST(WegetextTeile, AnfuegenAnGruppenGrenzen) {
  EbTextMarke marken[2] = {{3, 0}, {0, 0xFFFF}};
  std::int32_t rc = 0;
  // A '<' part after a trailing '*' replaces that '*'.
  Feld f("*A*");
  EXPECT_EQ(EbWtTeilAnfuegen(f.text, 20, &f.rest, "<B>", &rc, marken), 3u);
  EXPECT_EQ(f.str(), "*A<B>");
  EXPECT_EQ(f.rest, 15u);
  EXPECT_EQ(marken[0].laenge, 2);  // the '*' given up leaves the mark
  EXPECT_EQ(rc, 0);
  // A '*' part after a trailing '>' is written without its '*'.
  EXPECT_EQ(EbWtTeilAnfuegen(f.text, 20, &f.rest, "*C", &rc, marken), 1u);
  EXPECT_EQ(f.str(), "*A<B>C");
  // Otherwise parts follow each other as they are.
  EXPECT_EQ(EbWtTeilAnfuegen(f.text, 20, &f.rest, "<D>", &rc, marken), 3u);
  EXPECT_EQ(f.str(), "*A<B>C<D>");
  EXPECT_EQ(f.rest, 11u);
}

TEST(WegetextTeile, AnfuegenBeiUeberlauf) {
  EbTextMarke marken[2] = {{15, 0}, {0, 0xFFFF}};
  std::int32_t rc = 0;
  // The text's '$' parts go first; when that is not enough, the part's own.
  Feld f("^Efghijklmno$Ab");
  EXPECT_EQ(EbWtTeilAnfuegen(f.text, 20, &f.rest, "$Xy*Klmnop", &rc, marken), 7u);
  EXPECT_EQ(rc, 1);
  EXPECT_EQ(f.str(), "^Efghijklmno*Klmnop");
  EXPECT_EQ(f.rest, 1u);
  EXPECT_EQ(marken[0].laenge, 12);
  // A part that fits nowhere: as much as fits is written, result -1.
  Feld g("^Ab");
  rc = 0;
  EXPECT_EQ(EbWtTeilAnfuegen(g.text, 20, &g.rest, "*abcdefghijklmnopqrstuvwxyz", &rc, marken), 17u);
  EXPECT_EQ(rc, -1);
  EXPECT_EQ(g.rest, 0u);
}

TEST(WegetextTeile, DollarTeilEntfernen) {
  char t[] = "$Ab*Cd$Ef^Gh";
  EbTextMarke marken[3] = {{12, 0}, {2, 5}, {4, 0xFFFF}};
  EXPECT_EQ(EbTextErsetzeDollar(t, 12, marken, 3), 9u);
  EXPECT_STREQ(t, "*Cd$Ef^Gh   ");
  EXPECT_EQ(marken[0].start, 0);
  EXPECT_EQ(marken[0].laenge, 9);  // spans the removal: shortened
  EXPECT_EQ(marken[1].start, 2);   // begins behind it: moved back
  EXPECT_EQ(marken[1].laenge, 2);
  EXPECT_EQ(marken[2].start, 0xFFFF);  // absent: untouched
  EXPECT_EQ(marken[2].laenge, 4);
  EXPECT_EQ(EbTextErsetzeDollar(t, 9, nullptr, 0), 6u);  // up to the next '^'
  EXPECT_STREQ(t, "*Cd^Gh      ");
  EXPECT_EQ(EbTextErsetzeDollar(t, 6, nullptr, 0), 6u);  // no '$' left
  char u[] = "$A<B>$C$D";
  EXPECT_EQ(EbTextErsetzeDollar(u, 9, nullptr, 0), 7u);  // up to '<'
  EXPECT_STREQ(u, "<B>$C$D  ");
  EXPECT_EQ(EbTextErsetzeDollar(u, 7, nullptr, 0), 5u);  // up to the next '$'
  EXPECT_STREQ(u, "<B>$D    ");
}

TEST(WegetextTeile, PositionenVerschieben) {
  EbTextMarke m[3] = {{4, 0}, {6, 4}, {3, 12}};
  EbVerschiebePositionen(3, m, 2, 5);  // inside the second mark
  EXPECT_EQ(m[0].start, 0);
  EXPECT_EQ(m[0].laenge, 4);  // ends before: stays
  EXPECT_EQ(m[1].start, 4);
  EXPECT_EQ(m[1].laenge, 4);
  EXPECT_EQ(m[2].start, 10);  // behind: moves back
  EXPECT_EQ(m[2].laenge, 3);

  // A removal that runs on into the next mark, or past a mark's end, takes
  // from each mark only what lay inside it.
  EbTextMarke n[2] = {{4, 0}, {6, 4}};  // 0..3 and 4..9
  EbVerschiebePositionen(2, n, 6, 2);   // removes 2..7
  EXPECT_EQ(n[0].start, 0);
  EXPECT_EQ(n[0].laenge, 2);
  EXPECT_EQ(n[1].start, 2);
  EXPECT_EQ(n[1].laenge, 2);
}

TEST(WegetextTeile, LetztenTeilAbschneiden) {
  struct Fall {
    const char* text;
    const char* rest;
  } faelle[] = {
      {"$Ab*Cd", "$Ab"},
      {"*<A*B>C", "*<A*B>"},  // the part behind a group
      {"*<A*B>", "*<A*B>"},   // a text ending in '>' has no part behind it
      {"^Ab", ""},
      {"abc", "abc"},  // no part marker: nothing changes
      {"", ""},        // an empty text stays empty
  };
  for (const Fall& f : faelle) {
    Feld feld(f.text);
    EbTextMarke marken[2] = {{static_cast<std::int32_t>(std::strlen(f.text)), 0}, {0, 0xFFFF}};
    EbWtZeileKuerzen(feld.text, 20, &feld.rest, marken);
    EXPECT_EQ(feld.str(), f.rest) << f.text;
    EXPECT_EQ(feld.rest, 20 - std::strlen(f.rest)) << f.text;
    EXPECT_EQ(marken[0].laenge, static_cast<std::int32_t>(std::strlen(f.rest))) << f.text;
  }
}

}  // namespace
