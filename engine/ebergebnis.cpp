/*
** ebergebnis.cpp - answer assembly.
**
** Turns the result chains of both directions and the work record into the
** answer: station names and the relation texts with the "+Urbo" suffix
** (EbNamenUndTexte), the answer points and adjoining stations from the
** chain reader (EbBestimmeWege), and for the request types '1', '4', '5'
** and '6' the rest (EbErstelleErgebnis): comparison of the two routes,
** break points, relation flags, route texts and segment list, the
** kilometre sums (EbSummiereKm) and the mirror of the outbound part into
** the return part (EbKopiereHinweg).
*/
#include "engine/ebergebnis.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_bhfnr.h"
#include "common/dtacc/dm/dm_ebhf.h"
#include "common/dtacc/dm/dm_fbrr.h"
#include "common/dtacc/dm/dm_gren.h"
#include "common/dtacc/dm/dm_nesr.h"
#include "common/dtacc/dm/dm_sten.h"
#include "engine/ebbahnhof.h"
#include "engine/ebinit.h"
#include "engine/ebint.h"
#include "engine/ebkette.h"
#include "engine/ebleser.h"
#include "engine/ebwegetext.h"
#include "support/msg.h"
#include "support/utday.h"

namespace {

bool leer(char c) { return c == ' ' || c == '\0'; }

/* A station's name for one end of a direction: the relation A name when
** the block applies there (type '3': the EBHF second name instead),
** otherwise the EBHF name. */
void endName(char ziel[20], const EbhfSatz& satz, bool relationA, const char relName[25],
             std::int32_t typ) {
  if (relationA) {
    if (typ == '3')
      std::memcpy(ziel, satz.name2, 20);
    else
      std::memcpy(ziel, relName, 20);
  } else {
    std::memcpy(ziel, satz.name, 20);
  }
}

/* The relation B texts of one end, when block B names a station there. */
void urboTexte(char urbo[25], char klar[25], std::int32_t station, const char name[25]) {
  if (station == 0) return;
  std::memcpy(urbo, name, 25);
  std::memcpy(klar, name, 25);
  EbUrboAnhaengen(urbo, klar);
}

/* Names and texts of one direction. aStart / aEnde: whether relation A's
** name stands for that end for this request type. */
void richtungNamen(EbWeg* weg, const EbRelBlockA* a, const EbRelBlockB* b, std::int32_t von,
                   std::int32_t nach, bool aStart, bool aEnde, std::int32_t typ, UtDayNumber tag) {
  EbhfSatz puffer;
  const EbhfSatz& vonSatz = EbBahnhofLesen(&puffer, von, tag);
  endName(weg->bezVon, vonSatz, aStart && a->gefundenStart != 0, a->nameStart, typ);
  urboTexte(weg->textStartUrbo, weg->textStart, b->bhfStart, b->nameStart);
  const EbhfSatz& nachSatz = EbBahnhofLesen(&puffer, nach, tag);
  endName(weg->bezNach, nachSatz, aEnde && a->gefundenEnde != 0, a->nameEnde, typ);
  urboTexte(weg->textEndeUrbo, weg->textEnde, b->bhfEnde, b->nameEnde);
}

void relationsFlags(EbWeg* weg, const EbRelBlockA* a, const EbRelBlockB* b) {
  weg->relAStart = a->gefundenStart != 0 ? 'J' : 'N';
  weg->relAEnde = a->gefundenEnde != 0 ? 'J' : 'N';
  weg->relABhfStart = static_cast<std::uint32_t>(a->bhfStart);
  weg->relABhfEnde = static_cast<std::uint32_t>(a->bhfEnde);
  weg->relBStart = b->gefundenStart != 0 ? 'J' : 'N';
  weg->relBEnde = b->gefundenEnde != 0 ? 'J' : 'N';
  weg->relBBhfStart = static_cast<std::uint32_t>(b->bhfStart);
  weg->relBBhfEnde = static_cast<std::uint32_t>(b->bhfEnde);
}

std::uint32_t textOptionen(std::uint32_t flags, const EbRelBlockA* a) {
  std::uint32_t o = 0;
  if (flags & EB_FLAG_DACH_BEHALTEN) o |= EB_WT_DACH_BEHALTEN;
  if (flags & EB_FLAG_KURZNAMEN) o |= EB_WT_KURZNAMEN;
  if (a->gefundenStart != 0) o |= EB_WT_REL_START;
  if (a->gefundenEnde != 0) o |= EB_WT_REL_ENDE;
  return o;
}

/* Route text of one direction; returns EbWegetextErstellen's result. */
std::int32_t richtungText(EbWeg* weg, EbTextMarke marken[2], std::uint32_t breite,
                          std::int32_t slot, std::uint32_t optionen, UtDayNumber tag) {
  EbTextMarke m1 = {0, 0xFFFF};
  EbTextMarke m2 = {0, 0xFFFF};
  std::uint32_t benutzt = 0;
  const std::int32_t r = EbWegetextErstellen(
      weg->wegetext, breite, static_cast<std::uint32_t>(slot), optionen, tag, &m1, &m2, &benutzt);
  marken[0] = m1;
  marken[1] = m2;
  return r;
}

/* Relation stations in travel order when a relation runs reversed. */
void fvUmkehren(std::uint32_t fv[4]) {
  const std::uint32_t s0 = fv[0], s1 = fv[1], s2 = fv[2], s3 = fv[3];
  fv[0] = s1;
  fv[1] = s0;
  if (s3 == 0) {
    fv[2] = s2;
    fv[3] = 0;
  } else {
    fv[2] = s3;
    fv[3] = s2;
  }
}

}  // namespace

