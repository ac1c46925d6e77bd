/*
** ebanfrage.cpp - the distance request EbGfEntfernungsBerechnung.
**
** Owns the road of one request: clearing the answer, the trap frame, the
** request check that builds the work record EbAuftrag, the set-up by
** request type, the answer steps and the release of the engine-lifetime
** lists; the request counter with the clock readings of the request; and
** EbAnfrageFuellen, the request as the dialog sends it.
** Every error below is raised and caught by the frame held here, so a
** caller only ever sees the returned raise code.
*/
#include "engine/ebanfrage.h"

#include <cstring>
#include <ctime>

#include "engine/ebbahnweg.h"
#include "engine/ebdruck.h"
#include "engine/ebergebnis.h"
#include "engine/ebint.h"
#include "engine/ebleser.h"
#include "engine/ebliste.h"
#include "engine/ebnesee.h"
#include "support/msg.h"
#include "support/utlog.h"

std::int32_t EbAnfrageZaehler = 0;
std::clock_t EbAnfrageCpuStart = 0;
std::time_t EbAnfrageZeitStart = 0;

namespace {

/* Sets a work record to the template every request starts from, in
** place. */
void auftragVorlage(EbAuftrag* a) {
  std::memset(a, 0, sizeof *a);
  a->texteBauen = 1;
  a->neLage = ' ';
}

}  // namespace

/* ---- request check --------------------------------------------------------- */

namespace {

bool istRueckfahrtCode(char c) { return c == '2' || c == '5' || c == '7' || c == '9'; }
bool istEinfachCode(char c) { return c == '1' || c == '4' || c == '6' || c == '8'; }

}  // namespace

void EbPruefeAnfrage(EbAuftrag* auftrag, const EbAnfrage* anfrage) {
  auftragVorlage(auftrag);

  const std::int32_t typ = anfrage->anfrageTyp;
  if (typ != '1' && (typ < '3' || typ > '7')) EbRaiseEinfach(EB_RC_TYP);
  auftrag->typ = typ;

  if (anfrage->textFlag == '0')
    auftrag->texteBauen = 0;
  else if (anfrage->textFlag == '1')
    auftrag->texteBauen = 1;
  else
    EbRaiseEinfach(EB_RC_TEXTFLAG);

  if (istEinfachCode(anfrage->fahrtCode))
    auftrag->rueckfahrt = 0;
  else if (istRueckfahrtCode(anfrage->fahrtCode))
    auftrag->rueckfahrt = 1;
  else
    EbRaiseEinfach(EB_RC_FAHRTCODE);

  if (anfrage->zweiWege == 'J' || anfrage->zweiWege == 'j')
    auftrag->zweiWege = 1;
  else if (anfrage->zweiWege == 'N' || anfrage->zweiWege == 'n')
    auftrag->zweiWege = 0;
  else
    EbRaiseEinfach(EB_RC_ZWEIWEGE);

  if (auftrag->zweiWege != 0 && auftrag->rueckfahrt == 0) EbRaiseEinfach(EB_RC_ZWEIWEGE_OHNE_RUECK);

  if (anfrage->datum == kUtNoDay) EbRaiseEinfach(EB_RC_DATUM);
  auftrag->datum = anfrage->datum;
}

void EbUebernehmeBahnhoefe(const EbAnfrage* anfrage, EbAuftrag* auftrag) {
  if (anfrage->hin.ibv == 0 || anfrage->hin.ibn == 0) EbRaiseEinfach(EB_RC_STATION_NULL);
  if (auftrag->zweiWege != 0 && (anfrage->rueck.ibv == 0 || anfrage->rueck.ibn == 0))
    EbRaiseEinfach(EB_RC_STATION_NULL);
  auftrag->hinVon = anfrage->hin.ibv;
  auftrag->hinNach = anfrage->hin.ibn;
  auftrag->rueckVon = anfrage->rueck.ibv;
  auftrag->rueckNach = anfrage->rueck.ibn;
}

void EbSetzeJaOptionen(const EbAnfrage* anfrage, EbAuftrag* auftrag) {
  if (anfrage->optionen[0] == 'J' || anfrage->optionen[0] == 'j') auftrag->optionBits[EB_HIN] |= 3;
  if (anfrage->optionen[1] == 'J' || anfrage->optionen[1] == 'j')
    auftrag->optionBits[EB_RUECK] |= 3;
}

