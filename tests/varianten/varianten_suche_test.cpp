// The route-variant search called directly: distribution of the variants
// over the profile entries (worked examples), the order of the entries, the
// choice, and the failures reported in the status block.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/ebliste.h"
#include "tests/varianten/var_netz.h"

using namespace vartest;

namespace {

// Origin 10, destination 20; entries 7 (rank 5) and 8 (rank 3) of a
// profile, each mapping both ends (10 -> 31 / 32, 20 -> 41 / 42).
Netz zweiEintraege(std::uint16_t profil = 1, std::uint16_t flags = 0) {
  Netz n;
  for (std::uint32_t s : {10u, 12u, 13u, 20u, 31u, 32u, 41u, 42u}) n.station(s);
  n.profil(profil, 7, 5, flags);
  n.profil(profil, 8, 3, flags);
  n.abbild(7, 10, 31, "Nord");
  n.abbild(7, 20, 41, "Sued");
  n.abbild(8, 10, 32, "Ost");
  n.abbild(8, 20, 42, "West");
  return n;
}

struct Ergebnis {
  EbSuchStatus status{};
  std::vector<EbWegeVar> var;
};

Ergebnis suchen(std::int32_t profil, std::int32_t von = 10, std::int32_t nach = 20) {
  EbSuchAnfrage a = suchAnfrage(von, nach, profil);
  EbPunkt p[EB_VAR_MAX_PUNKTE];
  const std::uint16_t n = EbVarRoutenpunkte(&a, p);
  Ergebnis e;
  e.status.wert = 77;
  EbWegeVariantenSuchen(&listeEbWegeBhf, p, &listeEbWegeVar, &e.status, profil, n);
  e.var = varianten(listeEbWegeVar);
  return e;
}

// A selected variant as the worked examples write it: origin key, then
// destination key, the entry key it was selected under, the default mark
// and the chosen mark, and its points.
struct Zeile {
  std::int32_t ab, zi, unter;
  char standard, gewaehlt;
  std::string punkte;
  bool operator==(const Zeile&) const = default;
};
std::ostream& operator<<(std::ostream& o, const Zeile& z) {
  return o << "{" << z.ab << "," << z.zi << " unter " << z.unter << " " << z.standard << z.gewaehlt
           << " [" << z.punkte << "]}";
}

std::vector<Zeile> zeilen(const std::vector<EbWegeVar>& v) {
  std::vector<Zeile> z;
  for (const EbWegeVar& x : v)
    z.push_back({x.abgang.eintragKey, x.ziel.eintragKey, x.gewaehlterEintrag, x.standard,
                 x.gewaehlt, folge(listeEbWegeBhf, x)});
  return z;
}

bool ebggSlotsFrei() {
  for (const DbCursorSlot& s : DbEbggSlots)
    if (s.inUse != 0) return false;
  return true;
}

// Worked example of the distribution. The assembly yields the work
// variants (origin key, destination key) in the order
//   (7,7) (7,8) (7,0) (8,7) (8,8) (8,0) (0,7) (0,8) (0,0).
// Entry 7 selects what its origin leads to a keyed destination, then the
// other origins towards its destination, its origin towards the plain
// destination, the plain origin towards its destination and the default
// variant; it defers (8,8) (8,0) (0,8) to entry 8, which selects them in
// that order. Every work variant is selected exactly once; the closing copy
// of the last one follows. The chosen variant has the largest origin rank
// and, among those, the largest destination rank.
TEST(VariantenVerteilung, TwoEntriesBothEndsMapped) {
  Umgebung u(zweiEintraege());
  ASSERT_EQ(u.initCode, 0);
  Ergebnis e = suchen(1);
  EXPECT_EQ(e.status.code, 0);
  EXPECT_EQ(std::string(e.status.id, 2), "TT");
  EXPECT_EQ(e.status.wert, 0);

  const std::vector<Zeile> erwartet = {
      {7, 7, 7, 'N', 'J', "10 31* 20 41*"}, {7, 8, 7, 'N', 'N', "10 31* 20 42*"},
      {8, 7, 7, 'N', 'N', "10 32* 20 41*"}, {7, 0, 7, 'N', 'N', "10 31* 20"},
      {0, 7, 7, 'N', 'N', "10 20 41*"},     {0, 0, 7, 'J', 'N', "10 20"},
      {8, 8, 8, 'N', 'N', "10 32* 20 42*"}, {8, 0, 8, 'N', 'N', "10 32* 20"},
      {0, 8, 8, 'N', 'N', "10 20 42*"},     {0, 8, 0, 'N', 'N', "10 20 42*"},  // closing copy
  };
  EXPECT_EQ(zeilen(e.var), erwartet);

  // Each of the nine work variants exactly once before the closing copy.
  std::set<std::pair<int, int>> paare;
  for (std::size_t i = 0; i + 1 < e.var.size(); ++i)
    EXPECT_TRUE(paare.insert({e.var[i].abgang.eintragKey, e.var[i].ziel.eintragKey}).second);
  EXPECT_EQ(paare.size(), 9u);

  // Ranks and names travel with the ends.
  EXPECT_EQ(e.var[0].abgang.rang, 5u);
  EXPECT_EQ(e.var[1].ziel.rang, 3u);
  EXPECT_EQ(name25(e.var[0].abgang.name), "Nord");
  EXPECT_EQ(name25(e.var[0].ziel.name), "Sued");
  EXPECT_EQ(e.var[0].profilKey, 1);
  EXPECT_TRUE(ebggSlotsFrei());
}

// Equal point sequences share one run in the unique point list, whatever
// the callers left in the points' filler; no filler byte is set.
TEST(VariantenVerteilung, EqualSequencesShareTheirPoints) {
  Umgebung u(zweiEintraege());
  EbSuchAnfrage a = suchAnfrage(10, 20, 1);
  EbPunkt p[EB_VAR_MAX_PUNKTE];
  const std::uint16_t n = EbVarRoutenpunkte(&a, p);
  for (std::uint16_t i = 0; i < n; ++i) p[i].fuell = 0xABCD;
  EbSuchStatus st{};
  EbWegeVariantenSuchen(&listeEbWegeBhf, p, &listeEbWegeVar, &st, 1, n);
  ASSERT_EQ(st.code, 0);
  std::vector<EbWegeVar> v = varianten(listeEbWegeVar);
  ASSERT_EQ(v.size(), 10u);
  // A sequence equal to a run already present reuses it, also a prefix of
  // a longer one: (7,0) "10 31* 20" lies at the start of (7,7), (0,0) at
  // the start of (0,7). Six runs of 4, 4, 4, 4, 3 and 3 points remain.
  EXPECT_EQ(v[3].ersterIndex, v[0].ersterIndex);
  EXPECT_EQ(v[5].ersterIndex, v[4].ersterIndex);
  EXPECT_EQ(v[8].ersterIndex, v[9].ersterIndex);
  std::set<std::int32_t> starts;
  for (const EbWegeVar& x : v) starts.insert(x.ersterIndex);
  EXPECT_EQ(starts.size(), 6u);
  EXPECT_EQ(listeEbWegeBhf.count, 22u);
  for (std::uint32_t i = 0; i < listeEbWegeBhf.count; ++i)
    EXPECT_EQ(static_cast<const EbPunkt*>(UtListAt(&listeEbWegeBhf, i))->fuell, 0);
}

// Profile key 2: its first entry also defers the default variant, which
// the next entry then selects once more under its own key. This is the one
// repetition of a work variant that the distribution makes.
TEST(VariantenVerteilung, ProfileKeyTwoOffersTheDefaultVariantAgain) {
  Umgebung u(zweiEintraege(2));
  Ergebnis e = suchen(2);
  ASSERT_EQ(e.status.code, 0);
  const std::vector<Zeile> erwartet = {
      {7, 7, 7, 'N', 'J', "10 31* 20 41*"}, {7, 8, 7, 'N', 'N', "10 31* 20 42*"},
      {8, 7, 7, 'N', 'N', "10 32* 20 41*"}, {7, 0, 7, 'N', 'N', "10 31* 20"},
      {0, 7, 7, 'N', 'N', "10 20 41*"},     {0, 0, 7, 'J', 'N', "10 20"},
      {8, 8, 8, 'N', 'N', "10 32* 20 42*"}, {8, 0, 8, 'N', 'N', "10 32* 20"},
      {0, 8, 8, 'N', 'N', "10 20 42*"},     {0, 0, 8, 'J', 'N', "10 20"},
      {0, 0, 0, 'N', 'N', "10 20"},  // closing copy
  };
  EXPECT_EQ(zeilen(e.var), erwartet);
}

// Only the origins mapped (profile flags 0x10): each entry's origin record
// comes with a stand-by destination record under the same key (default
// mark 'J'); the origin ranks decide and, all destination ranks being 0,
// the last variant with the largest origin rank is chosen.
TEST(VariantenVerteilung, OriginsOnlyWithStandByDestinations) {
  Umgebung u(zweiEintraege(1, 0x10));
  Ergebnis e = suchen(1);
  ASSERT_EQ(e.status.code, 0);
  const std::vector<Zeile> erwartet = {
      {7, 7, 7, 'J', 'N', "10 31* 20"}, {7, 8, 7, 'J', 'N', "10 31* 20"},
      {8, 7, 7, 'J', 'N', "10 32* 20"}, {7, 0, 7, 'N', 'J', "10 31* 20"},
      {0, 7, 7, 'J', 'N', "10 20"},     {0, 0, 7, 'J', 'N', "10 20"},
      {8, 8, 8, 'J', 'N', "10 32* 20"}, {8, 0, 8, 'N', 'N', "10 32* 20"},
      {0, 8, 8, 'J', 'N', "10 20"},     {0, 8, 0, 'N', 'N', "10 20"},
  };
  EXPECT_EQ(zeilen(e.var), erwartet);
}

// The choice by origin rank, then destination rank, for several profiles.
TEST(VariantenAuswahl, ByOriginThenDestinationRank) {
  struct Fall {
    const char* was;
    std::uint16_t flags;  // profile flags of both entries
    std::int32_t ab, zi;  // the chosen variant's keys; ab = -1: none
  } faelle[] = {
      {"both ends: largest origin rank, then largest destination rank", 0, 7, 7},
      {"origins only: last of the largest origin rank", 0x10, 7, 0},
      {"destinations only: first of the largest destination rank", 0x20, 7, 7},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.was);
    Umgebung u(zweiEintraege(1, f.flags));
    Ergebnis e = suchen(1);
    ASSERT_EQ(e.status.code, 0);
    int gewaehlt = 0;
    for (std::size_t i = 0; i + 1 < e.var.size(); ++i) {
      if (e.var[i].gewaehlt != 'J') continue;
      ++gewaehlt;
      EXPECT_EQ(e.var[i].abgang.eintragKey, f.ab);
      EXPECT_EQ(e.var[i].ziel.eintragKey, f.zi);
      if (f.flags == 0x20) {
        EXPECT_EQ(e.var[i].abgang.rang, 0u);
        EXPECT_EQ(e.var[i].ziel.rang, 5u);
        EXPECT_EQ(i, 0u);
      }
    }
    EXPECT_EQ(gewaehlt, 1);
  }
  // With EBGB not loaded: one variant without entry keys, selected under
  // the first entry with default mark 'J'; all ranks 0, so none is chosen;
  // the closing copy follows.
  Dateien d;
  d.ebgb = false;
  Umgebung u(zweiEintraege(), d);
  Ergebnis e = suchen(1);
  ASSERT_EQ(e.status.code, 0);
  const std::vector<Zeile> erwartet = {{0, 0, 7, 'J', 'N', "10 20"}, {0, 0, 0, 'N', 'N', "10 20"}};
  EXPECT_EQ(zeilen(e.var), erwartet);
}

