// Result chains: slots, the element pool, append, clear, move and compare.
// No tables are needed; every test sets the pool up and ends it again.
#include <gtest/gtest.h>

#include <cstring>

#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_ebhf.h"
#include "common/dtacc/dm/dm_fbrr.h"
#include "common/dtacc/dm/dm_sten.h"
#include "engine/ebinit.h"
#include "engine/ebkette.h"
#include "engine/ebliste.h"
#include "support/utfault.h"
#include "tests/enginekm/ekm_netz.h"

namespace ekm {
namespace {

// Sets the pool up for one test and ends it afterwards.
class EnginekmPool : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(fangen([] { EbListenInit(); }).code, 0);
  }
  void TearDown() override {
    UtFaultFailAllocAfter(kUtFaultEbKette, -1);
    ASSERT_EQ(fangen([] { EbListenEnde(); }).code, 0);
    EXPECT_EQ(EbListenPoolAllokiert(), 0);
  }
  static std::int32_t belegen() {
    std::int32_t s = -1;
    EXPECT_EQ(fangen([&] { s = EbListeBelegen(); }).code, 0);
    return s;
  }
};

EbhfSatz bahnhof(std::uint32_t nr) {
  EbhfSatz s{};
  s.country = 80;
  s.station = nr;
  return s;
}
StenSatz linie(std::uint32_t a, std::uint32_t b) {
  StenSatz s{};
  s.stationA = a;
  s.stationB = b;
  s.kmPart1 = 3;
  return s;
}
FbrrSatz relation(std::uint32_t nr) {
  FbrrSatz f{};
  f.keyNo = 1;
  f.relationNo = nr;
  return f;
}

void anfuegen(std::int32_t slot, const void* p, std::int32_t typ, std::int32_t umgekehrt = 0) {
  EbListeAnfuegen(static_cast<std::uint32_t>(slot), p, typ, umgekehrt);
}

TEST_F(EnginekmPool, SlotsWerdenVonUntenVergebenUndEinEinundvierzigsterFehlt) {
  for (std::int32_t i = 0; i < EB_ANZAHL_SLOTS; ++i) EXPECT_EQ(belegen(), i);
  Ausgang a = fangen([] { EbListeBelegen(); });
  EXPECT_EQ(a.code, 1999);
  EXPECT_EQ(a.nummer, 1001);
}

TEST_F(EnginekmPool, LeerenBehaeltDieNummer) {
  std::int32_t s = belegen();
  EbhfSatz b = bahnhof(11);
  anfuegen(s, &b, EB_ELEM_START);
  EbListeFreigeben(static_cast<std::uint32_t>(s));
  EXPECT_EQ(EbListSlotLesen(s).anzahl, 0);
  EXPECT_EQ(EbListSlotLesen(s).kopf, nullptr);
  EXPECT_EQ(EbListSlotLesen(s).belegt, 1);
  EXPECT_EQ(belegen(), s + 1);
}

TEST_F(EnginekmPool, SchlechteSlots) {
  std::int32_t s = belegen();
  EbhfSatz b = bahnhof(11);
  struct Fall {
    const char* name;
    std::uint32_t slot;
  };
  // Never handed out, 40, and -1 as unsigned.
  for (Fall f : {Fall{"never handed out", static_cast<std::uint32_t>(s + 1)}, Fall{"40", 40u},
                 Fall{"-1", 0xFFFFFFFFu}}) {
    SCOPED_TRACE(f.name);
    Ausgang a = fangen([&] { EbListeAnfuegen(f.slot, &b, EB_ELEM_START, 0); });
    EXPECT_EQ(a.code, 1999);
    EXPECT_EQ(a.nummer, 1003);
    a = fangen([&] { EbListeVerketten(static_cast<std::uint32_t>(s), f.slot); });
    EXPECT_EQ(a.nummer, 1003);
    a = fangen([&] { EbKetteLaufBeginnen(f.slot); });
    EXPECT_EQ(a.nummer, 1003);
  }
  // Clearing ignores a slot that is not in use, but not a number above 39.
  EXPECT_EQ(fangen([&] { EbListeFreigeben(static_cast<std::uint32_t>(s + 1)); }).code, 0);
  EXPECT_EQ(fangen([] { EbListeFreigeben(40); }).nummer, 1003);
}

