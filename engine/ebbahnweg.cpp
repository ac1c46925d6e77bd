/*
** ebbahnweg.cpp - the rail route of each direction.
**
** For the rail request types '1', '5' and '6' EbBerechneBahnweg builds the
** result chain of the outbound direction and, with a separate return route,
** of the return direction: start element, Ne/See elements where the type
** calls for them, the rail route from the route step, destination element.
** Then it shares relation A names between the directions and sets the
** stations whose names the answer shows. EbErgPunktPruefen checks a
** Ne/See point and appends its two elements; it keeps the last NESR, NGAT
** and transfer-station records it read.
*/
#include "engine/ebbahnweg.h"

#include <cstddef>
#include <cstring>

#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_bhfnr.h"
#include "common/dtacc/dm/dm_ebhf.h"
#include "common/dtacc/dm/dm_fbrr.h"
#include "common/dtacc/dm/dm_nesr.h"
#include "common/dtacc/dm/dm_ngat.h"
#include "engine/ebbahnhof.h"
#include "engine/ebinit.h"
#include "engine/ebint.h"
#include "engine/ebkette.h"
#include "engine/ebsuche.h"
#include "support/msg.h"
#include "support/utday.h"

namespace {

NesrSatz letzterNesr;
NgatSatz letzterNgat;
EbhfSatz letzterUebergang;

/* In the start and destination elements of a chain, the field after the
** tariff area names the relation station that touches that end, or 0. */
void relationsEndenMarkieren(std::uint32_t slot, const EbRelBlockA* a, const EbRelBlockB* b) {
  EbListSlot* s = EbKetteLaufBeginnen(slot);
  while (EbListNode* k = EbKetteNaechstes(s)) {
    if (k->typ != EB_ELEM_START && k->typ != EB_ELEM_ZIEL) continue;
    std::int32_t station = 0;
    if (k->typ == EB_ELEM_START) {
      if (a->gefundenStart == 1)
        station = a->bhfStart;
      else if (b->gefundenStart == 1)
        station = b->bhfStart;
    } else {
      if (a->gefundenEnde == 1)
        station = a->bhfEnde;
      else if (b->gefundenEnde == 1)
        station = b->bhfEnde;
    }
    /* Only the one field changes: written in place in the payload. */
    const std::uint32_t wert = static_cast<std::uint32_t>(station);
    std::memcpy(k->nutzlast + offsetof(EbhfSatz, u32At62), &wert, sizeof wert);
  }
}

/* The route-search request of one direction. */
void suchAnfrageBauen(EbSuchAnfrage* such, const EbAnfrage* anfrage, const EbAnfrageWeg* teil,
                      std::int32_t von, std::int32_t nach, std::uint32_t optionBits,
                      UtDayNumber tag) {
  std::memset(such, 0, sizeof *such);
  such->von = von;
  such->nach = nach;
  such->bpVor = teil->bpVor;
  such->bpNach = teil->bpNach;
  such->konstante = 3;
  such->optionBits = optionBits;
  such->profilKey = anfrage->profilKey;
  such->festeFolge = anfrage->festeFolge;
  such->datum = tag;
  if (teil->relSchluessel2 != 0) {
    FbrrSatz rel;
    if (DbGetFbrr(&rel, teil->relSchluessel1, static_cast<std::uint32_t>(teil->relSchluessel2),
                  tag) != kDbFound)
      MsgRaise(EB_RC_FBRR_SCHLUESSEL, kMsgSsEngine, EB_MSG_FBRR_SCHLUESSEL, kMsgModeNumbered, "lds",
               teil->relSchluessel2, static_cast<int>(teil->relSchluessel1), UtDayText(tag));
    such->relWert = rel.keyNo;
    const std::int32_t s0 = static_cast<std::int32_t>(DbBhfLokal(rel.stations[0]));
    const std::int32_t s1 = static_cast<std::int32_t>(DbBhfLokal(rel.stations[1]));
    const std::int32_t s2 = static_cast<std::int32_t>(DbBhfLokal(rel.stations[2]));
    const std::int32_t s3 = static_cast<std::int32_t>(DbBhfLokal(rel.stations[3]));
    if (teil->relRichtung != 2) {
      such->relBhf[0] = s0;
      such->relBhf[1] = s1;
      such->relBhf[2] = s2;
      such->relBhf[3] = s3;
    } else if (rel.stations[3] == 0) {
      such->relBhf[0] = s1;
      such->relBhf[1] = s0;
      such->relBhf[2] = s2;
      such->relBhf[3] = 0;
    } else {
      such->relBhf[0] = s1;
      such->relBhf[1] = s0;
      such->relBhf[2] = s3;
      such->relBhf[3] = s2;
    }
  } else {
    such->relWert = teil->relSchluessel1;
    for (int i = 0; i < 4; ++i) such->relBhf[i] = teil->relBhf[i];
  }
}

/* One direction: chain into slot, the route step, Ne/See points.
** neVor / neNach: the Ne/See point ahead of or behind the rail part, or
** null. */
std::int32_t richtungBerechnen(const EbAnfrage* anfrage, EbAuftrag* auftrag, int r,
                               std::int32_t startBhf, std::int32_t startPruef, std::int32_t zielBhf,
                               std::int32_t zielPruef, std::int32_t von, std::int32_t nach,
                               const EbNeSeePunkt* neVor, const EbNeSeePunkt* neNach,
                               std::uint32_t flags, std::int32_t slotNr) {
  const std::uint32_t slot = static_cast<std::uint32_t>(slotNr);
  const UtDayNumber tag = auftrag->datum;
  EbhfSatz startPuffer, zielPuffer, pruef;
  const EbhfSatz& start = EbBahnhofLesen(&startPuffer, startBhf, tag);
  if (startPruef != 0) EbBahnhofLesen(&pruef, startPruef, tag);
  const EbhfSatz& ziel = EbBahnhofLesen(&zielPuffer, zielBhf, tag);
  if (zielPruef != 0) EbBahnhofLesen(&pruef, zielPruef, tag);

  EbListeAnfuegen(slot, &start, EB_ELEM_START, 0);
  if (neVor != nullptr) EbErgPunktPruefen(neVor, 0, slot);

  const EbAnfrageWeg* teil = (r == EB_HIN) ? &anfrage->hin : &anfrage->rueck;
  EbSuchAnfrage such;
  suchAnfrageBauen(&such, anfrage, teil, von, nach, auftrag->optionBits[r], tag);
  const std::int32_t km = EbLaufwegBerechnen(&such, &auftrag->relA[r], &auftrag->relB[r],
                                             auftrag->beruehrung[r], flags, slot);

  if (neNach != nullptr) EbErgPunktPruefen(neNach, 1, slot);
  EbListeAnfuegen(slot, &ziel, EB_ELEM_ZIEL, 0);
  relationsEndenMarkieren(slot, &auftrag->relA[r], &auftrag->relB[r]);
  return km;
}

void nameKopieren(char ziel[25], const char quelle[25]) { std::memcpy(ziel, quelle, 25); }

/* Relation A found at one end of one direction also applies to the
** matching end of the other direction when the mean km reach the
** threshold. Only the found flags and the names are shared. */
void relationATeilen(EbAuftrag* a) {
  EbRelBlockA* hin = &a->relA[EB_HIN];
  EbRelBlockA* rueck = &a->relA[EB_RUECK];
  const std::uint32_t mittel = (static_cast<std::uint32_t>(a->bahnKm[EB_HIN]) +
                                static_cast<std::uint32_t>(a->bahnKm[EB_RUECK]) + 1u) /
                               2u;

  if (a->hinVon == a->rueckNach && (hin->gefundenStart != 0 || rueck->gefundenEnde != 0) &&
      mittel >= static_cast<std::uint32_t>(hin->kmSchwelleStart)) {
    if (hin->gefundenStart != 0) {
      rueck->gefundenEnde = 1;
      nameKopieren(rueck->nameEnde, hin->nameStart);
    } else {
      hin->gefundenStart = 1;
      nameKopieren(hin->nameStart, rueck->nameEnde);
    }
  }
  if (a->hinNach == a->rueckVon && (hin->gefundenEnde != 0 || rueck->gefundenStart != 0) &&
      mittel >= static_cast<std::uint32_t>(hin->kmSchwelleEnde)) {
    if (hin->gefundenEnde != 0) {
      rueck->gefundenStart = 1;
      nameKopieren(rueck->nameStart, hin->nameEnde);
    } else {
      hin->gefundenEnde = 1;
      nameKopieren(hin->nameEnde, rueck->nameStart);
    }
  }
}

}  // namespace

