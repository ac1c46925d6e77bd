/*
** ebnesee.cpp - the request types without a rail route.
**
** '4': a journey only on a non-federal railway or shipping line (Ne/See);
**      its chain holds the two Ne/See stations and the Ne/See elements.
** '3': a railway bus line, whose answer is copied from the bus record.
** '7': a LOST record, whose answer is copied from the LOST table.
** Each type has one set-up step here; the common answer steps follow.
*/
#include "engine/ebnesee.h"

#include <cstring>

#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_ebhf.h"
#include "common/dtacc/dm/dm_lost.h"
#include "engine/ebbahnhof.h"
#include "engine/ebbahnweg.h"
#include "engine/ebinit.h"
#include "engine/ebint.h"
#include "engine/ebkette.h"
#include "engine/ebsuche.h"
#include "support/msg.h"
#include "support/utday.h"

namespace {

/* The head element of the outbound chain, which must be of type typ;
** otherwise 1999 "EB" 1201 with the type found (0 for an empty chain). */
const EbListNode* erstesElement(std::int32_t typ) {
  const EbListSlot* s = EbKetteLaufBeginnen(static_cast<std::uint32_t>(EbSlotHin));
  const EbListNode* k = s->kopf;
  if (k == nullptr || k->typ != typ)
    MsgRaise(EB_RC_INTERN, kMsgSsEngine, EB_MSG_ELEMENTTYP, kMsgModeNumbered, "d",
             k == nullptr ? 0 : static_cast<int>(k->typ));
  return k;
}

}  // namespace

void EbBerechneNeSee(const EbAnfrage* anfrage, EbAuftrag* auftrag) {
  EbListeFreigeben(static_cast<std::uint32_t>(EbSlotHin));
  EbListeFreigeben(static_cast<std::uint32_t>(EbSlotRueck));

  const UtDayNumber tag = auftrag->datum;
  const bool vorne = auftrag->neLage == 'V';
  EbhfSatz start, ziel;
  EbBahnhofHolen(&start, vorne ? anfrage->neBhfHin : anfrage->neUebHin, tag);
  EbBahnhofHolen(&ziel, vorne ? anfrage->neUebHin : anfrage->neBhfHin, tag);

  const std::uint32_t hin = static_cast<std::uint32_t>(EbSlotHin);
  EbListeAnfuegen(hin, &start, EB_ELEM_START, 0);
  const EbNeSeePunkt punktHin = {anfrage->neBhfHin, anfrage->neUebHin, anfrage->verkehrNr,
                                 anfrage->gattungNr, tag};
  EbErgPunktPruefen(&punktHin, auftrag->neLage == 'H' ? 1 : 0, hin);
  if (auftrag->rueckfahrt != 0) {
    const EbNeSeePunkt punktRueck = {anfrage->neBhfRueck, anfrage->neUebRueck, anfrage->verkehrNr,
                                     anfrage->gattungNr, tag};
    EbErgPunktPruefen(&punktRueck, vorne ? 1 : 0, static_cast<std::uint32_t>(EbSlotRueck));
  }
  EbListeAnfuegen(hin, &ziel, EB_ELEM_ZIEL, 0);

  auftrag->hinVon = auftrag->rueckNach = static_cast<std::int32_t>(start.station);
  auftrag->hinNach = auftrag->rueckVon = static_cast<std::int32_t>(ziel.station);
}

void EbUebernehmeBuslinie(EbErgebnis* ergebnis, const EbAnfrage* anfrage, EbAuftrag* auftrag) {
  /* The bus line's key (line, running number, day) would select the
  ** record; no table of the system supplies it. */
  (void)anfrage;
  EbListeFreigeben(static_cast<std::uint32_t>(EbSlotHin));
  EbErgSatzAnfuegen();
  const EbBusSatz bus = EbNutzlastLesen<EbBusSatz>(erstesElement(EB_ELEM_BUS));

  EbWeg* hin = &ergebnis->hin;
  hin->bhfVon = ergebnis->busnrVon = bus.ersteHalteNr;
  hin->bhfNach = ergebnis->busnrNach = bus.letzteHalteNr;
  if (bus.relBhfStart != 0) {
    auftrag->hinVon = static_cast<std::int32_t>(bus.relBhfStart);
    auftrag->relA[EB_HIN].gefundenStart = 1;
  } else {
    auftrag->hinVon = static_cast<std::int32_t>(bus.ersteHalteNr);
  }
  if (bus.relBhfEnde != 0) {
    auftrag->hinNach = static_cast<std::int32_t>(bus.relBhfEnde);
    auftrag->relA[EB_HIN].gefundenEnde = 1;
  } else {
    auftrag->hinNach = static_cast<std::int32_t>(bus.letzteHalteNr);
  }
  hin->bpVorlauf = bus.bpVor;
  hin->bpNachlauf = bus.bpNach;
  hin->kmWz = bus.kmVorNachA;
  hin->kmDr = bus.kmVorNachB;
  std::memcpy(hin->wegetext, bus.textHin, sizeof bus.textHin);
  std::memcpy(ergebnis->rueck.wegetext, bus.textRueck, sizeof bus.textRueck);
  std::memcpy(ergebnis->busbezVon, bus.nameErste, sizeof ergebnis->busbezVon);
  std::memcpy(ergebnis->busbezNach, bus.nameLetzte, sizeof ergebnis->busbezNach);
  ergebnis->buskmA = bus.buskmA;
  ergebnis->buskmB = bus.buskmB;
}

void EbUebernehmeVerkehr(const EbAnfrage* anfrage, EbErgebnis* ergebnis, EbAuftrag* auftrag) {
  EbListeFreigeben(static_cast<std::uint32_t>(EbSlotHin));
  EbErgLostAnfuegen(static_cast<std::uint16_t>(anfrage->verkehrNr),
                    static_cast<std::uint16_t>(anfrage->gattungNr),
                    static_cast<std::uint32_t>(anfrage->hin.ibv),
                    static_cast<std::uint16_t>(anfrage->hin.ibn), auftrag->datum);
  const LostSatz lost = EbNutzlastLesen<LostSatz>(erstesElement(EB_ELEM_LOST));

  EbWeg* hin = &ergebnis->hin;
  hin->bhfVon = lost.key3;
  hin->bhfNach = lost.key4;
  static_assert(sizeof lost.text1 == sizeof hin->bezVon + sizeof hin->bezNach);
  std::memcpy(hin->bezVon, lost.text1, sizeof hin->bezVon);
  std::memcpy(hin->bezNach, lost.text1 + sizeof hin->bezVon, sizeof hin->bezNach);
  static_assert(sizeof lost.text2 <= sizeof hin->wegetext);
  std::memcpy(hin->wegetext, lost.text2, sizeof lost.text2);
  std::memcpy(ergebnis->rueck.wegetext, lost.text3, sizeof lost.text3);
  hin->kmWz = lost.value;
}