TEST_F(EnginekmPool, LangeKetteWaechstUmEinzelneKnotenUndNutztSieWieder) {
  std::int32_t s = belegen();
  EXPECT_EQ(EbListenPoolFrei(), 40);
  StenSatz l = linie(1, 2);
  for (int i = 0; i < 45; ++i) anfuegen(s, &l, EB_ELEM_LINIE);
  EXPECT_EQ(EbListSlotLesen(s).anzahl, 45);
  EXPECT_EQ(EbListenPoolAllokiert(), 45);
  EXPECT_EQ(EbListenPoolFrei(), 0);
  EbListeFreigeben(static_cast<std::uint32_t>(s));
  EXPECT_EQ(EbListenPoolFrei(), 45);
  for (int i = 0; i < 45; ++i) anfuegen(s, &l, EB_ELEM_LINIE);
  EXPECT_EQ(EbListenPoolAllokiert(), 45) << "cleared nodes are used before new ones";
}

TEST_F(EnginekmPool, AnfuegenKopiertNachTypUndNulltDenRest) {
  std::int32_t s = belegen();
  unsigned char muell[EB_NUTZLAST];
  std::memset(muell, 0xAB, sizeof muell);
  anfuegen(s, muell, 13);             // no such type: all-zero payload
  anfuegen(s, muell, EB_ELEM_LINIE);  // only the StenSatz bytes are copied
  const EbListNode* k13 = EbListSlotLesen(s).kopf;
  const EbListNode* k7 = k13->next;
  EXPECT_EQ(k13->typ, 13);
  for (unsigned char c : k13->nutzlast) ASSERT_EQ(c, 0);
  for (std::size_t i = 0; i < EB_NUTZLAST; ++i)
    ASSERT_EQ(k7->nutzlast[i], i < sizeof(StenSatz) ? 0xAB : 0) << i;
  EXPECT_EQ(k7->prev, k13);
  EXPECT_EQ(EbListSlotLesen(s).ende, k7);
}

TEST_F(EnginekmPool, Verketten) {
  std::int32_t a = belegen();
  std::int32_t b = belegen();
  EbhfSatz x = bahnhof(1), y = bahnhof(2), z = bahnhof(3);
  anfuegen(b, &x, EB_ELEM_VIA);
  anfuegen(b, &y, EB_ELEM_VIA);
  EbListeVerketten(static_cast<std::uint32_t>(a), static_cast<std::uint32_t>(b));
  EXPECT_EQ(EbListSlotLesen(a).anzahl, 2);
  EXPECT_EQ(EbNutzlastLesen<EbhfSatz>(EbListSlotLesen(a).kopf).station, 1u);
  EXPECT_EQ(EbListSlotLesen(b).kopf, nullptr);
  EXPECT_EQ(EbListSlotLesen(b).anzahl, 0);
  anfuegen(b, &z, EB_ELEM_VIA);
  EbListeVerketten(static_cast<std::uint32_t>(a), static_cast<std::uint32_t>(b));
  ASSERT_EQ(kette(a), (std::vector<Seg>{V(1), V(2), V(3)}));
  EXPECT_EQ(EbListSlotLesen(a).ende->prev->next, EbListSlotLesen(a).ende);
  // Moving an empty chain changes nothing but the cursor.
  EbListSlotLesen(a).cursor = nullptr;
  EbListeVerketten(static_cast<std::uint32_t>(a), static_cast<std::uint32_t>(b));
  EXPECT_EQ(EbListSlotLesen(a).cursor, EbListSlotLesen(a).kopf);
  EXPECT_EQ(EbListSlotLesen(a).anzahl, 3);
  // A chain moved onto itself stays a straight chain.
  EbListeVerketten(static_cast<std::uint32_t>(a), static_cast<std::uint32_t>(a));
  EXPECT_EQ(kette(a).size(), 3u);
  EXPECT_EQ(EbListSlotLesen(a).ende->next, nullptr);
}