void EbUebernehmeNeSee(const EbAnfrage* anfrage, EbAuftrag* auftrag) {
  if (anfrage->verkehrNr == 0) EbRaiseEinfach(EB_RC_NE_VERKEHR);
  if (anfrage->gattungNr == 0) EbRaiseEinfach(EB_RC_NE_GATTUNG);

  const char hin = anfrage->neLageHin;
  const char rueck = anfrage->neLageRueck;
  if (auftrag->rueckfahrt != 0) {
    if (!((hin == 'V' && rueck == 'H') || (hin == 'H' && rueck == 'V')))
      EbRaiseEinfach(EB_RC_NE_LAGE_RUECK);
    auftrag->neLage = hin;
    if (anfrage->neBhfHin == 0 || anfrage->neUebHin == 0 || anfrage->neBhfRueck == 0 ||
        anfrage->neUebRueck == 0)
      EbRaiseEinfach(EB_RC_NE_STATION);
    if (anfrage->neBhfHin != anfrage->neBhfRueck) EbRaiseEinfach(EB_RC_NE_BAHNHOF);
    if (anfrage->neUebHin != anfrage->neUebRueck) {
      if (auftrag->typ == '4') EbRaiseEinfach(EB_RC_NE_UEBERGANG);
      auftrag->zweiWege = 1;
    }
  } else {
    if (!((hin == 'V' || hin == 'H') && rueck == 'N')) EbRaiseEinfach(EB_RC_NE_LAGE_EINFACH);
    auftrag->neLage = hin;
    if (anfrage->neBhfHin == 0 || anfrage->neUebHin == 0) EbRaiseEinfach(EB_RC_NE_STATION);
  }
}

/* ---- the answer before the request --------------------------------------- */

namespace {

void wegLeeren(EbWeg* w) {
  std::memset(w->bezVon, ' ', sizeof w->bezVon);
  std::memset(w->bezNach, ' ', sizeof w->bezNach);
  w->reserviert = ' ';
  w->linienMarke = ' ';
  w->endMarke = ' ';
  std::memset(w->wegetext, ' ', sizeof w->wegetext);
  std::memset(w->relFueller, ' ', sizeof w->relFueller);
  w->relAStart = w->relAEnde = w->relBStart = w->relBEnde = ' ';
  std::memset(w->textStartUrbo, ' ', sizeof w->textStartUrbo);
  std::memset(w->textEndeUrbo, ' ', sizeof w->textEndeUrbo);
  std::memset(w->textStart, ' ', sizeof w->textStart);
  std::memset(w->textEnde, ' ', sizeof w->textEnde);
}

/* The cleared answer, built once: zero with the text fields blank. */
void ergebnisVorlageBauen(EbErgebnis* e) {
  std::memset(e, 0, sizeof *e);
  wegLeeren(&e->hin);
  wegLeeren(&e->rueck);
  e->neSeeHin.tarifgebiet = ' ';
  e->neSeeRueck.tarifgebiet = ' ';
  std::memset(e->busbezVon, ' ', sizeof e->busbezVon);
  std::memset(e->busbezNach, ' ', sizeof e->busbezNach);
}

void ergebnisLeeren(EbErgebnis* e) {
  static const EbErgebnis vorlage = [] {
    EbErgebnis v;
    ergebnisVorlageBauen(&v);
    return v;
  }();
  std::memcpy(e, &vorlage, sizeof *e);
  std::memset(&EbAntwortPunkte, 0, sizeof EbAntwortPunkte);
}

}  // namespace

/* ---- the request ----------------------------------------------------------- */

