// Initialisation and end of the distance engine: counted loads, a failed
// initialisation and the end after it, a second initialisation after an
// end, the data-time stamp, and the rule that a running engine allocates
// nothing per request.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <new>

#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_ebhf.h"
#include "common/dtacc/dm/dm_fbrr.h"
#include "common/dtacc/dm/dm_gren.h"
#include "common/dtacc/dm/dm_lost.h"
#include "common/dtacc/dm/dm_nesr.h"
#include "common/dtacc/dm/dm_ngat.h"
#include "common/dtacc/dm/dm_rbgt.h"
#include "common/dtacc/dm/dm_sten.h"
#include "common/dtacc/dm/dm_tdrg.h"
#include "engine/eb.h"
#include "common/dtacc/dm/dm_index.h"
#include "engine/ebfuenfzig.h"
#include "engine/ebint.h"
#include "engine/ebkette.h"
#include "engine/ebliste.h"
#include "support/utname.h"
#include "tests/engine/engine_fixture.h"

// Counts the allocations through operator new while counting is on.
namespace {
bool gZaehlen = false;
long gAllokationen = 0;
// Out of line, so that the compiler does not pair a free with a new.
[[gnu::noinline]] void Freigeben(void* p) noexcept { std::free(p); }
}  // namespace

void* operator new(std::size_t n) {
  if (gZaehlen) ++gAllokationen;
  if (void* p = std::malloc(n == 0 ? 1 : n)) return p;
  throw std::bad_alloc();
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
  if (gZaehlen) ++gAllokationen;
  return std::malloc(n == 0 ? 1 : n);
}
void operator delete(void* p) noexcept { Freigeben(p); }
void operator delete(void* p, std::size_t) noexcept { Freigeben(p); }

using namespace enginetest;

