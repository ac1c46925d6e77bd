/*
** dm_index: what the tables' indexes share.
**
** A table keyed by station number (EBHF, STEN, GREN) builds an index over
** its records when it is loaded, in its own module beside its lookups,
** from the load hook its set-up puts in the table descriptor
** (DbTabDesc::afterLoad), and drops it before its blocks are freed
** (DbTabDesc::beforeUnload). An index is built only over records whose
** stored order the build has verified; a lookup asks it first and, when it
** cannot answer (switch off, table loaded anew since, order not verified,
** a number beyond its reach, no memory), searches as before. Over verified
** order both give the same record.
**
** This module owns the memory of every index: allocations and anonymous
** mappings, each asking the fault hook first (site kUtFaultDbIndex), so
** that a test can make an index build fail and see the lookups search.
** It also answers whether a table's index is current (DbIndexReady) and
** hands on the fast-path switch (dm_fastpath.h), which every index lookup
** consults.
*/
#ifndef ZOLMA_DM_INDEX_H
#define ZOLMA_DM_INDEX_H

#include <cstddef>
#include <cstdint>

#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_fastpath.h"
#include "support/utfault.h"

/* The index cannot answer: search. */
inline constexpr int32_t kDbNoIndex = -2;

/* An index's number array covers station numbers below this bound at most;
** a larger number is left to the search. */
inline constexpr uint32_t kDbIndexMaxDirect = 1u << 20;

/* n elements of T from the standard allocator, or null (n 0, no memory,
** or a failure injected at kUtFaultDbIndex); freed with DbIndexFree. */
void* DbIndexAllocBytes(std::size_t bytes);
template <class T>
T* DbIndexAlloc(std::size_t n) {
  return n == 0 ? nullptr : static_cast<T*>(DbIndexAllocBytes(n * sizeof(T)));
}
/* The same, zeroed: a large array that the index fills sparsely costs only
** the pages it touches (calloc takes fresh pages for it). */
void* DbIndexAllocZeroBytes(std::size_t bytes);
template <class T>
T* DbIndexAllocZero(std::size_t n) {
  return n == 0 ? nullptr : static_cast<T*>(DbIndexAllocZeroBytes(n * sizeof(T)));
}
void DbIndexFree(void* p);

/* bytes of zeroed memory mapped apart from the heap (its pages cost only
** when touched), or null (0 bytes, no memory, or an injected failure);
** released with DbIndexUnmap and the same byte count. */
/* The fault site asked is the index's own unless a caller names its own
** (the engine's node-list store maps its table here too). */
void* DbIndexMap(std::size_t bytes, UtFaultSite site = kUtFaultDbIndex);
void DbIndexUnmap(void* p, std::size_t bytes);

/* Marks the index of a table as built from its current load; a table whose
** index build fails or is dropped is marked with 0. */
inline void DbIndexMarkBuilt(DbTabDesc* tab, bool built) {
  tab->indexGeneration = built ? tab->generation : 0;
}

#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS
/* Test support: true when the table's index is built and current. */
bool DbIndexReady(const DbTabDesc* tab);
#endif

#endif
