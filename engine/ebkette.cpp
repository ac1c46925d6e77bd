/*
** Result chains: the slot table, the element pool and the chain operations.
**
** Nodes live on the free list (singly linked through next) or in exactly
** one chain. A chain that is cleared goes back to the free list in one
** splice, in order; new nodes are allocated only when the free list is
** empty, and all nodes are freed when the last pool user leaves.
*/
#include "engine/ebkette.h"

#include <cstring>
#include <new>

#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_ebhf.h"
#include "common/dtacc/dm/dm_fbrr.h"
#include "common/dtacc/dm/dm_gren.h"
#include "common/dtacc/dm/dm_lost.h"
#include "common/dtacc/dm/dm_nesr.h"
#include "common/dtacc/dm/dm_sten.h"
#include "engine/ebinit.h"
#include "support/utfault.h"

namespace {

EbListSlot slotTabelle[EB_ANZAHL_SLOTS]; /* the 40 slots */

EbListNode* freiListe = nullptr;  /* spare nodes */
std::int32_t poolNutzer = 0;      /* pool users */
std::int32_t poolAllokiert = 0;   /* nodes allocated and not yet freed */
std::uint32_t poolGeneration = 0; /* first-user set-ups so far */

/* Nodes made by the first-user set-up; they cover an ordinary request. */
constexpr std::int32_t kPoolStartKnoten = 40;

}  // namespace

/* Every payload record fits the payload area whole. */
static_assert(sizeof(EbhfSatz) <= EB_NUTZLAST);
static_assert(sizeof(FbrrSatz) <= EB_NUTZLAST);
static_assert(sizeof(GrenSatz) <= EB_NUTZLAST);
static_assert(sizeof(StenSatz) <= EB_NUTZLAST);
static_assert(sizeof(NesrSatz) <= EB_NUTZLAST);
static_assert(sizeof(struct LostSatz) <= EB_NUTZLAST);
static_assert(sizeof(EbBusSatz) <= EB_NUTZLAST);

namespace {

/* One node from the allocator, or null (the fault hook can force that). */
EbListNode* knotenAllokieren() {
  if (UtFaultAlloc(kUtFaultEbKette)) return nullptr;
  EbListNode* k = new (std::nothrow) EbListNode;
  if (k != nullptr) ++poolAllokiert;
  return k;
}

/* The slot of a number that is 0 .. 39 and in use; raises 1003 otherwise. */
EbListSlot& slotInBenutzung(std::uint32_t slot) {
  if (slot >= EB_ANZAHL_SLOTS || slotTabelle[slot].belegt == 0)
    EbRaiseIntern(EB_MSG_SLOT_UNGUELTIG);
  return slotTabelle[slot];
}

}  // namespace

EbListSlot& EbListSlotLesen(std::uint32_t slot) {
  if (slot >= EB_ANZAHL_SLOTS) EbRaiseIntern(EB_MSG_SLOT_UNGUELTIG);
  return slotTabelle[slot];
}

EbListSlot* EbKetteLaufBeginnen(std::uint32_t slot) {
  EbListSlot* s = &slotInBenutzung(slot);
  s->cursor = s->kopf;
  return s;
}

std::size_t EbNutzlastGroesse(std::int32_t typ) {
  switch (typ) {
    case EB_ELEM_START:
    case EB_ELEM_ZIEL:
    case EB_ELEM_VIA:
    case EB_ELEM_NEPUNKT:
      return sizeof(EbhfSatz);
    case EB_ELEM_RELATION:
      return sizeof(FbrrSatz);
    case EB_ELEM_KNOTEN:
      return sizeof(GrenSatz);
    case EB_ELEM_LINIE:
      return sizeof(StenSatz);
    case EB_ELEM_NESEE:
      return sizeof(NesrSatz);
    case EB_ELEM_BUS:
      return sizeof(EbBusSatz);
    case EB_ELEM_LOST:
      return sizeof(struct LostSatz);
    default:
      return 0;
  }
}

