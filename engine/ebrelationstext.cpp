/*
** ebrelationstext.cpp - relation text of the route text.
**
** A route over a relation (an FBRR element) does not name its stations one
** by one: its part of the route text is a coded course built from the
** relation's points in FBRW. Each point carries a kind letter ('O', 'M' or
** 'U'); the pair of the previous and the current kind picks the separator
** written before the point (WtTrennzeichen), and some pairs are invalid.
**
** This module owns the separator table, the state word of the kinds, the
** text-element writer with its status bits, and the reading of the points
** (EbSucheWeg). The names of the points come from the station master,
** through the hook EbWtStammAbfrageSetzen so that tests can give names.
*/
#include <cstdint>
#include <cstring>

#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_bhfnr.h"
#include "common/dtacc/dm/dm_fbrr.h"
#include "common/dtacc/dm/dm_fbrw.h"
#include "common/dtacc/dm/dm_stamm.h"
#include "engine/ebwegetext.h"

namespace {
WtStammAbfrage stammAbfrage = DbGetBhf;
}  // namespace

#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS
void EbWtStammAbfrageSetzen(WtStammAbfrage abfrage) {
  stammAbfrage = abfrage != nullptr ? abfrage : DbGetBhf;
}
#endif

namespace {

/* Rows: previous kind (none, 'O', 'M', 'U'); columns: current kind (none =
** end of the text, 'O', 'M', 'U'). */
const char trennzeichen[16][4] = {
    "",   "(",   "",   "@",  /* none */
    "@)", "*",   ")*", "/",  /* 'O'  */
    "",   "*(",  "*",  "@*", /* 'M'  */
    ")",  ")*(", ")*", "*",  /* 'U'  */
};

}  // namespace

const char* WtTrennzeichen(std::uint32_t zustand) { return trennzeichen[zustand & 0xFu]; }

namespace {

/* One point of a relation as read from FBRW. */
struct RelPunkt {
  std::uint32_t station; /* full form */
  char art;
};

/* The kind letter of an FBRW point: its first 8-bit value. */
char punktArt(const FbrwSatz& satz) { return static_cast<char>(satz.u8At16); }

/* Copies a blank-padded field of n characters (n < puffer size) and
** terminates it. */
void feldKopieren(char* puffer, const char* feld, std::size_t n) {
  std::memcpy(puffer, feld, n);
  puffer[n] = '\0';
}

}  // namespace

std::uint32_t StrLenOhneBlanks(const char* s) {
  if (s == nullptr) return 0;
  std::size_t n = std::strlen(s);
  while (n > 0 && s[n - 1] == ' ') --n;
  return static_cast<std::uint32_t>(n);
}

void WtElemStatus(const WtTextElement* elem, std::int32_t umgekehrt, std::uint32_t* zustand,
                  std::uint32_t* status) {
  std::uint32_t z = ((*zustand << 2) & 0xFu) | (*zustand & ~0xFu);
  if (elem != nullptr) {
    std::uint32_t art = WT_ART_M;
    switch (elem->art) {
      case 'M':
        art = WT_ART_M;
        break;
      case 'O':
        art = WT_ART_O;
        break;
      case 'U':
        art = WT_ART_U;
        break;
      default:
        art = WT_ART_M;
        if (status != nullptr) *status |= WT_STATUS_ART_FREMD;
        break;
    }
    /* Travelling the relation backwards, an aside opens where it closed
    ** before: 'O' and 'U' change places. */
    if (umgekehrt != 0 && (art & 1u) != 0) art ^= 2u;
    z |= art;
  }
  *zustand = z;
}