void EbUrboAnhaengen(char text[25], char klar[25]) {
  int i = 24;
  while (i > 0 && leer(text[i])) --i;
  if (!leer(text[i])) ++i;
  /* A name reaching past position 20 leaves no room behind it: the suffix
  ** then takes the field's last five characters. */
  i = std::min(i, 20);
  std::memcpy(text + i, "+Urbo", 5);
  std::memset(klar + i, ' ', 5);
}

void EbNamenUndTexte(const EbAuftrag* auftrag, EbErgebnis* ergebnis) {
  const std::int32_t typ = auftrag->typ;
  const UtDayNumber tag = auftrag->datum;
  richtungNamen(&ergebnis->hin, &auftrag->relA[EB_HIN], &auftrag->relB[EB_HIN], auftrag->hinVon,
                auftrag->hinNach, typ == '1' || typ == '3' || typ == '5',
                typ == '1' || typ == '3' || typ == '6', typ, tag);
  if (auftrag->zweiWege != 0 && typ != '3')
    richtungNamen(&ergebnis->rueck, &auftrag->relA[EB_RUECK], &auftrag->relB[EB_RUECK],
                  auftrag->rueckVon, auftrag->rueckNach, typ == '1' || typ == '6',
                  typ == '1' || typ == '5', typ, tag);
}

void EbBestimmeWege(std::int32_t anstoss[4], std::int32_t* relHin, std::int32_t* relRueck,
                    std::int32_t zweiWege, std::int32_t rueckfahrt, UtDayNumber datum) {
  anstoss[0] = anstoss[1] = anstoss[2] = anstoss[3] = 0;
  EbPunkteRichtung = 0;
  EbErgKetteAuswerten(&anstoss[0], &anstoss[1], static_cast<std::uint32_t>(EbSlotHin), relHin,
                      datum);
  if (rueckfahrt == 0) return;
  if (zweiWege == 0) {
    anstoss[2] = anstoss[1];
    anstoss[3] = anstoss[0];
  } else {
    EbPunkteRichtung = 1;
    EbErgKetteAuswerten(&anstoss[2], &anstoss[3], static_cast<std::uint32_t>(EbSlotRueck), relRueck,
                        datum);
  }
}

