/*
** dm: the chief header of the table manager.
**
** It gives the one set of rules that every table lookup follows, written
** once here and used by each table module as a thin layer of key, range and
** group:
**   - the lookup results (DbLookupResult 0 .. 5);
**   - binary search with signed bounds over a loaded block, in place;
**   - the first record of a key in force on a day, with the withdrawn bit;
**   - the valid-until taken from the neighbouring (next newer) record;
**   - cursors: five DbCursorSlot per cursor table and one cursor step;
**   - the engine's kilometre reference day EbKmStichtag, which GREN, STEN
**     and TDRG read instead of a day argument (the engine sets it).
** Every table has a header of its own, named after its module (dm_ebhf.h,
** dm_pbhf.h, dm_fehl.h, dm_fbrr.h, dm_ebgg.h, dm_fbrw.h, dm_ebgb.h,
** dm_gren.h, dm_ngat.h, dm_tdrg.h, dm_rbgt.h, dm_sten.h, dm_lost.h,
** dm_nesr.h; the station master dm_stamm.h), which declares the table's
** descriptors, its caller record (name ending in Satz) and its lookups.
**
** Stored records are read in place with explicit little-endian reads
** (support/le.h); a lookup never allocates and never reads outside its
** block, and the only copy it makes is the one into the caller record,
** which is written only when the answer is 0.
*/
#ifndef ZOLMA_DM_DM_H
#define ZOLMA_DM_DM_H

#include <cstddef>
#include <cstdint>

#include "common/dtacc/dm/dmbase.h"
#include "support/le.h"
#include "support/utday.h"

/* ---- results ------------------------------------------------------------- */

typedef int32_t DbLookupResult;
enum : DbLookupResult {
  kDbFound = 0,     /* the caller record is filled */
  kDbNotLoaded = 1, /* the table's load count is 0 */
  kDbNotFound = 2,  /* not found, withdrawn on the day, or no more records */
  kDbNoCursor = 3,  /* all five cursor slots of the table are in use */
  kDbBadHandle = 4, /* handle not in 0 .. 4, slot not in use, or stale */
  kDbBadArgs = 5    /* null record or handle pointer, handle below -1 */
};

/* ---- validity ------------------------------------------------------------- */

inline constexpr uint16_t kDbWithdrawn = 0x8000; /* bit 15 of a valid-from */
inline constexpr UtDayNumber kDbOpenEnd = 43829; /* 31.12.2099 */

/* First day of a stored valid-from (bit 15 cleared). */
inline constexpr uint16_t DbValidFromDay(uint16_t validFrom) {
  return static_cast<uint16_t>(validFrom & 0x7FFFu);
}
inline constexpr bool DbIsWithdrawn(uint16_t validFrom) { return (validFrom & kDbWithdrawn) != 0; }

/* The engine's kilometre reference day: GREN, STEN and TDRG take their day
** from it. Owned here so the table manager does not depend on the engine;
** the engine's kilometre computation sets it before every lookup. */
extern UtDayNumber EbKmStichtag;

/* True while the table's load count is 1 or more. */
inline bool DbIsLoaded(const DbTabDesc* tab) { return tab->loadCount > 0; }

/* Record i of a block, or null when i is not in 0 .. count - 1 (or the block
** has no records). Every record access of a lookup goes through here or is
** bounded by count. */
inline const unsigned char* DbRec(const DbBlockDesc* b, int32_t i) {
  if (!b->records || i < 0 || i >= b->count) return nullptr;
  return b->records + static_cast<std::size_t>(i) * static_cast<std::size_t>(b->recLen);
}

/* Unsigned three-way comparison helpers for keys. */
template <class T>
inline int DbCmp(T a, T b) {
  return a < b ? -1 : (a > b ? 1 : 0);
}
/* n stored bytes compared as unsigned characters: -1, 0, 1. */
int DbCmpBytes(const void* a, const void* b, std::size_t n);

/* ---- binary search (signed bounds, in place) ------------------------------ */

/* cmp(rec) compares the search key with a stored record: < 0 when the key
** sorts before the record, 0 when equal, > 0 after. */