// Entries with ranks 5, 10, 3 (entry keys 1, 2, 3) are placed relative to
// the entry placed last: 10, 3, 5. The distribution follows that order.
TEST(VariantenAuswahl, EntriesArePlacedRelativeToTheLastOne) {
  Netz n;
  for (std::uint32_t s : {10u, 20u, 31u, 32u, 33u}) n.station(s);
  n.profil(4, 1, 5, 0x10);
  n.profil(4, 2, 10, 0x10);
  n.profil(4, 3, 3, 0x10);
  n.abbild(1, 10, 31, "Eins");
  n.abbild(2, 10, 32, "Zwei");
  n.abbild(3, 10, 33, "Drei");
  Umgebung u(n);
  Ergebnis e = suchen(4);
  ASSERT_EQ(e.status.code, 0);
  std::vector<std::int32_t> reihe;
  for (const EbWegeVar& v : e.var)
    if (v.abgang.eintragKey != 0 &&
        std::find(reihe.begin(), reihe.end(), v.abgang.eintragKey) == reihe.end())
      reihe.push_back(v.abgang.eintragKey);
  EXPECT_EQ(reihe, (std::vector<std::int32_t>{2, 3, 1}));
  EXPECT_EQ(e.var[0].gewaehlterEintrag, 2);
  EXPECT_EQ(e.var[0].abgang.rang, 10u);
}

