/*
** Chain reader and segment list.
**
** After the route of a direction is complete, the answer assembly reads the
** direction's result chain with EbErgKetteAuswerten (first and last station
** taken, the relation used, the direction's answer points P0 to P7 and the
** Ne/See points N0 and N1) and, when the caller asks for it, copies its
** segments into one direction of the segment list with
** EbAbschnitteFuellen. Both are declared in engine/ebint.h, with the
** answer-point scratch EbAntwortPunkte and the direction index
** EbPunkteRichtung that this module defines.
*/
#ifndef ZOLMA_ENGINE_EBLESER_H
#define ZOLMA_ENGINE_EBLESER_H

#include "engine/ebint.h"

/* Clears the answer points of both directions (start of every request). */
void EbAntwortPunkteLoeschen();

#endif