namespace {

void anfrageAusfuehren(EbErgebnis* ergebnis, EbAbschnitte* abschnitte, EbAnfrage* anfrage,
                       std::uint32_t flags) {
  /* Counted unsigned, so that a very long run wraps instead of overflowing
  ** a signed number. */
  EbAnfrageZaehler = static_cast<std::int32_t>(static_cast<std::uint32_t>(EbAnfrageZaehler) + 1u);
  /* The clock readings serve only the answer rendering, which writes
  ** nothing without a log stream; reading the process clock is a system
  ** call, so it is skipped then. */
  if (UtLogStream() != nullptr) {
    EbAnfrageCpuStart = std::clock();
    EbAnfrageZeitStart = std::time(nullptr);
  }

  EbDruckeAnfrage(anfrage);

  EbAuftrag auftrag;
  EbPruefeAnfrage(&auftrag, anfrage);

  switch (auftrag.typ) {
    case '1':
      EbUebernehmeBahnhoefe(anfrage, &auftrag);
      if (anfrage->hin.optionFlag == 'J') EbSetzeJaOptionen(anfrage, &auftrag);
      EbBerechneBahnweg(anfrage, &auftrag, flags);
      break;
    case '3':
      EbUebernehmeBuslinie(ergebnis, anfrage, &auftrag);
      break;
    case '4':
      EbUebernehmeNeSee(anfrage, &auftrag);
      EbBerechneNeSee(anfrage, &auftrag);
      break;
    case '5':
    case '6':
      EbUebernehmeBahnhoefe(anfrage, &auftrag);
      if (anfrage->hin.optionFlag == 'J') EbSetzeJaOptionen(anfrage, &auftrag);
      EbUebernehmeNeSee(anfrage, &auftrag);
      EbBerechneBahnweg(anfrage, &auftrag, flags);
      break;
    case '7':
      EbUebernehmeVerkehr(anfrage, ergebnis, &auftrag);
      break;
    default:
      break;
  }

  if (auftrag.typ != '7') EbNamenUndTexte(&auftrag, ergebnis);
  std::int32_t anstoss[4] = {0, 0, 0, 0};
  EbBestimmeWege(anstoss, &anfrage->hin.relSchluessel2, &anfrage->rueck.relSchluessel2,
                 auftrag.zweiWege, auftrag.rueckfahrt, auftrag.datum);
  if (auftrag.typ == '1' || auftrag.typ == '4' || auftrag.typ == '5' || auftrag.typ == '6')
    EbErstelleErgebnis(&auftrag, ergebnis, anstoss, abschnitte, anfrage, flags);

  ergebnis->wegetextProblem = auftrag.wegetextProblem;
  EbDruckeErgebnis(auftrag.typ, ergebnis, auftrag.rueckfahrt);
}

}  // namespace

std::int32_t EbGfEntfernungsBerechnung(EbErgebnis* ergebnis, EbAbschnitte* abschnitte,
                                       EbAnfrage* anfrage, std::uint32_t flags) {
  ergebnisLeeren(ergebnis);

  MsgTrapFrame frame;
  const int code = MsgTry(frame, [&] { anfrageAusfuehren(ergebnis, abschnitte, anfrage, flags); });
  if (code != 0) {
    Meldungskontext* m = frame.received;
    if (m != nullptr && code != static_cast<int>(m->Meldungsnummer)) MsgWrite(m);
    MsgFree(m);
  }
  /* The engine-lifetime route lists give their element arrays back after
  ** every request, also a failed one. */
  EbGlobaleListenFreigeben();
  return code;
}

void EbAnfrageFuellen(EbAnfrage* anfrage, UtDayNumber tag, std::int32_t von, std::int32_t nach,
                      std::int32_t ueber1, std::int32_t ueber2, char textFlag) {
  std::memset(anfrage, 0, sizeof *anfrage);
  std::memcpy(anfrage->itId, "XXXXXX", 6);
  anfrage->anfrageTyp = '1';
  anfrage->textBreite = 100;
  anfrage->textFlag = textFlag;
  anfrage->fahrtCode = '1';
  anfrage->zweiWege = 'N';
  anfrage->datum = tag;
  anfrage->hin.optionFlag = 'N';
  anfrage->hin.ibv = von;
  anfrage->hin.ibn = nach;
  anfrage->hin.relSchluessel1 = 1;
  anfrage->hin.relSchluessel2 = 0;
  anfrage->hin.bpVor = ueber1;
  anfrage->hin.bpNach = ueber2;
  anfrage->hin.reserviert2 = 'K';
  anfrage->rueck.relSchluessel1 = 1;
  anfrage->rueck.reserviert2 = ' ';
  anfrage->optionen[0] = 'N';
  anfrage->optionen[1] = 'N';
  anfrage->profilKey = 0;
  anfrage->festeFolge = 1;
}
