/*
** Chain reader and segment list.
**
** After the route of a direction is complete, the answer assembly reads the
** direction's result chain with EbErgKetteAuswerten (first and last station
** taken, the relation used, the direction's answer points P0 to P7 and the
** Ne/See points N0 and N1) and, when the caller asks for it, copies its
** segments into one direction of the segment list with
** EbAbschnitteFuellen. The module owns the answer-point scratch
** EbAntwortPunkte and the direction index EbPunkteRichtung.
*/
#ifndef ZOLMA_ENGINE_EBLESER_H
#define ZOLMA_ENGINE_EBLESER_H

#include <cstdint>

#include "engine/eb.h"
#include "engine/ebint.h"
#include "support/utday.h"

/* Clears the answer points of both directions (start of every request). */
void EbAntwortPunkteLoeschen();

/* Answer points of both directions: P0..P7 and the Ne/See points N0, N1,
** copied into EbErgebnis::punkte in this order (p[hin], p[rueck], n[hin],
** n[rueck]). */
struct EbAntwortPunkteScratch {
  std::int32_t p[2][8];
  std::int32_t n[2][2];
};
static_assert(sizeof(EbAntwortPunkteScratch) == sizeof(std::int32_t) * EB_ANZAHL_PUNKTE);
extern EbAntwortPunkteScratch EbAntwortPunkte;
/* Direction index of the chain reader: 0 outbound, any other value return. */
extern std::int32_t EbPunkteRichtung;

/* Reads a chain: first and last station taken, the relation used (its
** 32-bit key, bit 31 set when used reversed; left alone when the chain has
** no relation), and the answer points of the current direction. Returns 0. */
std::int32_t EbErgKetteAuswerten(std::int32_t* ersterBhf, std::int32_t* letzterBhf,
                                 std::uint32_t slot, std::int32_t* relation, UtDayNumber datum);
/* Fills the 13 entries of one direction of the segment list from a chain. */
void EbAbschnitteFuellen(std::uint32_t slot, EbAbschnitt* eintraege, UtDayNumber datum);

#endif
