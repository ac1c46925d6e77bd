/*
** Result chains of the distance engine: the slots, the walk over a chain,
** the chain operations, and test and pool support. The chain records
** themselves (EbListNode, EbListSlot) are in engine/ebint.h.
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

#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS
/* Test support: nodes on the free list, nodes allocated and not yet freed.
** Node allocations fail on demand through the fault-injection site
** kUtFaultEbKette (support/utfault.h). */
std::int32_t EbListenPoolFrei();
std::int32_t EbListenPoolAllokiert();
#endif

/* Test support: the slot record of a number 0 .. 39, in use or not (its
** chain, cursor and in-use flag); a larger number raises 1999 "EB" 1003. */
EbListSlot& EbListSlotLesen(std::uint32_t slot);

/* Starts a walk over a chain: checks the slot number (0 .. 39) and that it
** is in use, else raises 1999 "EB" 1003; sets the cursor to the head. */
EbListSlot* EbKetteLaufBeginnen(std::uint32_t slot);
/* The element at the cursor, advancing the cursor; null at the end of the
** chain or at an element of type 0. */
inline EbListNode* EbKetteNaechstes(EbListSlot* s) {
  EbListNode* k = s->cursor;
  if (k == nullptr || k->typ == 0) return nullptr;
  s->cursor = k->next;
  return k;
}

/* ebkette.cpp: the pool and the chain operations. Slot numbers arrive as
** unsigned values: 40 and above (and so any negative number) is a bad slot.
** Failures raise 1999 with "EB" 1000 .. 1003. */
void EbListenInit();
void EbListenEnde();
std::int32_t EbListeBelegen();
void EbListeFreigeben(std::uint32_t slot);
void EbListeAnfuegen(std::uint32_t slot, const void* nutzlast, std::int32_t typ,
                     std::int32_t umgekehrt);
void EbListeVerketten(std::uint32_t a, std::uint32_t b);
/* 0 when the return result slot mirrors the outbound result slot, else 1. */
std::int32_t EbListenVergleichen();

#endif