// Profile key 0 reads every profile in key order; each group's selection
// is closed by a copy of its last variant.
TEST(VariantenAuswahl, ProfileKeyZeroReadsEveryGroup) {
  Netz n;
  for (std::uint32_t s : {10u, 20u}) n.station(s);
  n.profil(3, 5, 1);
  n.profil(6, 9, 1);
  Umgebung u(n);
  Ergebnis e = suchen(0);
  ASSERT_EQ(e.status.code, 0);
  const std::vector<Zeile> erwartet = {
      {0, 0, 5, 'J', 'N', "10 20"},
      {0, 0, 0, 'N', 'N', "10 20"},  // closes group 3
      {0, 0, 9, 'J', 'N', "10 20"},
      {0, 0, 0, 'N', 'N', "10 20"},
  };
  EXPECT_EQ(zeilen(e.var), erwartet);
  EXPECT_EQ(e.var[0].profilKey, 3);
  EXPECT_EQ(e.var[2].profilKey, 6);
}

// ---- failures ----------------------------------------------------------------

// No EBGG record for the key: warning 1125 ("ls": key, day), code 1125 at
// once; the result lists keep the previous search's result, the status
// value stays, and the cursor slot is given back.
TEST(VariantenFehler, NoProfileRecordReturns1125AtOnce) {
  Umgebung u(zweiEintraege());
  Ergebnis vorher = suchen(1);
  ASSERT_EQ(vorher.status.code, 0);
  Mithoerer m;
  Ergebnis e = suchen(9);
  EXPECT_EQ(e.status.code, 1125);
  EXPECT_EQ(std::string(e.status.id, 2), "EB");
  EXPECT_EQ(e.status.wert, 77);
  EXPECT_EQ(e.var.size(), vorher.var.size());
  EXPECT_TRUE(ebggSlotsFrei());
  ASSERT_EQ(m.meldungen().size(), 1u);
  EXPECT_EQ(m.meldungen()[0].nummer, 1125);
  EXPECT_EQ(m.meldungen()[0].zahlen, (std::vector<std::int64_t>{9}));
  ASSERT_EQ(m.meldungen()[0].texte.size(), 1u);
  EXPECT_EQ(m.meldungen()[0].texte[0], std::string(UtDayText(kTag)));
}