void EbErgPunktPruefen(const EbNeSeePunkt* punkt, std::int32_t position, std::uint32_t slot) {
  const UtDayNumber tag = punkt->datum;
  if (DbGetNesr(&letzterNesr, static_cast<std::uint32_t>(punkt->neBhf),
                static_cast<std::uint32_t>(punkt->uebergang), tag) != kDbFound)
    MsgRaise(EB_RC_NESR, kMsgSsEngine, EB_MSG_NESR, kMsgModeNumbered, "lls", punkt->neBhf,
             punkt->uebergang, UtDayText(tag));

  const DbLookupResult ng = DbGetNgat(&letzterNgat, static_cast<std::uint16_t>(punkt->uebergang),
                                      static_cast<std::uint16_t>(punkt->neBhf),
                                      static_cast<std::uint16_t>(punkt->verkehrNr),
                                      static_cast<std::uint16_t>(punkt->gattungNr), tag);
  if (ng == kDbFound)
    letzterNesr.value2 = letzterNgat.value;
  else if (ng != kDbNotFound)
    MsgRaise(EB_RC_NGAT, kMsgSsEngine, EB_MSG_NGAT, kMsgModeNumbered, "lldds", punkt->uebergang,
             punkt->neBhf, static_cast<int>(punkt->verkehrNr & 0xFFFFu),
             static_cast<int>(punkt->gattungNr & 0xFFFFu), UtDayText(tag));

  EbBahnhofHolen(&letzterUebergang, punkt->uebergang, tag);

  if (position == 1) {
    EbListeAnfuegen(slot, &letzterUebergang, EB_ELEM_NEPUNKT, 0);
    EbListeAnfuegen(slot, &letzterNesr, EB_ELEM_NESEE, 0);
  } else {
    EbListeAnfuegen(slot, &letzterNesr, EB_ELEM_NESEE, 0);
    EbListeAnfuegen(slot, &letzterUebergang, EB_ELEM_NEPUNKT, 0);
  }
}