void EbSummiereKm(std::uint32_t slot, EbWeg* weg, EbNeSeeTeil* neSee, std::int32_t typ,
                  std::uint32_t flags) {
  const bool bahn = typ == '1' || typ == '5' || typ == '6';
  if (bahn) std::memset(weg->relFueller, ' ', sizeof weg->relFueller);
  weg->bhfVon = 0;
  weg->bhfNach = 0;

  bool alleEnd = true, einigeEnd = false, linienFlag = false;
  std::uint32_t km1 = 0, km2 = 0;
  EbListSlot* s = EbKetteLaufBeginnen(slot);
  while (const EbListNode* k = EbKetteNaechstes(s)) {
    switch (k->typ) {
      case EB_ELEM_START:
        weg->bhfVon = EbNutzlastLesen<EbhfSatz>(k).station;
        break;
      case EB_ELEM_ZIEL:
        weg->bhfNach = EbNutzlastLesen<EbhfSatz>(k).station;
        break;
      case EB_ELEM_RELATION: {
        const FbrrSatz rel = EbNutzlastLesen<FbrrSatz>(k);
        weg->relSchluessel = rel.keyNo;
        weg->relNummer = rel.relationNo;
        weg->relAttribut = rel.u16At8;
        for (int i = 0; i < 4; ++i) weg->fvRelation[i] = DbBhfLokal(rel.stations[i]);
        if (k->umgekehrt != 0) {
          fvUmkehren(weg->fvRelation);
          weg->relRichtung = 2;
        } else {
          weg->relRichtung = 1;
        }
        weg->kmWzVxt = rel.numbers[0];
        weg->kmDrVxt = 0;
        alleEnd = false;
        break;
      }
      case EB_ELEM_KNOTEN: {
        const GrenSatz g = EbNutzlastLesen<GrenSatz>(k);
        km1 += g.kmPart1;
        km2 += g.kmPart2;
        alleEnd = false;
        break;
      }
      case EB_ELEM_LINIE: {
        const StenSatz st = EbNutzlastLesen<StenSatz>(k);
        if (st.flag3 == 'J')
          einigeEnd = true;
        else
          alleEnd = false;
        if (st.flag2 == 'J' || st.flag2 == 'U') linienFlag = true;
        km1 += st.kmPart1;
        km2 += st.kmPart2;
        break;
      }
      case EB_ELEM_NESEE: {
        const NesrSatz n = EbNutzlastLesen<NesrSatz>(k);
        neSee->streckenNr = n.value1;
        neSee->kmNe = n.value2;
        neSee->neSeeCode = n.value3;
        break;
      }
      case EB_ELEM_NEPUNKT:
        neSee->tarifgebiet = EbNutzlastLesen<EbhfSatz>(k).letters[kEbhfLetterKmPart];
        break;
      default:
        break;
    }
  }

  if (!bahn) return;
  if (alleEnd) {
    if ((flags & EB_FLAG_KEIN_1405) == 0 &&
        (km1 != 0 || km2 != 0 || weg->kmWzVxt != 0 || weg->kmDrVxt != 0))
      EbRaiseEinfach(EB_RC_ENDABSCHNITT_KM);
    weg->endMarke = 'A';
  } else {
    weg->endMarke = einigeEnd ? 'J' : 'N';
  }
  weg->kmWz = km1;
  weg->kmDr = km2;
  weg->linienMarke = linienFlag ? 'J' : 'N';
}

void EbKopiereHinweg(EbErgebnis* ergebnis, std::int32_t typ) {
  if (typ == '1' || typ == '5' || typ == '6') {
    const EbWeg& h = ergebnis->hin;
    EbWeg& r = ergebnis->rueck;
    r = h;
    std::swap(r.bhfVon, r.bhfNach);
    std::memcpy(r.bezVon, h.bezNach, sizeof r.bezVon);
    std::memcpy(r.bezNach, h.bezVon, sizeof r.bezNach);
    /* A break point before the route without relation and without a
    ** break point after stays first. */
    if (!(h.fvRelation[0] == 0 && h.bpNachlauf == 0 && h.bpVorlauf != 0))
      std::swap(r.bpVorlauf, r.bpNachlauf);
    std::swap(r.anstossStart, r.anstossZiel);
    std::swap(r.relAStart, r.relAEnde);
    std::swap(r.relABhfStart, r.relABhfEnde);
    std::swap(r.relBStart, r.relBEnde);
    std::swap(r.relBBhfStart, r.relBBhfEnde);
    std::memcpy(r.textStartUrbo, h.textEndeUrbo, sizeof r.textStartUrbo);
    std::memcpy(r.textEndeUrbo, h.textStartUrbo, sizeof r.textEndeUrbo);
    std::memcpy(r.textStart, h.textEnde, sizeof r.textStart);
    std::memcpy(r.textEnde, h.textStart, sizeof r.textEnde);
    fvUmkehren(r.fvRelation);
    if (r.relRichtung == 1)
      r.relRichtung = 2;
    else if (r.relRichtung == 2)
      r.relRichtung = 1;
    std::memset(r.wegetext, ' ', sizeof r.wegetext);
  }
  if (typ == '4' || typ == '5' || typ == '6') ergebnis->neSeeRueck = ergebnis->neSeeHin;
}