namespace {

/* Puts every node of a chain back on the free list (one splice, in order)
** and empties the slot. */
void ketteZurueck(EbListSlot& s) {
  if (s.kopf != nullptr) {
    s.ende->next = freiListe;
    freiListe = s.kopf;
  }
  s.kopf = s.ende = s.cursor = nullptr;
  s.anzahl = 0;
}

}  // namespace

void EbListenInit() {
  ++poolNutzer;
  if (poolNutzer != 1) return;
  ++poolGeneration;
  for (EbListSlot& s : slotTabelle) s = EbListSlot{};
  for (std::int32_t i = 0; i < kPoolStartKnoten; ++i) {
    EbListNode* k = knotenAllokieren();
    if (k == nullptr) EbRaiseIntern(EB_MSG_KEIN_SPEICHER); /* keeps those made so far */
    k->next = freiListe;
    freiListe = k;
  }
}

void EbListenEnde() {
  if (poolNutzer <= 0) EbRaiseIntern(EB_MSG_POOL_FEHLT);
  if (--poolNutzer != 0) return;
  for (EbListSlot& s : slotTabelle)
    if (s.belegt != 0) ketteZurueck(s);
  while (freiListe != nullptr) {
    EbListNode* k = freiListe;
    freiListe = k->next;
    delete k;
    --poolAllokiert;
  }
}

std::int32_t EbListeBelegen() {
  for (std::int32_t i = 0; i < EB_ANZAHL_SLOTS; ++i) {
    if (slotTabelle[i].belegt == 0) {
      slotTabelle[i].belegt = 1;
      return i;
    }
  }
  EbRaiseIntern(EB_MSG_KEIN_SLOT);
}

void EbListeFreigeben(std::uint32_t slot) {
  if (slot >= EB_ANZAHL_SLOTS) EbRaiseIntern(EB_MSG_SLOT_UNGUELTIG);
  EbListSlot& s = slotTabelle[slot];
  if (s.belegt == 0) return;
  ketteZurueck(s);
}

void EbListeAnfuegen(std::uint32_t slot, const void* nutzlast, std::int32_t typ,
                     std::int32_t umgekehrt) {
  EbListSlot& s = slotInBenutzung(slot);
  EbListNode* k = freiListe;
  if (k != nullptr) {
    freiListe = k->next;
  } else {
    k = knotenAllokieren();
    if (k == nullptr) EbRaiseIntern(EB_MSG_KEIN_SPEICHER);
  }
  k->next = nullptr;
  k->prev = s.ende;
  if (s.ende != nullptr)
    s.ende->next = k;
  else
    s.kopf = k;
  s.ende = k;
  k->typ = typ;
  k->umgekehrt = umgekehrt;
  /* The payload, zero after the record (and all zero without one). */
  std::size_t n = EbNutzlastGroesse(typ);
  if (nutzlast == nullptr) n = 0;
  if (n != 0) std::memcpy(k->nutzlast, nutzlast, n);
  std::memset(k->nutzlast + n, 0, sizeof k->nutzlast - n);
  ++s.anzahl;
}

void EbListeVerketten(std::uint32_t a, std::uint32_t b) {
  EbListSlot& sa = slotInBenutzung(a);
  EbListSlot& sb = slotInBenutzung(b);
  if (&sa == &sb) {
    /* A chain moved onto itself stays as it is (linking it to its own
    ** head would make it circular). */
    sa.cursor = sa.kopf;
    return;
  }
  sa.anzahl += sb.anzahl;
  if (sa.ende != nullptr) sa.ende->next = sb.kopf;
  if (sb.kopf != nullptr) sb.kopf->prev = sa.ende;
  if (sb.ende != nullptr) sa.ende = sb.ende;
  if (sa.kopf == nullptr) sa.kopf = sb.kopf;
  sa.cursor = sa.kopf;
  sb.kopf = sb.ende = sb.cursor = nullptr;
  sb.anzahl = 0;
}

