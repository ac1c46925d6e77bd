// Route text of whole chains: one table of chains against the texts they
// give without and with option 0x01 (keep '^'), the marks, the results of
// overflow, and the raises of the walk.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/ebint.h"
#include "engine/ebwegetext.h"
#include "tests/wegetext/wegetext_netz.h"

namespace {

using namespace wt;

struct Ergebnis {
  std::int32_t rc = 0;
  std::string text;  // without trailing blanks
  std::string feld;  // the whole field
  EbTextMarke m1{0, 0xFFFF};
  EbTextMarke m2{0, 0xFFFF};
  std::uint32_t benutzt = 0;
};

Ergebnis erstellen(std::uint32_t slot, std::uint32_t breite, std::uint32_t optionen) {
  Ergebnis e;
  char feld[EB_WEGETEXT_LAENGE];
  std::memset(feld, 'x', sizeof feld);
  Ausgang a = fangen([&] {
    e.rc = EbWegetextErstellen(feld, breite, slot, optionen, kTag, &e.m1, &e.m2, &e.benutzt);
  });
  EXPECT_EQ(a.code, 0) << "raise " << a.ss << a.nummer;
  e.feld.assign(feld, breite);
  e.text = ohneBlanks(feld, breite);
  return e;
}

struct Fall {
  const char* name;
  std::vector<Elem> kette;
  std::uint32_t breite;
  std::uint32_t optionen;  // besides 0x01
  const char* text;        // without 0x01
  const char* textDach;    // with 0x01
  std::int32_t rc;
  EbTextMarke m1;  // rail mark
};

class WegetextKette : public ::testing::Test {
 protected:
  Umgebung u;
};

TEST_F(WegetextKette, TabelleDerKetten) {
  ASSERT_EQ(u.initCode, 0);
  const Fall faelle[] = {
      {"via alone",
       {Start(1), Linie(1, 2), Via(2), Linie(2, 3), Ziel(3)},
       100,
       0,
       "*Bedorf",
       "^Bedorf",
       0,
       {7, 0}},
      {"two line segments: '$' and the second name of the middle station",
       {Start(1), Linie(1, 2), Linie(2, 3), Ziel(3)},
       100,
       0,
       "$Bdf",
       "$Bdf",
       0,
       {4, 0}},
      {"reversed line segments in travel order",
       {Start(3), Linie(2, 3, true), Linie(1, 2, true), Ziel(1)},
       100,
       0,
       "$Bdf",
       "$Bdf",
       0,
       {4, 0}},
      {"node segment forward: first part dropped at the current station, last cut at the "
       "destination",
       {Start(100), Knoten(100, 300, 7), Ziel(300)},
       100,
       0,
       "*Alpha*Beta",
       "*Alpha*Beta",
       0,
       {11, 0}},
      {"node segment reversed: the description in reversed form",
       {Start(300), Knoten(100, 300, 7, true), Ziel(100)},
       100,
       0,
       "*Beta*Alpha",
       "*Beta*Alpha",
       0,
       {11, 0}},
      {"direction letter 'J': stored against the segment, so read in reversed form",
       {Start(100), Knoten(100, 300, 7, false, 'J'), Ziel(300)},
       100,
       0,
       "*Suedpunkt*Beta*Alpha*Nordkreuz",
       "*Suedpunkt*Beta*Alpha*Nordkreuz",
       0,
       {31, 0}},
      {"description between line segments keeps both ends",
       {Start(1), Linie(1, 100), Knoten(100, 300, 7), Linie(3, 300, true), Ziel(3)},
       100,
       0,
       "*Nordkreuz*Alpha*Beta*Suedpunkt",
       "*Nordkreuz*Alpha*Beta*Suedpunkt",
       0,
       {31, 0}},
      {"node segment without route text names its ends by '$'",
       {Start(1), Linie(1, 100), Knoten(100, 200, 0), Linie(3, 200, true), Ziel(3)},
       100,
       0,
       "$Nkz$Mit",
       "$Nkz$Mit",
       0,
       {8, 0}},
      {"via after a node segment ending there cuts the description's last part",
       {Start(100), Knoten(100, 300, 7), Via(300), Linie(3, 300, true), Ziel(3)},
       100,
       0,
       "*Alpha*Beta*Suedpunkt",
       "*Alpha*Beta^Suedpunkt",
       0,
       {21, 0}},
      {"'*' part after a part ending in '>' loses its '*'",
       {Start(100), Knoten(100, 300, 8), Knoten(200, 300, 9, true), Ziel(200)},
       100,
       0,
       "*<Alpha*Beta>Gamma",
       "*<Alpha*Beta>Gamma",
       0,
       {18, 0}},
      {"compact names (option 0x02)",
       {Start(1), Linie(1, 6), Via(6), Linie(6, 7), Via(7), Linie(7, 5), Ziel(5)},
       100,
       EB_WT_KURZNAMEN,
       "*Hamburg*Neustadt",
       "^Hamburg^Neustadt",
       0,
       {17, 0}},
      {"names without compaction keep Hbf and the aside",
       {Start(1), Linie(1, 6), Via(6), Linie(6, 7), Via(7), Linie(7, 5), Ziel(5)},
       100,
       0,
       "*Hamburg Hbf*Neustadt (Weinstr)",
       "^Hamburg Hbf^Neustadt (Weinstr)",
       0,
       {31, 0}},
      {"relation station at the start (option 0x04) counts as the current station",
       {Start(1, 100), Knoten(100, 300, 7), Linie(3, 300, true), Ziel(3)},
       100,
       EB_WT_REL_START,
       "*Alpha*Beta*Suedpunkt",
       "*Alpha*Beta*Suedpunkt",
       0,
       {21, 0}},
      {"relation station at the end (option 0x08) cuts as the destination",
       {Start(1), Linie(1, 100), Knoten(100, 300, 7), Ziel(4, 300)},
       100,
       EB_WT_REL_ENDE,
       "*Nordkreuz*Alpha*Beta",
       "*Nordkreuz*Alpha*Beta",
       0,
       {21, 0}},
      {"overflow drops the oldest '$' part first (result 1)",
       {Start(1), Linie(1, 2), Linie(2, 3), Linie(3, 4), Linie(4, 5), Ziel(5)},
       11,
       0,
       "$Cdf$Ddf",
       "$Cdf$Ddf",
       1,
       {8, 0}},
      {"exactly full: nothing dropped",
       {Start(1), Linie(1, 2), Linie(2, 3), Linie(3, 4), Linie(4, 5), Ziel(5)},
       12,
       0,
       "$Bdf$Cdf$Ddf",
       "$Bdf$Cdf$Ddf",
       0,
       {12, 0}},
      {"overflow keeps the via, drops the '$' parts before it",
       {Start(1), Linie(1, 2), Linie(2, 3), Linie(3, 4), Via(4), Linie(4, 5), Ziel(5)},
       9,
       0,
       "*Dedorf",
       "^Dedorf",
       1,
       {7, 0}},
      {"a '$' part that cannot fit drops itself (result 1, text empty)",
       {Start(1), Linie(1, 2), Linie(2, 3), Ziel(3)},
       3,
       0,
       "",
       "",
       1,
       {0, 0}},
      {"a part longer than the whole width: result -1, blank field",
       {Start(1), Linie(1, 2), Linie(2, 3), Via(3), Linie(3, 4), Ziel(4)},
       6,
       0,
       "",
       "",
       -1,
       {0, 0}},
      {"width 0 and nothing to write", {Start(1), Linie(1, 2), Ziel(2)}, 0, 0, "", "", 0, {0, 0}},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    const std::uint32_t slot = kette(f.kette);
    Ergebnis ohne = erstellen(slot, f.breite, f.optionen);
    Ergebnis mit = erstellen(slot, f.breite, f.optionen | EB_WT_DACH_BEHALTEN);
    EXPECT_EQ(ohne.text, f.text);
    EXPECT_EQ(mit.text, f.textDach);
    EXPECT_EQ(ohne.rc, f.rc);
    EXPECT_EQ(mit.rc, f.rc);
    EXPECT_EQ(ohne.feld, std::string(f.breite, ' ').replace(0, ohne.text.size(), ohne.text));
    if (f.rc != -1) {
      EXPECT_EQ(ohne.m1.laenge, f.m1.laenge);
      EXPECT_EQ(ohne.m1.start, f.m1.start);
      EXPECT_EQ(ohne.benutzt, ohne.text.size());
      EXPECT_EQ(ohne.m2.laenge, 0);
      EXPECT_EQ(ohne.m2.start, 0xFFFF);
    }
  }
}

// A Ne/See point behind the rail part fills the second mark, which starts
// where the rail part ends.
TEST_F(WegetextKette, NeSeePunktFuelltZweiteMarke) {
  ASSERT_EQ(u.initCode, 0);
  const std::uint32_t slot =
      kette({Start(1), Linie(1, 2), Linie(2, 3), NeUebergang(), NePunkt(5), Ziel(5)});
  Ergebnis e = erstellen(slot, 100, 0);
  EXPECT_EQ(e.rc, 0);
  EXPECT_EQ(e.text, "$Bdf*Edf");
  EXPECT_EQ(e.m1.laenge, 4);
  EXPECT_EQ(e.m1.start, 0);
  EXPECT_EQ(e.m2.laenge, 4);
  EXPECT_EQ(e.m2.start, 4);
}

// A Ne/See point ahead of the rail part: the rail mark starts behind it.
TEST_F(WegetextKette, NeSeePunktVorDemBahnteil) {
  ASSERT_EQ(u.initCode, 0);
  const std::uint32_t slot =
      kette({NePunkt(5), NeUebergang(), Start(1), Linie(1, 2), Via(2), Linie(2, 3), Ziel(3)});
  Ergebnis e = erstellen(slot, 100, EB_WT_DACH_BEHALTEN);
  EXPECT_EQ(e.text, "*Edf^Bedorf");
  EXPECT_EQ(e.m2.start, 0);
  EXPECT_EQ(e.m2.laenge, 4);
  EXPECT_EQ(e.m1.start, 4);
  EXPECT_EQ(e.m1.laenge, 7);
}

// Dropping a '$' part moves the marks that lie behind it.
TEST_F(WegetextKette, UeberlaufVerschiebtMarken) {
  ASSERT_EQ(u.initCode, 0);
  const std::uint32_t slot = kette({NePunkt(5), NeUebergang(), Start(1), Linie(1, 2), Linie(2, 3),
                                    Linie(3, 4), Linie(4, 5), Ziel(5)});
  Ergebnis e = erstellen(slot, 15, 0);
  EXPECT_EQ(e.rc, 1);
  EXPECT_EQ(e.text, "*Edf$Cdf$Ddf");
  EXPECT_EQ(e.m2.start, 0);
  EXPECT_EQ(e.m2.laenge, 4);
  EXPECT_EQ(e.m1.start, 4);
  EXPECT_EQ(e.m1.laenge, 8);
}

TEST_F(WegetextKette, Fehler) {
  ASSERT_EQ(u.initCode, 0);
  char feld[EB_WEGETEXT_LAENGE];
  EbTextMarke m1{0, 0xFFFF}, m2{0, 0xFFFF};
  std::uint32_t n = 0;

  // A slot number outside the table, and one never handed out.
  for (std::uint32_t slot : {40u, 0xFFFFFFFFu, 39u}) {
    Ausgang a = fangen([&] { EbWegetextErstellen(feld, 100, slot, 0, kTag, &m1, &m2, &n); });
    EXPECT_EQ(a.code, 1999);
    EXPECT_EQ(a.nummer, 1003);
  }

  // A segment start that EBHF does not know.
  std::uint32_t slot = kette({Start(1), Linie(1, 2), Linie(77, 3), Ziel(3)});
  Ausgang a = fangen([&] { EbWegetextErstellen(feld, 100, slot, 0, kTag, &m1, &m2, &n); });
  EXPECT_EQ(a.code, 1101);
  EXPECT_EQ(a.nummer, 1102);
  EXPECT_EQ(a.zahlen, (std::vector<std::int64_t>{80, 77}));
  ASSERT_EQ(a.texte.size(), 1u);
  EXPECT_EQ(a.texte[0], UtDayText(kTag));

  // A route-text number that RBGT does not know.
  slot = kette({Start(100), Knoten(100, 300, 55), Ziel(300)});
  a = fangen([&] { EbWegetextErstellen(feld, 100, slot, 0, kTag, &m1, &m2, &n); });
  EXPECT_EQ(a.code, 1119);
  EXPECT_EQ(a.nummer, 1120);
  EXPECT_EQ(a.zahlen, (std::vector<std::int64_t>{55}));

  // A relation: the station master is not loaded, so the first point has
  // no name and the relation text fails with status 0x02.
  m1 = {0, 0xFFFF};
  slot = kette({Start(1), Relation(10, 1, 3), Ziel(3)});
  a = fangen([&] { EbWegetextErstellen(feld, 100, slot, 0, kTag, &m1, &m2, &n); });
  EXPECT_EQ(a.code, 1999);
  EXPECT_EQ(a.nummer, 1311);
  EXPECT_EQ(a.texte, (std::vector<std::string>{" (WT   2)"}));
  // The marks come back as they stood at the raise.
  EXPECT_EQ(m1.start, 0);
  EXPECT_EQ(m1.laenge, 0);
}

}  // namespace
