// Relation text: the text-element writer with its separator table and
// status bits, and EbSucheWeg over FBRW points, with names from a station
// master that the test puts in place of the real one (which is never
// loaded and gives no names).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "engine/ebint.h"
#include "engine/ebwegetext.h"
#include "tests/wegetext/wegetext_netz.h"

namespace {

using namespace wt;

// Station master of the test: every station below 100 has the route-text
// name "Ort<n>" and the short name "K<n>".
DbLookupResult testStamm(BhfSatz* out, std::uint32_t station, UtDayNumber) {
  if (station >= 100) return kDbNotFound;
  std::memset(out, ' ', sizeof *out);
  const std::string lang = "Ort" + std::to_string(station);
  const std::string kurz = "K" + std::to_string(station);
  std::memcpy(out->routeTextName, lang.data(), lang.size());
  std::memcpy(out->shortName, kurz.data(), kurz.size());
  return kDbFound;
}

struct StammTausch {
  explicit StammTausch(WtStammAbfrage f) { EbWtStammAbfrageSetzen(f); }
  ~StammTausch() { EbWtStammAbfrageSetzen(DbGetBhf); }
};

TEST(WegetextElement, Trennzeichentabelle) {
  const char* erwartet[16] = {"", "(",  "",  "@",  "@)", "*",   ")*", "/",
                              "", "*(", "*", "@*", ")",  ")*(", ")*", "*"};
  for (std::uint32_t i = 0; i < 16; ++i) {
    EXPECT_STREQ(WtTrennzeichen(i), erwartet[i]) << i;
    EXPECT_STREQ(WtTrennzeichen(0x1230 | i), erwartet[i]) << "higher bits ignored, " << i;
  }
}

TEST(WegetextElement, Zustandswort) {
  std::uint32_t status = 0;
  std::uint32_t z = 0x1230;  // the higher bits travel along unchanged
  WtTextElement o{1, "A", 'O'};
  WtTextElement u{1, "A", 'U'};
  WtTextElement x{1, "A", 'X'};
  WtElemStatus(&o, 0, &z, &status);
  EXPECT_EQ(z, 0x1230u | WT_ART_O);
  WtElemStatus(&u, 0, &z, &status);
  EXPECT_EQ(z, 0x1230u | (WT_ART_O << 2) | WT_ART_U);
  EXPECT_EQ(status, 0u);
  // Reversed, 'O' and 'U' change places; 'M' stays.
  WtElemStatus(&o, 1, &z, &status);
  EXPECT_EQ(z & 0xFu, (WT_ART_U << 2) | WT_ART_U);
  WtElemStatus(&u, 1, &z, &status);
  EXPECT_EQ(z & 0xFu, (WT_ART_U << 2) | WT_ART_O);
  // Any other letter counts as 'M' and is reported.
  WtElemStatus(&x, 1, &z, &status);
  EXPECT_EQ(z & 0xFu, (WT_ART_O << 2) | WT_ART_M);
  EXPECT_EQ(status, WT_STATUS_ART_FREMD);
  // Without an element the current kind becomes none.
  WtElemStatus(nullptr, 0, &z, &status);
  EXPECT_EQ(z & 0xFu, WT_ART_M << 2);
  EXPECT_EQ(z & ~0xFu, 0x1230u);
}

TEST(WegetextElement, Schreiben) {
  char aus[32];
  std::uint32_t n = 99;
  std::uint32_t z = 0;
  const WtTextElement a{1, "Adorf   ", 'M'};
  EXPECT_EQ(WtElemSchreiben(&n, aus, 32, &a, 0, &z), 0u);
  EXPECT_STREQ(aus, "Adorf");
  EXPECT_EQ(n, 5u);
  const WtTextElement b{2, "B@x", 'M'};
  EXPECT_EQ(WtElemSchreiben(&n, aus, 32, &b, 0, &z), WT_STATUS_AT_ERSETZT);
  EXPECT_STREQ(aus, "*B_x");
  const WtTextElement leer{3, "   ", 'M'};
  EXPECT_EQ(WtElemSchreiben(&n, aus, 32, &leer, 0, &z), WT_STATUS_NAME_LEER);
  EXPECT_STREQ(aus, "*");
  EXPECT_EQ(n, 1u);
  const WtTextElement ohne{4, nullptr, 'M'};
  EXPECT_EQ(WtElemSchreiben(&n, aus, 32, &ohne, 0, &z), WT_STATUS_OHNE_NAME);
  EXPECT_STREQ(aus, "");
  EXPECT_EQ(n, 0u);
  // The closing separator after 'M' is empty.
  EXPECT_EQ(WtElemSchreiben(&n, aus, 32, nullptr, 0, &z), 0u);
  EXPECT_STREQ(aus, "");
}

TEST(WegetextElement, ZuWenigPlatz) {
  char aus[8];
  std::uint32_t n = 0;
  std::uint32_t z = WT_ART_M;
  const WtTextElement e{1, "Abc", 'M'};
  // "*Abc" and its NUL need 5.
  EXPECT_EQ(WtElemSchreiben(&n, aus, 4, &e, 0, &z), WT_STATUS_KEIN_PLATZ);
  EXPECT_STREQ(aus, "");
  EXPECT_EQ(n, 0u);
  z = WT_ART_M;
  EXPECT_EQ(WtElemSchreiben(&n, aus, 5, &e, 0, &z), 0u);
  EXPECT_STREQ(aus, "*Abc");
  EXPECT_EQ(n, 4u);
}

TEST(WegetextElement, FalscheArgumente) {
  char aus[8];
  std::uint32_t n = 0;
  std::uint32_t z = 0;
  const WtTextElement e{1, "A", 'M'};
  EXPECT_EQ(WtElemSchreiben(nullptr, aus, 8, &e, 0, &z), WT_STATUS_ARGUMENTE);
  EXPECT_EQ(WtElemSchreiben(&n, nullptr, 8, &e, 0, &z), WT_STATUS_ARGUMENTE);
  EXPECT_EQ(WtElemSchreiben(&n, aus, 0, &e, 0, &z), WT_STATUS_ARGUMENTE);
  EXPECT_EQ(WtElemSchreiben(&n, aus, 8, &e, 0, nullptr), WT_STATUS_ARGUMENTE);
  EXPECT_EQ(z, 0u);  // the state word is not advanced on bad arguments
}

TEST(WegetextElement, LaengeOhneBlanks) {
  EXPECT_EQ(StrLenOhneBlanks(nullptr), 0u);
  EXPECT_EQ(StrLenOhneBlanks(""), 0u);
  EXPECT_EQ(StrLenOhneBlanks("   "), 0u);
  EXPECT_EQ(StrLenOhneBlanks(" a b  "), 4u);
}

// The relations of the fixture, all of key 1 and stations local 1 .. 21.
Netz relationsNetz() {
  Netz n;
  // 10: 1 M, 2 O, 3 U, 4 M.
  n.punkt(10, 1, 1, 'M');
  n.punkt(10, 2, 2, 'O');
  n.punkt(10, 3, 3, 'U');
  n.punkt(10, 4, 4, 'M');
  // 11: only the middle points; the ends are made up.
  n.punkt(11, 1, 2, 'M');
  n.punkt(11, 2, 3, 'M');
  // 12: ends after an 'O' point.
  n.punkt(12, 1, 1, 'M');
  n.punkt(12, 2, 4, 'O');
  // 13: 21 points.
  for (std::uint16_t g = 1; g <= 21; ++g) n.punkt(13, g, g, 'M');
  // 14 and 15: 20 points 1 .. 20.
  for (std::uint16_t g = 1; g <= 20; ++g) {
    n.punkt(14, g, g, 'M');
    n.punkt(15, g, g, 'M');
  }
  // 16: a point with an unknown kind; 17: begins with 'U'.
  n.punkt(16, 1, 1, 'M');
  n.punkt(16, 2, 2, 'X');
  n.punkt(17, 1, 1, 'U');
  return n;
}

FbrrSatz relation(std::uint32_t nr, std::uint32_t von, std::uint32_t nach) {
  FbrrSatz f;
  std::memset(&f, 0, sizeof f);
  f.keyNo = 1;
  f.relationNo = nr;
  f.stations[0] = 8000000 + von;
  f.stations[1] = 8000000 + nach;
  return f;
}

class WegetextRelation : public ::testing::Test {
 protected:
  Umgebung u{relationsNetz()};
};

TEST_F(WegetextRelation, Texte) {
  ASSERT_EQ(u.initCode, 0);
  StammTausch stamm(testStamm);
  struct Fall {
    const char* name;
    std::uint32_t nr, von, nach, aktuell;
    std::int32_t umgekehrt;
    std::uint32_t status;
    const char* text;
  } faelle[] = {
      {"kinds M O U M", 10, 1, 4, 0, 0, 0, "*Ort1*(K2/K3)*Ort4"},
      {"the current station is not written again", 10, 1, 4, 1, 0, 0, "*(K2/K3)*Ort4"},
      {"reversed: 'O' and 'U' change places", 10, 1, 4, 0, 1, 0, "*Ort4*(K3/K2)*Ort1"},
      {"reversed from the current station", 10, 1, 4, 4, 1, 0, "*(K3/K2)*Ort1"},
      {"made-up ends, all 'M'", 11, 1, 4, 0, 0, 0, "*Ort1*K2*K3*Ort4"},
      {"ending after 'O': invalid pair", 12, 1, 4, 0, 0, WT_STATUS_PAAR_UNGUELTIG, nullptr},
      {"more than 20 points", 13, 1, 21, 0, 0, WT_STATUS_ARGUMENTE, nullptr},
      {"20 points and no room for the made-up end", 14, 1, 21, 0, 0, WT_STATUS_ARGUMENTE, nullptr},
      {"20 points", 15, 1, 20, 0, 0, 0,
       "*Ort1*K2*K3*K4*K5*K6*K7*K8*K9*K10*K11*K12*K13*K14*K15*K16*K17*K18*K19*Ort20"},
      {"unknown kind letter", 16, 1, 2, 0, 0, WT_STATUS_ART_FREMD, nullptr},
      {"beginning with 'U': invalid pair", 17, 1, 5, 0, 0, WT_STATUS_PAAR_UNGUELTIG, nullptr},
      {"no FBRW points: the two ends", 99, 1, 2, 0, 0, 0, "*Ort1*Ort2"},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    const FbrrSatz rel = relation(f.nr, f.von, f.nach);
    char teil[EB_WT_TEIL];
    std::memset(teil, 'x', sizeof teil);
    EXPECT_EQ(EbSucheWeg(teil, f.aktuell, &rel, f.umgekehrt, kTag), f.status);
    if (f.text != nullptr) {
      EXPECT_STREQ(teil, f.text);
    }
    // Every cursor slot of FBRW is handed back.
    for (const DbCursorSlot& s : DbFbrwSlots) EXPECT_EQ(s.inUse, 0);
  }
}

// The real station master is never loaded: the first point written has
// an empty name.
TEST_F(WegetextRelation, OhneStammdaten) {
  ASSERT_EQ(u.initCode, 0);
  const FbrrSatz rel = relation(11, 1, 4);
  char teil[EB_WT_TEIL];
  EXPECT_EQ(EbSucheWeg(teil, 0, &rel, 0, kTag), WT_STATUS_NAME_LEER);
  EXPECT_STREQ(teil, "*");
}

// A relation element in a chain: its text replaces the vias and line
// segments, and the destination cuts its last point.
TEST_F(WegetextRelation, InDerKette) {
  ASSERT_EQ(u.initCode, 0);
  StammTausch stamm(testStamm);
  struct Fall {
    std::vector<Elem> kette;
    const char* text;
    EbTextMarke m1;
  } faelle[] = {
      {{Start(1), Relation(10, 1, 4), Ziel(4)}, "*(K2/K3)", {8, 0}},
      {{Start(4), Relation(10, 1, 4, true), Ziel(1)}, "*(K3/K2)", {8, 0}},
      {{Start(1), Linie(1, 2), Via(2), Relation(10, 1, 4), Via(4), Linie(4, 5), Ziel(5)},
       "*(K2/K3)*Ort4",
       {13, 0}},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.text);
    const std::uint32_t slot = kette(f.kette);
    char feld[EB_WEGETEXT_LAENGE];
    EbTextMarke m1{0, 0xFFFF}, m2{0, 0xFFFF};
    std::uint32_t n = 0;
    std::int32_t rc = 9;
    Ausgang a = fangen([&] { rc = EbWegetextErstellen(feld, 100, slot, 0, kTag, &m1, &m2, &n); });
    ASSERT_EQ(a.code, 0) << a.nummer;
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(ohneBlanks(feld, 100), f.text);
    EXPECT_EQ(m1.laenge, f.m1.laenge);
    EXPECT_EQ(m1.start, f.m1.start);
  }
}

}  // namespace