std::uint32_t WtElemSchreiben(std::uint32_t* geschrieben, char* aus, std::uint32_t platz,
                              const WtTextElement* elem, std::int32_t umgekehrt,
                              std::uint32_t* zustand) {
  if (geschrieben == nullptr || aus == nullptr || platz == 0 || zustand == nullptr)
    return WT_STATUS_ARGUMENTE;
  *geschrieben = 0;
  std::uint32_t status = 0;
  WtElemStatus(elem, umgekehrt, zustand, &status);
  if (elem != nullptr && elem->name == nullptr) {
    aus[0] = '\0';
    return status | WT_STATUS_OHNE_NAME;
  }
  const char* trenner = WtTrennzeichen(*zustand);
  if (trenner[0] == '@') {
    status |= WT_STATUS_PAAR_UNGUELTIG;
    ++trenner;
  }
  const std::uint32_t trennLaenge = static_cast<std::uint32_t>(std::strlen(trenner));
  std::uint32_t nameLaenge = 0;
  if (elem != nullptr) {
    nameLaenge = StrLenOhneBlanks(elem->name);
    if (nameLaenge == 0) status |= WT_STATUS_NAME_LEER;
  }
  /* The NUL needs its place too. */
  if (static_cast<std::uint64_t>(trennLaenge) + nameLaenge >= platz) {
    aus[0] = '\0';
    return status | WT_STATUS_KEIN_PLATZ;
  }
  std::memcpy(aus, trenner, trennLaenge);
  for (std::uint32_t i = 0; i < nameLaenge; ++i) {
    char c = elem->name[i];
    if (c == '@') {
      c = '_';
      status |= WT_STATUS_AT_ERSETZT;
    }
    aus[trennLaenge + i] = c;
  }
  aus[trennLaenge + nameLaenge] = '\0';
  *geschrieben = trennLaenge + nameLaenge;
  return status;
}

std::uint32_t EbSucheWeg(char* teil, std::uint32_t aktuell, const FbrrSatz* relation,
                         std::int32_t umgekehrt, UtDayNumber datum) {
  teil[0] = '*';
  teil[1] = '\0';

  /* The points: a made-up start point at the relation's first station,
  ** dropped when FBRW begins there itself. */
  RelPunkt punkte[WT_MAX_PUNKTE];
  std::uint32_t anzahl = 0;
  punkte[anzahl++] = {relation->stations[0], 'M'};
  std::uint32_t status = 0;
  FbrwSatz satz;
  int handle = -1;
  bool erster = true;
  while (DbNextFbrw(&satz, &handle, relation->keyNo,
                    static_cast<std::uint16_t>(relation->relationNo & 0xFFFFu),
                    datum) == kDbFound) {
    if (erster && satz.station == relation->stations[0]) anzahl = 0;
    erster = false;
    if (anzahl >= WT_MAX_PUNKTE) {
      status = WT_STATUS_ARGUMENTE;
      break;
    }
    punkte[anzahl++] = {satz.station, punktArt(satz)};
  }
  /* FBRW has no release: the cursor slot is handed back by its reset
  ** value (a handle that never got a slot is ignored). */
  DbResetFbrwSlot(handle);
  if (status != 0) return status;

  if (anzahl == 0 || punkte[anzahl - 1].station != relation->stations[1]) {
    if (anzahl >= WT_MAX_PUNKTE) return WT_STATUS_ARGUMENTE;
    punkte[anzahl++] = {relation->stations[1], 'M'};
  }

  char* aus = teil + 1;
  std::uint32_t platz = WT_RELATION_PLATZ;
  std::uint32_t zustand = 0;
  for (std::uint32_t k = 0; k < anzahl; ++k) {
    const RelPunkt& p = punkte[umgekehrt != 0 ? anzahl - 1 - k : k];
    const std::uint32_t station = DbBhfLokal(p.station);
    if (k == 0 && station == aktuell) continue;
    /* The ends of the relation get the station's route-text name, the
    ** points between them its short name. */
    BhfSatz bhf;
    std::memset(&bhf, ' ', sizeof bhf);
    char name[sizeof bhf.routeTextName + 1] = "";
    if (stammAbfrage(&bhf, station, datum) == kDbFound) {
      if (k == 0 || k == anzahl - 1)
        feldKopieren(name, bhf.routeTextName, sizeof bhf.routeTextName);
      else
        feldKopieren(name, bhf.shortName, sizeof bhf.shortName);
    }
    const WtTextElement elem{station, name, p.art};
    std::uint32_t geschrieben = 0;
    status = WtElemSchreiben(&geschrieben, aus, platz, &elem, umgekehrt, &zustand);
    if (status != 0) return status;
    aus += geschrieben;
    platz -= geschrieben;
  }
  std::uint32_t geschrieben = 0;
  return WtElemSchreiben(&geschrieben, aus, platz, nullptr, umgekehrt, &zustand);
}