// EBGG without a data file (the shipped configuration): the first read
// answers 1, which is 1125 as well.
TEST(VariantenFehler, WithoutEbggFileTheSearchFails) {
  Dateien d;
  d.ebgg = false;
  d.ebgb = false;
  Umgebung u(zweiEintraege(), d);
  Ergebnis e = suchen(1);
  EXPECT_EQ(e.status.code, 1125);
  EXPECT_TRUE(ebggSlotsFrei());
}

// An EBGB point with two records stops the search with 1127.
TEST(VariantenFehler, TwoEbgbRecordsStopTheSearch) {
  Netz n = zweiEintraege();
  n.abbild(8, 10, 12, "Doppelt");
  Umgebung u(n);
  Ergebnis e = suchen(1);
  EXPECT_EQ(e.status.code, 1127);
  EXPECT_EQ(std::string(e.status.id, 2), "EB");
  EXPECT_TRUE(ebggSlotsFrei());
  for (const DbCursorSlot& s : DbEbgbSlots) EXPECT_EQ(s.inUse, 0);
}

// A relation start that FBRR turns into a relation number: its station
// field is neither looked up in EBGB nor decoded as a station; the
// variant's relation starts at the station the request gave.
TEST(VariantenRelation, RelationNumberIsNeverUsedAsAStation) {
  Netz n;
  for (std::uint32_t s : {10u, 12u, 13u, 20u, 42u, 43u}) n.station(s);
  n.profil(1, 7, 5);
  n.fbrr.push_back({1, 4711, 0, 0, {8000012, 8000013, 0, 0}, {25, 0, 0, 0}, dmw::kOpenEndDay});
  // Two records under the relation number: a lookup of it would end the
  // search with 1127.
  n.abbild(7, 4711, 42, "Falsch");
  n.abbild(7, 4711, 43, "Falsch");
  Umgebung u(n);
  EbSuchAnfrage a = suchAnfrage(10, 20, 1);
  a.relBhf[0] = 12;
  a.relBhf[1] = 13;
  EbPunkt p[EB_VAR_MAX_PUNKTE];
  const std::uint16_t cnt = EbVarRoutenpunkte(&a, p);
  EbSuchStatus st{};
  EbWegeVariantenSuchen(&listeEbWegeBhf, p, &listeEbWegeVar, &st, 1, cnt);
  ASSERT_EQ(st.code, 0);
  std::vector<EbWegeVar> v = varianten(listeEbWegeVar);
  ASSERT_FALSE(v.empty());
  EXPECT_EQ(folge(listeEbWegeBhf, v[0]), "10 4711 13 20");
  const auto* rs = static_cast<const EbPunkt*>(
      UtListAt(&listeEbWegeBhf, static_cast<std::uint32_t>(v[0].ersterIndex + 1)));
  EXPECT_TRUE(EbPunktTraegtRelation(*rs));
  EbVarFolge f = EbVarFolgeLesen(&a, &listeEbWegeBhf, v[0]);
  EXPECT_EQ(f.w[EB_VF_VON], 10);
  EXPECT_EQ(f.w[EB_VF_REL_START], 12);
  EXPECT_EQ(f.w[EB_VF_REL_ENDE], 13);
  EXPECT_EQ(f.w[EB_VF_NACH], 20);
  EXPECT_EQ(f.w[EB_VF_REL_WERT], 1);
}