namespace {

std::int32_t Rechne(EbAnfrage& a, EbErgebnis* erg, std::uint32_t flags = EB_FLAG_ABSCHNITTE) {
  EbAbschnitte abschnitte;
  std::memset(&abschnitte, 0, sizeof abschnitte);
  return EbGfEntfernungsBerechnung(erg, &abschnitte, &a, flags);
}

std::uint32_t Km(std::int32_t von, std::int32_t nach) {
  EbAnfrage a = DialogAnfrage(von, nach);
  EbErgebnis erg;
  EXPECT_EQ(Rechne(a, &erg), 0);
  return Summe(erg.hin);
}

DbTabDesc* const kTabellen[] = {&DbEbhfTab, &DbTdrgTab, &DbFbrrTab, &DbGrenTab,
                                &DbStenTab, &DbNesrTab, &DbNgatTab, &DbLostTab};

TEST(EngineInit, NestedPairsLoadAndUnloadOnce) {
  Netz netz;
  netz.Schreiben();
  ASSERT_EQ(EbGfInitEntfernungsBerechnung(), 0);
  ASSERT_EQ(EbGfInitEntfernungsBerechnung(), 0);
  for (DbTabDesc* t : kTabellen) EXPECT_EQ(t->loadCount, 1) << t->code;
  const std::int32_t knoten = EbListenPoolAllokiert();
  EXPECT_EQ(knoten, 40);  // the nodes the first pool user sets up
  EXPECT_EQ(Km(11, 21), 67u);

  EbGfEndeEntfernungsBerechnung();
  for (DbTabDesc* t : kTabellen) EXPECT_EQ(t->loadCount, 1) << t->code;
  EXPECT_EQ(EbListenPoolAllokiert(), knoten);
  EXPECT_EQ(Km(11, 21), 67u);

  EbGfEndeEntfernungsBerechnung();
  for (DbTabDesc* t : kTabellen) EXPECT_EQ(t->loadCount, 0) << t->code;
  EXPECT_EQ(EbListenPoolAllokiert(), 0);
}

TEST(EngineInit, FailedInitialisationThenEndThenInitialisationAgain) {
  Netz netz;
  netz.Schreiben();
  ASSERT_EQ(UtSetName("STEN", "DMFEHLT"), 0);  // no such file

  EXPECT_EQ(EbGfInitEntfernungsBerechnung(), 1);  // a "DZ" load error
  for (DbTabDesc* t : {&DbEbhfTab, &DbTdrgTab, &DbFbrrTab, &DbGrenTab})
    EXPECT_EQ(t->loadCount, 1) << t->code;
  for (DbTabDesc* t : {&DbStenTab, &DbNesrTab, &DbNgatTab, &DbLostTab})
    EXPECT_EQ(t->loadCount, 0) << t->code;
  EXPECT_EQ(EbListenPoolAllokiert(), 0);

  EbGfEndeEntfernungsBerechnung();
  for (DbTabDesc* t : kTabellen) EXPECT_EQ(t->loadCount, 0) << t->code;

  // The tables the failed initialisation never reached load again: their
  // counters did not wrap below 0.
  netz.Schreiben();
  ASSERT_EQ(EbGfInitEntfernungsBerechnung(), 0);
  for (DbTabDesc* t : kTabellen) EXPECT_EQ(t->loadCount, 1) << t->code;
  EXPECT_EQ(Km(11, 21), 67u);
  EbGfEndeEntfernungsBerechnung();
}

TEST(EngineInit, RequestsWorkAfterASecondInitialisation) {
  Netz netz;
  netz.Schreiben();
  for (int runde = 0; runde < 3; ++runde) {
    SCOPED_TRACE(runde);
    ASSERT_EQ(EbGfInitEntfernungsBerechnung(), 0);
    EXPECT_EQ(Km(11, 21), 67u);
    EbAnfrage a = DialogAnfrage(11, 21, 12, 22);
    a.hin.relSchluessel2 = 0;
    EbErgebnis erg;
    EXPECT_EQ(Rechne(a, &erg), 0);
    EXPECT_EQ(Summe(erg.hin), 81u);
    EbGfEndeEntfernungsBerechnung();
  }
}

TEST(EngineInit, NodeListsDoNotOutliveTheirTables) {
  Netz netz;
  netz.Schreiben();
  ASSERT_EQ(EbGfInitEntfernungsBerechnung(), 0);
  EXPECT_EQ(Km(11, 21), 67u);
  EbGfEndeEntfernungsBerechnung();

  // New tables with 11 -> 100 at 1 km: 1 + 55 + 7.
  netz.sten[0] = Sten(11, 100, 1, 'N', 'A', 'N');
  netz.Schreiben();
  ASSERT_EQ(EbGfInitEntfernungsBerechnung(), 0);
  EXPECT_EQ(Km(11, 21), 63u);
  EbGfEndeEntfernungsBerechnung();
}

TEST(EngineInit, DataTimeStampIsTheFileReadAfterEbhf) {
  Netz netz;
  netz.zeitEbhf = 1200000000;
  netz.zeitTdrg = 1300000000;
  netz.Schreiben();
  DbDatenZeitstempel = 42;
  ASSERT_EQ(EbGfInitEntfernungsBerechnung(), 0);
  EXPECT_EQ(DbDatenZeitstempel, 1300000000);
  EbGfEndeEntfernungsBerechnung();
}

TEST(EngineInit, NoAllocationPerRequestOnceRunning) {
  Netz netz;
  netz.Schreiben();
  ASSERT_EQ(EbGfInitEntfernungsBerechnung(), 0);

  EbAnfrage anfragen[4] = {DialogAnfrage(11, 21), DialogAnfrage(11, 21, 12, 22),
                           DialogAnfrage(22, 12, 11), DialogAnfrage(11, 21)};
  anfragen[2].fahrtCode = '2';
  anfragen[3].hin.relSchluessel2 = 777;
  anfragen[3].textFlag = '0';  // a relation's text needs the station master
  EbErgebnis erg;
  // Warm-up: the pool grows to the largest chain set.
  for (EbAnfrage& a : anfragen) {
    EbAnfrage kopie = a;
    ASSERT_EQ(Rechne(kopie, &erg), 0);
  }
  const std::int32_t knoten = EbListenPoolAllokiert();

  gAllokationen = 0;
  gZaehlen = true;
  for (int i = 0; i < 200; ++i) {
    EbAnfrage kopie = anfragen[i % 4];
    Rechne(kopie, &erg);
  }
  gZaehlen = false;
  EXPECT_EQ(gAllokationen, 0);
  EXPECT_EQ(EbListenPoolAllokiert(), knoten);
  EXPECT_EQ(listeEbWegeVar.elements, nullptr);
  EXPECT_EQ(listeEbWegeBhf.elements, nullptr);

  // The 50 km list, with and without its fast path: nothing allocated per
  // row or per list once the first list has run.
  const EbFuenfzigKmAuftrag liste{11, anfragen[0].datum, nullptr, nullptr, nullptr};
  ASSERT_EQ(EbFuenfzigKmListe(liste), 2);  // from Adorf
  std::int32_t zeilen = 0;
  gAllokationen = 0;
  gZaehlen = true;
  for (bool schnell : {true, false, true}) {
    DbSetFastPaths(schnell);
    zeilen += EbFuenfzigKmListe(liste);
  }
  gZaehlen = false;
  DbSetFastPaths(true);
  EXPECT_EQ(zeilen, 3 * 2);
  EXPECT_EQ(gAllokationen, 0);
  EbGfEndeEntfernungsBerechnung();
}

}  // namespace