TEST_F(EnginekmPool, VergleichenSpiegeltDenHinweg) {
  EbSlotHin = belegen();
  EbSlotRueck = belegen();
  EbhfSatz a = bahnhof(11), b = bahnhof(22);
  FbrrSatz f = relation(7);
  StenSatz l = linie(22, 30);
  auto bauen = [&](bool einerNichtUmgekehrt) {
    EbListeFreigeben(static_cast<std::uint32_t>(EbSlotHin));
    EbListeFreigeben(static_cast<std::uint32_t>(EbSlotRueck));
    anfuegen(EbSlotHin, &a, EB_ELEM_START);
    anfuegen(EbSlotHin, &f, EB_ELEM_RELATION, 0);
    anfuegen(EbSlotHin, &l, EB_ELEM_LINIE, 0);
    anfuegen(EbSlotHin, &b, EB_ELEM_ZIEL);
    anfuegen(EbSlotRueck, &b, EB_ELEM_START);
    anfuegen(EbSlotRueck, &l, EB_ELEM_LINIE, 1);
    anfuegen(EbSlotRueck, &f, EB_ELEM_RELATION, einerNichtUmgekehrt ? 0 : 1);
    anfuegen(EbSlotRueck, &a, EB_ELEM_ZIEL);
  };
  bauen(false);
  EXPECT_EQ(EbListenVergleichen(), 0);
  bauen(true);
  EXPECT_EQ(EbListenVergleichen(), 1);
  // Another station, another count, a bad slot: unequal.
  bauen(false);
  EbhfSatz c = bahnhof(23);
  std::memcpy(EbListSlotLesen(EbSlotRueck).kopf->nutzlast, &c, sizeof c);
  EXPECT_EQ(EbListenVergleichen(), 1);
  bauen(false);
  anfuegen(EbSlotRueck, &a, EB_ELEM_VIA);
  EXPECT_EQ(EbListenVergleichen(), 1);
  bauen(false);
  const std::int32_t r = EbSlotRueck;
  EbSlotRueck = 40;
  EXPECT_EQ(EbListenVergleichen(), 1);
  EbSlotRueck = r;
  EbSlotHin = EbSlotRueck = -1;
}

TEST(EnginekmKette, EndeOhneNutzer1002) {
  Ausgang a = fangen([] { EbListenEnde(); });
  EXPECT_EQ(a.code, 1999);
  EXPECT_EQ(a.nummer, 1002);
}

TEST(EnginekmKette, KeinSpeicherBeimEinrichtenBehaeltDieKnoten) {
  UtFaultFailAllocAfter(kUtFaultEbKette, 10);  // the 11th node fails
  Ausgang a = fangen([] { EbListenInit(); });
  EXPECT_EQ(a.code, 1999);
  EXPECT_EQ(a.nummer, 1000);
  EXPECT_EQ(EbListenPoolFrei(), 10);
  // The user was counted: the end frees the ten nodes.
  EXPECT_EQ(fangen([] { EbListenEnde(); }).code, 0);
  EXPECT_EQ(EbListenPoolAllokiert(), 0);
}

TEST(EnginekmKette, KeinSpeicherBeimAnfuegen) {
  ASSERT_EQ(fangen([] { EbListenInit(); }).code, 0);
  std::int32_t s = -1;
  ASSERT_EQ(fangen([&] { s = EbListeBelegen(); }).code, 0);
  StenSatz l = linie(1, 2);
  for (int i = 0; i < 40; ++i) anfuegen(s, &l, EB_ELEM_LINIE);
  UtFaultFailAllocAfter(kUtFaultEbKette, 0);
  Ausgang a = fangen([&] { anfuegen(s, &l, EB_ELEM_LINIE); });
  EXPECT_EQ(a.nummer, 1000);
  EXPECT_EQ(EbListSlotLesen(s).anzahl, 40);
  UtFaultFailAllocAfter(kUtFaultEbKette, -1);
  EXPECT_EQ(fangen([] { EbListenEnde(); }).code, 0);
  EXPECT_EQ(EbListenPoolAllokiert(), 0);
}