void EbBerechneBahnweg(const EbAnfrage* anfrage, EbAuftrag* auftrag, std::uint32_t flags) {
  if (static_cast<std::uint32_t>(EbSlotHin) >= EB_ANZAHL_SLOTS ||
      static_cast<std::uint32_t>(EbSlotRueck) >= EB_ANZAHL_SLOTS)
    EbRaiseIntern(EB_MSG_SLOT_UNGUELTIG);
  EbListeFreigeben(static_cast<std::uint32_t>(EbSlotHin));
  EbListeFreigeben(static_cast<std::uint32_t>(EbSlotRueck));

  const std::int32_t typ = auftrag->typ;
  const UtDayNumber tag = auftrag->datum;
  const EbNeSeePunkt neHin = {anfrage->neBhfHin, anfrage->neUebHin, anfrage->verkehrNr,
                              anfrage->gattungNr, tag};
  const EbNeSeePunkt neRueck = {anfrage->neBhfRueck, anfrage->neUebRueck, anfrage->verkehrNr,
                                anfrage->gattungNr, tag};

  /* Outbound: type '6' starts at the Ne/See station, type '5' ends there;
  ** the transfer station is checked in EBHF as well. */
  auftrag->bahnKm[EB_HIN] = richtungBerechnen(
      anfrage, auftrag, EB_HIN, typ == '6' ? anfrage->neBhfHin : auftrag->hinVon,
      typ == '6' ? anfrage->neUebHin : 0, typ == '5' ? anfrage->neBhfHin : auftrag->hinNach,
      typ == '5' ? anfrage->neUebHin : 0, auftrag->hinVon, auftrag->hinNach,
      typ == '6' ? &neHin : nullptr, typ == '5' ? &neHin : nullptr, flags, EbSlotHin);

  if (auftrag->zweiWege != 0) {
    /* Return: type '5' starts at the Ne/See station, type '6' ends there;
    ** no transfer check. */
    auftrag->bahnKm[EB_RUECK] = richtungBerechnen(
        anfrage, auftrag, EB_RUECK, typ == '5' ? anfrage->neBhfRueck : auftrag->rueckVon, 0,
        typ == '6' ? anfrage->neBhfRueck : auftrag->rueckNach, 0, auftrag->rueckVon,
        auftrag->rueckNach, typ == '5' ? &neRueck : nullptr, typ == '6' ? &neRueck : nullptr, flags,
        EbSlotRueck);
    relationATeilen(auftrag);
  }

  /* The stations whose names the answer shows. */
  const EbRelBlockA* hin = &auftrag->relA[EB_HIN];
  const EbRelBlockA* rueck = &auftrag->relA[EB_RUECK];
  if (typ == '6')
    auftrag->hinVon = anfrage->neBhfHin;
  else if (hin->gefundenStart != 0)
    auftrag->hinVon = hin->bhfStart;
  if (typ == '5')
    auftrag->hinNach = anfrage->neBhfHin;
  else if (hin->gefundenEnde != 0)
    auftrag->hinNach = hin->bhfEnde;
  if (auftrag->zweiWege != 0) {
    if (typ == '5')
      auftrag->rueckVon = anfrage->neBhfRueck;
    else if (rueck->gefundenStart != 0)
      auftrag->rueckVon = rueck->bhfStart != 0 ? rueck->bhfStart : hin->bhfEnde;
    if (typ == '6')
      auftrag->rueckNach = anfrage->neBhfHin;
    else if (rueck->gefundenEnde != 0)
      auftrag->rueckNach = rueck->bhfEnde != 0 ? rueck->bhfEnde : hin->bhfStart;
  }
}