void EbErstelleErgebnis(EbAuftrag* auftrag, EbErgebnis* ergebnis, std::int32_t anstoss[4],
                        EbAbschnitte* abschnitte, const EbAnfrage* anfrage, std::uint32_t flags) {
  const std::int32_t typ = auftrag->typ;
  const UtDayNumber tag = auftrag->datum;
  const std::uint32_t breite = std::min(static_cast<std::uint32_t>(anfrage->textBreite),
                                        static_cast<std::uint32_t>(EB_WEGETEXT_LAENGE));

  if (auftrag->zweiWege != 0 && EbListenVergleichen() == 0) auftrag->zweiWege = 0;
  const bool zweiWege = auftrag->zweiWege != 0;
  ergebnis->rueckwegFlag = zweiWege ? 'J' : 'N';

  EbWeg* hin = &ergebnis->hin;
  EbWeg* rueck = &ergebnis->rueck;
  hin->bpVorlauf = static_cast<std::uint32_t>(auftrag->beruehrung[EB_HIN][0]);
  hin->bpNachlauf = static_cast<std::uint32_t>(auftrag->beruehrung[EB_HIN][1]);
  rueck->bpVorlauf = static_cast<std::uint32_t>(auftrag->beruehrung[EB_RUECK][0]);
  rueck->bpNachlauf = static_cast<std::uint32_t>(auftrag->beruehrung[EB_RUECK][1]);
  hin->anstossStart = static_cast<std::uint32_t>(anstoss[0]);
  hin->anstossZiel = static_cast<std::uint32_t>(anstoss[1]);
  rueck->anstossStart = static_cast<std::uint32_t>(anstoss[2]);
  rueck->anstossZiel = static_cast<std::uint32_t>(anstoss[3]);

  /* Relation A does not apply at an end that lies on the Ne/See part. */
  if (typ == '6' || typ == '4') {
    auftrag->relA[EB_HIN].gefundenStart = 0;
    auftrag->relA[EB_RUECK].gefundenEnde = 0;
  }
  if (typ == '5' || typ == '4') {
    auftrag->relA[EB_HIN].gefundenEnde = 0;
    auftrag->relA[EB_RUECK].gefundenStart = 0;
  }

  relationsFlags(hin, &auftrag->relA[EB_HIN], &auftrag->relB[EB_HIN]);
  if (zweiWege) relationsFlags(rueck, &auftrag->relA[EB_RUECK], &auftrag->relB[EB_RUECK]);

  if (auftrag->texteBauen != 0) {
    const std::int32_t r = richtungText(hin, ergebnis->markenHin, breite, EbSlotHin,
                                        textOptionen(flags, &auftrag->relA[EB_HIN]), tag);
    if (r == -1) auftrag->wegetextProblem = 1;
    const bool liste = (flags & EB_FLAG_ABSCHNITTE) != 0 && abschnitte != nullptr;
    if (abschnitte != nullptr) abschnitte->gefuellt = liste ? 1 : 0;
    if (liste) EbAbschnitteFuellen(static_cast<std::uint32_t>(EbSlotHin), abschnitte->hin, tag);
    if (zweiWege) {
      const std::int32_t rr = richtungText(rueck, ergebnis->markenRueck, breite, EbSlotRueck,
                                           textOptionen(flags, &auftrag->relA[EB_RUECK]), tag);
      if (rr != 0) auftrag->wegetextProblem = 1;
      if (liste)
        EbAbschnitteFuellen(static_cast<std::uint32_t>(EbSlotRueck), abschnitte->rueck, tag);
    }
  }

  EbSummiereKm(static_cast<std::uint32_t>(EbSlotHin), hin, &ergebnis->neSeeHin, typ, flags);
  if (zweiWege)
    EbSummiereKm(static_cast<std::uint32_t>(EbSlotRueck), rueck, &ergebnis->neSeeRueck, typ, flags);

  if (auftrag->rueckfahrt != 0 && !zweiWege) EbKopiereHinweg(ergebnis, typ);

  if (auftrag->rueckfahrt != 0 && (typ == '5' || typ == '6')) {
    if (auftrag->bahnKm[EB_HIN] == 0) std::memset(hin->wegetext, ' ', sizeof hin->wegetext);
    if (auftrag->bahnKm[EB_RUECK] == 0) std::memset(rueck->wegetext, ' ', sizeof rueck->wegetext);
  }

  static_assert(sizeof EbAntwortPunkte == sizeof ergebnis->punkte);
  std::memcpy(ergebnis->punkte, &EbAntwortPunkte, sizeof ergebnis->punkte);
}