TEST(EnginekmKette, NeuerPoolGibtAlleSlotsFrei) {
  ASSERT_EQ(fangen([] { EbListenInit(); }).code, 0);
  const std::uint32_t gen = EbListenGeneration();
  std::int32_t s = -1;
  ASSERT_EQ(fangen([&] { s = EbListeBelegen(); }).code, 0);
  ASSERT_EQ(fangen([] { EbListenInit(); }).code, 0);  // second user: nothing changes
  EXPECT_EQ(EbListenGeneration(), gen);
  EXPECT_EQ(EbListSlotLesen(s).belegt, 1);
  ASSERT_EQ(fangen([] {
              EbListenEnde();
              EbListenEnde();
              EbListenInit();
            }).code,
            0);
  EXPECT_EQ(EbListenGeneration(), gen + 1);
  EXPECT_EQ(EbListSlotLesen(s).belegt, 0);
  ASSERT_EQ(fangen([] { EbListenEnde(); }).code, 0);
}

// ---- route-search work lists ------------------------------------------------

TEST(EnginekmListen, KoepfeTragenWasIhreNutzerBrauchen) {
  // The engine copies take appends (the variants' points only once), the
  // kilometre cache is searched and inserted by its 36-byte key, and a
  // release frees the arrays but keeps the headers.
  EbListeInitWegeVarGlobal(&listeEbWegeVar);
  EbListeInitWegeBhfGlobal(&listeEbWegeBhf);
  EbListeInitWegeFertig(&listeWegeFertig);
  unsigned char var[124] = {1};
  EXPECT_EQ(UtListAppend(&listeEbWegeVar, var, 1), 0);
  EXPECT_EQ(UtListAppend(&listeEbWegeVar, var, 1), 1);
  std::int32_t punkt[3] = {11, 0, 7};
  EXPECT_EQ(UtListAppend(&listeEbWegeBhf, punkt, 1), 0);
  EXPECT_EQ(UtListAppend(&listeEbWegeBhf, punkt, 1), 0) << "unique: the same point once";
  std::int32_t fertig[10] = {0, 11, 21, 0, 0, 1, 0, 0, 0, 0};
  int gefunden = 0;
  std::int32_t i = UtListSearch(&listeWegeFertig, fertig, &gefunden);
  EXPECT_EQ(gefunden, -1);
  fertig[0] = 0;
  EXPECT_EQ(UtListInsert(&listeWegeFertig, static_cast<std::uint32_t>(i), fertig), 0);
  EXPECT_EQ(UtListSearch(&listeWegeFertig, fertig, &gefunden), 0);
  EXPECT_EQ(gefunden, 0);

  EbGlobaleListenFreigeben();
  EbListeArrayFreigeben(&listeWegeFertig);
  for (const UtList* l : {&listeEbWegeVar, &listeEbWegeBhf, &listeWegeFertig}) {
    EXPECT_EQ(l->elements, nullptr);
    EXPECT_EQ(l->count, 0u);
    EXPECT_EQ(l->allocated, 0u);
  }
  EXPECT_EQ(listeWegeFertig.keyLength, 36);
  EXPECT_EQ(listeEbWegeBhf.unique, 1);

  // The thirteen work lists: set up, one filled, released twice.
  EbLaufwegListen w;
  EbListeInitLaufwegGlst(&w.glst);
  EbListeInitLaufwegGlstWork(&w.glstWork);
  EbListeInitLaufwegEva(&w.eva);
  EbListeInitGlstProfil(&w.glstProfil);
  EbListeInitLaufwegAbgang(&w.abgang);
  EbListeInitLaufwegZiel(&w.ziel);
  EbListeInitWegeVar(&w.wegeVar, &w.wegeVarN, &w.wegeVarS);
  EbListeInitWegeBhf(&w.wegeBhf);
  EbListeInitBhf(&w.bhf, &w.bhf2);
  EbListeInitWegeAZ(&w.wegeAZ);
  EXPECT_EQ(UtListCopy(&w.wegeVar, &listeEbWegeVar), 0);
  EXPECT_EQ(UtListAppend(&w.wegeVarS, var, 1), 0);
  EbLaufwegListenFreigeben(&w);
  EbLaufwegListenFreigeben(&w);
  EXPECT_EQ(w.wegeVarS.elements, nullptr);
  EXPECT_EQ(w.glstProfil.keyLength, 8);
  EXPECT_EQ(w.glstProfil.unique, 0);
  EXPECT_EQ(w.wegeVarN.id, 33);
}

}  // namespace
}  // namespace ekm