namespace {

/* Outbound type paired with the return type: start and destination swap. */
bool typenPassen(std::int32_t hin, std::int32_t rueck) {
  if (hin == 0 || rueck == 0) return false;
  if (hin == EB_ELEM_START) return rueck == EB_ELEM_ZIEL;
  if (hin == EB_ELEM_ZIEL) return rueck == EB_ELEM_START;
  return hin == rueck;
}

/* The payload fields that identify a segment or station, per type. */
bool nutzlastGleich(const EbListNode* h, const EbListNode* r) {
  switch (h->typ) {
    case EB_ELEM_START:
    case EB_ELEM_ZIEL:
    case EB_ELEM_VIA:
    case EB_ELEM_NEPUNKT: {
      EbhfSatz x = EbNutzlastLesen<EbhfSatz>(h), y = EbNutzlastLesen<EbhfSatz>(r);
      return x.country == y.country && x.station == y.station && x.validFrom == y.validFrom;
    }
    case EB_ELEM_RELATION: {
      FbrrSatz x = EbNutzlastLesen<FbrrSatz>(h), y = EbNutzlastLesen<FbrrSatz>(r);
      return x.keyNo == y.keyNo && x.relationNo == y.relationNo && x.validFrom == y.validFrom;
    }
    case EB_ELEM_KNOTEN: {
      GrenSatz x = EbNutzlastLesen<GrenSatz>(h), y = EbNutzlastLesen<GrenSatz>(r);
      return x.stationA == y.stationA && x.stationB == y.stationB && x.validFrom == y.validFrom;
    }
    case EB_ELEM_LINIE: {
      StenSatz x = EbNutzlastLesen<StenSatz>(h), y = EbNutzlastLesen<StenSatz>(r);
      return x.stationA == y.stationA && x.stationB == y.stationB && x.validFrom == y.validFrom;
    }
    case EB_ELEM_NESEE: {
      NesrSatz x = EbNutzlastLesen<NesrSatz>(h), y = EbNutzlastLesen<NesrSatz>(r);
      return x.key1 == y.key1 && x.key2 == y.key2 && x.validFrom == y.validFrom;
    }
    case EB_ELEM_BUS: {
      EbBusSatz x = EbNutzlastLesen<EbBusSatz>(h), y = EbNutzlastLesen<EbBusSatz>(r);
      return x.buslinie == y.buslinie && x.lfdNr == y.lfdNr && x.datum == y.datum;
    }
    default:
      return true; /* LOST and any other type: nothing is compared */
  }
}

}  // namespace

std::int32_t EbListenVergleichen() {
  std::uint32_t h = static_cast<std::uint32_t>(EbSlotHin);
  std::uint32_t r = static_cast<std::uint32_t>(EbSlotRueck);
  if (h >= EB_ANZAHL_SLOTS || r >= EB_ANZAHL_SLOTS) return 1;
  const EbListSlot& hin = slotTabelle[h];
  const EbListSlot& rueck = slotTabelle[r];
  if (hin.belegt == 0 || rueck.belegt == 0 || hin.anzahl != rueck.anzahl) return 1;
  const EbListNode* rk = rueck.ende;
  for (const EbListNode* hk = hin.kopf; hk != nullptr; hk = hk->next, rk = rk->prev) {
    if (rk == nullptr) return 1;
    if (!typenPassen(hk->typ, rk->typ)) return 1;
    if (!nutzlastGleich(hk, rk)) return 1;
    if (hk->typ == EB_ELEM_RELATION || hk->typ == EB_ELEM_KNOTEN || hk->typ == EB_ELEM_LINIE) {
      /* A segment forwards one way must run reversed the other way. */
      if ((hk->umgekehrt != 0) == (rk->umgekehrt != 0)) return 1;
    }
  }
  return rk == nullptr ? 0 : 1;
}

std::uint32_t EbListenGeneration() { return poolGeneration; }

#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS
std::int32_t EbListenPoolFrei() {
  std::int32_t n = 0;
  for (const EbListNode* k = freiListe; k != nullptr; k = k->next) ++n;
  return n;
}

std::int32_t EbListenPoolAllokiert() { return poolAllokiert; }
#endif