/* Index of some record whose key equals, or -1. */
template <class Cmp>
int32_t DbSearchAny(const DbBlockDesc* b, Cmp&& cmp) {
  if (!b->records || b->count <= 0) return -1;
  int32_t lo = 0;
  int32_t hi = b->count - 1;
  while (lo <= hi) {
    int32_t mid = lo + (hi - lo) / 2;
    int c = cmp(DbRec(b, mid));
    if (c < 0)
      hi = mid - 1;
    else if (c > 0)
      lo = mid + 1;
    else
      return mid;
  }
  return -1;
}

/* Index of the first (newest) record of the key, or -1. */
template <class Cmp>
int32_t DbSearchFirst(const DbBlockDesc* b, Cmp&& cmp) {
  int32_t i = DbSearchAny(b, cmp);
  while (i > 0 && cmp(DbRec(b, i - 1)) == 0) --i;
  return i;
}

/* Index of the first record whose key is not less than the search key
** (cmp(rec) <= 0); b->count when there is none. */
template <class Cmp>
int32_t DbLowerBound(const DbBlockDesc* b, Cmp&& cmp) {
  if (!b->records || b->count <= 0) return 0;
  int32_t lo = 0;
  int32_t hi = b->count; /* answer in [lo, hi] */
  while (lo < hi) {
    int32_t mid = lo + (hi - lo) / 2;
    if (cmp(DbRec(b, mid)) > 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}

/* ---- first record in force ------------------------------------------------ */

/* From the key's first record `first`, walks the records for which
** same(rec) holds: the first whose valid-from (bit 15 cleared) is on or
** before day decides. Its index, or -1 when it is withdrawn or no record of
** the key has begun by the day. vfOffset: byte offset of the valid-from. */
template <class Same>
int32_t DbFirstInForceFrom(const DbBlockDesc* b, int32_t first, std::size_t vfOffset,
                           UtDayNumber day, Same&& same) {
  for (int32_t i = first; i >= 0 && i < b->count; ++i) {
    const unsigned char* r = DbRec(b, i);
    if (!same(r)) break;
    uint16_t vf = LeGetU16(r + vfOffset);
    if (DbValidFromDay(vf) <= day) return DbIsWithdrawn(vf) ? -1 : i;
  }
  return -1;
}

/* The common keyed rule: binary search, back to the key's first record,
** first record in force on day. Index or -1 (not found or withdrawn). */
template <class Cmp>
int32_t DbFindInForce(const DbBlockDesc* b, std::size_t vfOffset, UtDayNumber day, Cmp&& cmp) {
  int32_t first = DbSearchFirst(b, cmp);
  if (first < 0) return -1;
  return DbFirstInForceFrom(b, first, vfOffset, day,
                            [&](const unsigned char* r) { return cmp(r) == 0; });
}

/* Valid-until of record idx: when the record before it has the same key
** (same(prev, rec)), that record's valid-from with bit 15 cleared, minus 1
** (as unsigned 16-bit); otherwise the open end 43829. */
template <class Same>
uint16_t DbValidUntil(const DbBlockDesc* b, int32_t idx, std::size_t vfOffset, Same&& same) {
  const unsigned char* r = DbRec(b, idx);
  const unsigned char* prev = DbRec(b, idx - 1);
  if (!r || !prev || !same(prev, r)) return kDbOpenEnd;
  return static_cast<uint16_t>(DbValidFromDay(LeGetU16(prev + vfOffset)) - 1u);
}

/* Valid-until for a keyed lookup whose comparator matched record idx. */
template <class Cmp>
uint16_t DbValidUntilKey(const DbBlockDesc* b, int32_t idx, std::size_t vfOffset, Cmp&& cmp) {
  return DbValidUntil(b, idx, vfOffset, [&](const unsigned char* prev, const unsigned char*) {
    return cmp(prev) == 0;
  });
}

/* ---- cursors -------------------------------------------------------------- */

inline constexpr int kDbCursorSlots = 5;

/* One iteration slot of a cursor table. The reset value (in use 0, day 0,
** position -1, generation 0) frees it. */
struct DbCursorSlot {
  int32_t inUse;       /* 0 free, 1 in use */
  UtDayNumber day;     /* the day given when the cursor was opened */
  int32_t position;    /* index of the record returned last; -1 exhausted */
  uint32_t generation; /* the table's load generation at the opening */
};

inline constexpr DbCursorSlot kDbCursorSlotReset = {0, 0, -1, 0};

/* Writes the reset value over a slot: what a caller does to a cursor it
** abandons. Null is ignored. */
inline void DbResetCursorSlot(DbCursorSlot* slot) {
  if (slot) *slot = kDbCursorSlotReset;
}

/* The release operation: *handle := -1 and, when the old handle was 0 .. 4,
** the reset value over that slot (whether or not it was in use). A null
** handle pointer is ignored. */
void DbReleaseCursor(DbCursorSlot* slots, int* handle);

/* What a cursor step works on: the table (its load generation), the block
** and its five slots, and the byte offset of the stored valid-from. */
struct DbCursorTable {
  const DbTabDesc* tab;
  const DbBlockDesc* block;
  DbCursorSlot* slots;
  std::size_t vfOffset;
};

/* Group walk from record `from`: group by group while inRange(rec) holds,
** the first record of the group whose valid-from day is on or before day
** decides (withdrawn: the group is passed over). Sets the slot's position
** and *found on 0; position -1 on 2. */
template <class InRange, class SameGroup>
DbLookupResult DbCursorWalk(const DbCursorTable& ct, DbCursorSlot* slot, int32_t from,
                            InRange&& inRange, SameGroup&& sameGroup, int32_t* found) {
  const DbBlockDesc* b = ct.block;
  int32_t i = from;
  while (i >= 0 && i < b->count) {
    const unsigned char* g = DbRec(b, i);
    if (!inRange(g)) break;
    int32_t chosen = -1;
    bool decided = false;
    int32_t j = i;
    for (; j < b->count; ++j) {
      const unsigned char* r = DbRec(b, j);
      if (j != i && !sameGroup(g, r)) break;
      if (!decided) {
        uint16_t vf = LeGetU16(r + ct.vfOffset);
        if (DbValidFromDay(vf) <= slot->day) {
          decided = true;
          if (!DbIsWithdrawn(vf)) chosen = j;
        }
      }
    }
    if (chosen >= 0) {
      slot->position = chosen;
      *found = chosen;
      return kDbFound;
    }
    i = j;
  }
  slot->position = -1;
  return kDbNotFound;
}

/* One cursor step, after the caller's own argument and load checks.
**   *handle == -1: opens in the lowest free slot (none: 3), with `day`;
**                  openStart() then gives the index of the cursor's first
**                  record, or -1 when the range is empty (2, slot kept).
**   *handle 0..4:  continues after the slot's position with the slot's day
**                  (the day argument is not used); a handle outside 0 .. 4,
**                  a free slot, or a slot opened on an earlier load of the
**                  table gives 4; an exhausted slot gives 2.
** inRange(ref, rec): rec lies in the same cursor range as ref (a record of
** the range). sameGroup(a, b): a and b belong to the same group.
** On 0, *found is the index of the record to copy into the caller record. */
template <class OpenStart, class InRange, class SameGroup>
DbLookupResult DbCursorStep(const DbCursorTable& ct, int* handle, UtDayNumber day,
                            OpenStart&& openStart, InRange&& inRange, SameGroup&& sameGroup,
                            int32_t* found) {
  const DbBlockDesc* b = ct.block;
  DbCursorSlot* slot = nullptr;
  int32_t from = -1;
  if (*handle == -1) {
    for (int k = 0; k < kDbCursorSlots; ++k) {
      if (ct.slots[k].inUse == 0) {
        slot = &ct.slots[k];
        *handle = k;
        break;
      }
    }
    if (!slot) return kDbNoCursor;
    slot->inUse = 1;
    slot->day = day;
    slot->position = -1;
    slot->generation = ct.tab->generation;
    from = openStart();
    if (from < 0 || from >= b->count) return kDbNotFound;
  } else {
    if (*handle < 0 || *handle >= kDbCursorSlots) return kDbBadHandle;
    slot = &ct.slots[*handle];
    if (slot->inUse == 0 || slot->generation != ct.tab->generation) return kDbBadHandle;
    if (slot->position < 0) return kDbNotFound;
    if (slot->position >= b->count) return kDbBadHandle; /* cannot happen: guard */
    const unsigned char* last = DbRec(b, slot->position);
    from = slot->position + 1;
    while (from < b->count && sameGroup(last, DbRec(b, from))) ++from;
    if (from >= b->count || !inRange(last, DbRec(b, from))) {
      slot->position = -1;
      return kDbNotFound;
    }
  }
  const unsigned char* ref = DbRec(b, from);
  return DbCursorWalk(
      ct, slot, from, [&](const unsigned char* r) { return inRange(ref, r); }, sameGroup, found);
}

#endif