// A marked border point ahead of the origin (side role 2, marker 'V'),
// mapped with the origin under entry 7. Each pair's sequence begins with
// the border block (the plain border place stays empty, shown as 0); with
// the origin found, a second variant follows with the border point as
// classified in place of its mapping. The route begins at the border's
// mapping in the first variant and at the border point in the second.
TEST(VariantenRelation, BorderAheadOfTheOriginGivesASecondVariant) {
  Netz n;
  for (std::uint32_t s : {10u, 11u, 20u, 31u, 32u}) n.station(s);
  n.profil(1, 7, 5, 0x10);
  n.abbild(7, 10, 31, "Ursprung");
  n.abbild(7, 11, 32, "Grenze");
  Umgebung u(n);
  EbPunkt p[] = {punkt(8000011, 0, 0x0A), punkt(8000010, 0x02, 0x40), punkt(8000020, 0x04, 0x80)};
  EbSuchStatus st{};
  EbWegeVariantenSuchen(&listeEbWegeBhf, p, &listeEbWegeVar, &st, 1, 3);
  ASSERT_EQ(st.code, 0);
  std::vector<EbWegeVar> v = varianten(listeEbWegeVar);
  EbSuchAnfrage a = suchAnfrage(10, 20, 1);
  std::vector<std::string> folgen;
  std::vector<std::int32_t> anfaenge, bits;
  for (const EbWegeVar& x : v) {
    folgen.push_back(folge(listeEbWegeBhf, x));
    anfaenge.push_back(EbVarFolgeLesen(&a, &listeEbWegeBhf, x).w[EB_VF_VON]);
    bits.push_back(x.abgang.relBits);
  }
  const std::vector<std::string> erwartet = {
      "0 11 32* 10 31* 20", "0 11 10 31* 20",  // (7,7) and its second variant
      "0 11 32* 10 31* 20", "0 11 10 31* 20",  // (7,0)
      "0 11 10 20",                            // (0,7)
      "0 11 10 20",                            // (0,0)
      "0 11 10 20",                            // closing copy
  };
  EXPECT_EQ(folgen, erwartet);
  EXPECT_EQ(anfaenge, (std::vector<std::int32_t>{32, 11, 32, 11, 11, 11, 11}));
  EXPECT_EQ(bits, (std::vector<std::int32_t>{0x02, 0, 0x02, 0, 0, 0, 0}));
}

