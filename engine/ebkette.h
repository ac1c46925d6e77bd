/*
** Result chains of the distance engine: test and pool support beside the
** chain records and operations declared in engine/ebint.h.
**
** The module (ebkette.cpp) owns the 40-slot table, the element pool (a free
** list of spare nodes recycled so that a request allocates nothing once the
** pool has grown to its largest chain set) and the operations append,
** clear, move and compare. Every failure raises 1999 with "EB" 1000 (no
** memory), 1001 (no free slot), 1002 (pool end without user) or 1003 (bad
** slot).
*/
#ifndef ZOLMA_ENGINE_EBKETTE_H
#define ZOLMA_ENGINE_EBKETTE_H

#include <cstddef>
#include <cstdint>

#include "engine/ebint.h"

/* Bytes that an append copies into the payload for an element type (0 for
** a type outside the table: the payload stays all zero). */
std::size_t EbNutzlastGroesse(std::int32_t typ);

/* Counts the first-user set-ups of the pool in this process. A new set-up
** resets every slot to "not in use", so holders of slot numbers that live
** longer than one pool (the route step) take them again when it changes. */
std::uint32_t EbListenGeneration();

/* Test support: nodes on the free list, nodes allocated and not yet freed,
** and a fault-injection hook: the n-th following node allocation fails
** (0 = off). */
std::int32_t EbListenPoolFrei();
std::int32_t EbListenPoolAllokiert();
extern std::int32_t EbListenTestAllocFehler;

#endif