// A break point that the entry maps to the same station as the origin is
// absorbed by the mapped origin: the pair's sequence leaves it out; the
// plain origin keeps it as "BP-Vor".
TEST(VariantenRelation, BreakPointAbsorbedByTheMappedOrigin) {
  Netz n;
  for (std::uint32_t s : {10u, 11u, 20u, 31u}) n.station(s);
  n.profil(1, 7, 5, 0x10);
  n.abbild(7, 10, 31, "Ursprung");
  n.abbild(7, 11, 31, "Ursprung");
  Umgebung u(n);
  EbSuchAnfrage a = suchAnfrage(10, 20, 1);
  a.bpVor = 11;
  Ergebnis e;
  EbPunkt p[EB_VAR_MAX_PUNKTE];
  const std::uint16_t cnt = EbVarRoutenpunkte(&a, p);
  EbWegeVariantenSuchen(&listeEbWegeBhf, p, &listeEbWegeVar, &e.status, 1, cnt);
  ASSERT_EQ(e.status.code, 0);
  e.var = varianten(listeEbWegeVar);
  const std::vector<Zeile> erwartet = {
      {7, 7, 7, 'J', 'N', "10 31* 20"}, {7, 0, 7, 'N', 'J', "10 31* 20"},
      {0, 7, 7, 'J', 'N', "10 11 20"},  {0, 0, 7, 'J', 'N', "10 11 20"},
      {0, 0, 0, 'N', 'N', "10 11 20"},
  };
  EXPECT_EQ(zeilen(e.var), erwartet);
  EbVarFolge f0 = EbVarFolgeLesen(&a, &listeEbWegeBhf, e.var[0]);
  EXPECT_EQ(f0.w[EB_VF_VON], 31);
  EXPECT_EQ(f0.w[EB_VF_BP_VOR], 0);
  EbVarFolge f2 = EbVarFolgeLesen(&a, &listeEbWegeBhf, e.var[2]);
  EXPECT_EQ(f2.w[EB_VF_VON], 10);
  EXPECT_EQ(f2.w[EB_VF_BP_VOR], 11);
  EXPECT_EQ(f2.w[EB_VF_NACH], 20);
}

}  // namespace
