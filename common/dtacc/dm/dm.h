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
** and it declares the tables of this module group: EBHF, PBHF, FEHL, FBRR,
** EBGG, FBRW and EBGB with their caller records (names ending in Satz).
** GREN, NGAT, TDRG, RBGT, STEN, LOST, NESR and the station master have
** headers of their own (dm_gren.h ...).
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

#include "common/dtacc/dm/dm_index.h"
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

/* ---- EBHF: stations ------------------------------------------------------- */

enum { kEbhfRecLen = 130, kEbhfGzpktRecLen = 14 };
/* Indexes into EbhfSatz::flags3 and EbhfSatz::letters. */
enum {
  kEbhfFlagList = 1,    /* 'N' keeps the station off the 50 km list */
  kEbhfLetterKind = 5,  /* station kind: 'A'/'H' node station */
  kEbhfLetterList1 = 8, /* both 'N' for the 50 km list */
  kEbhfLetterList2 = 9,
  kEbhfLetterKmPart = 11 /* 'A' km part 1, 'B' km part 2 */
};

/* Caller record of DbGetEbhf: the stored fields at natural alignment, named
** after their stored offset where they carry no meaning of their own here.
** No valid-until. The record is 136 bytes, the size result chains copy. */
struct EbhfSatz {
  uint16_t country;   /* stored at 0 */
  uint32_t station;   /* 2 */
  uint16_t validFrom; /* 6, bit 15 = withdrawn */
  char name[20];      /* 8, station name, blank-padded, no terminator */
  char name2[20];     /* 28, second name */
  char name3[9];      /* 48 */
  uint16_t u16At58;
  uint16_t tariffArea; /* 60 */
  uint32_t u32At62;    /* overwritten by the engine with a relation station */
  uint8_t u8At66;
  uint16_t u16At68;
  uint32_t u32At70[6];
  uint16_t u16At94;
  uint8_t u8At96;
  uint32_t u32At98;
  uint32_t u32At102;
  char flags3[3]; /* 106 */
  uint32_t u32At110;
  char letters[14]; /* 114 */
  uint16_t u16At128;
  uint8_t reserved[4]; /* zero; keeps the record at 136 bytes */
};
static_assert(sizeof(EbhfSatz) == 136, "EbhfSatz keeps its 136-byte layout");

extern DbTabDesc DbEbhfTab;
extern DbBlockDesc DbEbhfBlock;
extern DbBlockDesc DbEbhfGzpktBlock;

/* Fills the EBHF descriptors (code "EBHF", 200, version 3, sub-version 3). */
void DbInitEbhf();
/* Keyed lookup on (country, station): 0, 1, 2 (5 for a null out). */
DbLookupResult DbGetEbhf(EbhfSatz* out, uint16_t country, uint32_t station, UtDayNumber day);
/* The same lookup without the copy: the record found, either read in place
** from the records kept decoded (valid until the table is released or
** loaded anew) or decoded into puffer; null when there is none. *result
** is what DbGetEbhf returns (puffer must not be null). */
const EbhfSatz* DbGetEbhfRef(EbhfSatz* puffer, uint16_t country, uint32_t station, UtDayNumber day,
                             DbLookupResult* result);

/* The last stations found through the index, by station number: a
** request looks its own few stations up again and again. An entry names
** a record kept decoded by the index of the load it names (a load
** generation is never handed out twice, and the index of a load lives as
** long as the load) and holds, with the fast paths on, for the same key
** and day. DbGetEbhfRef reads them first (inline, so that a request's
** repeated lookups cost no call into the table manager), then searches. */
struct DbEbhfGemerkt {
  uint32_t generation; /* 0 = empty */
  uint16_t country;
  uint32_t station;
  UtDayNumber day;
  const EbhfSatz* satz;
};
inline constexpr uint32_t kDbEbhfGemerkt = 64;
extern DbEbhfGemerkt DbEbhfGemerktTab[kDbEbhfGemerkt];
/* The search behind DbGetEbhfRef: the index or the binary search; enters
** the record found through the index in DbEbhfGemerktTab. */
const EbhfSatz* DbEbhfSuchen(EbhfSatz* puffer, uint16_t country, uint32_t station, UtDayNumber day,
                             DbLookupResult* result);

inline const EbhfSatz* DbGetEbhfRef(EbhfSatz* puffer, uint16_t country, uint32_t station,
                                    UtDayNumber day, DbLookupResult* result) {
  if (!DbIsLoaded(&DbEbhfTab)) {
    *result = kDbNotLoaded;
    return nullptr;
  }
  const DbEbhfGemerkt& z = DbEbhfGemerktTab[station & (kDbEbhfGemerkt - 1)];
  if (z.generation != 0 && z.generation == DbEbhfTab.generation && z.station == station &&
      z.country == country && z.day == day && DbFastPathsOn()) {
    *result = kDbFound;
    return z.satz;
  }
  return DbEbhfSuchen(puffer, country, station, day, result);
}
/* Decodes one stored EbhfBlock record (kEbhfRecLen bytes). */
void DbEbhfDecode(const unsigned char* r, EbhfSatz* out);

/* ---- PBHF: station names -------------------------------------------------- */

enum { kPbhfRecLen = 28, kPbhfNameLen = 20 };

struct PbhfSatz {
  char name[20]; /* blank-padded, no terminator */
  uint16_t validFrom;
  uint32_t station; /* the number under which EBHF knows the station */
  uint8_t u8At26;
  uint16_t validUntil;
};
static_assert(sizeof(PbhfSatz) == 32, "PbhfSatz keeps its natural layout");

extern DbTabDesc DbPbhfTab;
extern DbBlockDesc DbPbhfBlock;

void DbInitPbhf(); /* code "PBHF", 974, version 1, sub-version 1 */
void DbLoadPbhf(); /* set-up the first time, then DbLoadTab */
void DbUnloadPbhf();
/* Exact lookup of a 20-character blank-padded name: 0, 1, 2. */
DbLookupResult DbGetPbhf(PbhfSatz* out, const char name[20], UtDayNumber day);
/* Records whose name begins with text and that are in force on day; -1 when
** PBHF is not loaded. */
int32_t DbCountPbhfPrefix(const char* text, UtDayNumber day);
/* The first such record in table order: 0, 1, 2. */
DbLookupResult DbFindPbhfPrefix(PbhfSatz* out, const char* text, UtDayNumber day);
/* Iterator: *index -1 starts, else continues after *index; on 0 *index is
** the returned record's index, on 2 it is left unchanged. */
DbLookupResult DbFindNextPbhfPrefix(PbhfSatz* out, int* index, const char* text, UtDayNumber day);
/* Two 20-byte names as unsigned bytes: -1, 0, 1. */
int DbCmpPbhfKey(const char* a, const char* b);
/* The prefix comparison of the first n characters of text with a stored
** name (a trailing blank in text asks for a further word): -1, 0, 1. */
int DbCmpPbhfPrefix(int n, const char* text, const char* name);

/* ---- FEHL: message texts -------------------------------------------------- */

enum { kFehlRecLen = 80, kFehlPatternLen = 70 };

struct FehlSatz {
  char variant;
  char ssId[2];
  uint16_t number;
  uint16_t validFrom;
  char c8;          /* the character stored at offset 8 */
  char pattern[70]; /* Meldungstextmuster, blank-padded, no terminator */
  uint16_t validUntil;
};
static_assert(sizeof(FehlSatz) == 82, "FehlSatz keeps its natural layout");

extern DbTabDesc DbFehlTab;

void DbInitFehl(); /* code "FEHL", 300, version 5, sub-version 2 */
/* Set-up the first time (the flag is shared with DbLoadFehlKeepStamp), then
** DbLoadTab. */
void DbLoadFehl();
/* The message formatter's own load: the same set-up flag, and the data-time
** stamp stays as it was. */
void DbLoadFehlKeepStamp();
void DbUnloadFehl();
/* Keyed lookup on (variant, id 1, id 2, number): 0, 1, 2 (5 for null
** arguments). */
DbLookupResult DbGetFehl(const char* variant, const char ssId[2], FehlSatz* out, uint16_t number,
                         UtDayNumber day);

/* ---- FBRR: relations ------------------------------------------------------- */

enum { kFbrrRecLen = 36 };

struct FbrrSatz {
  uint16_t keyNo;
  uint32_t relationNo;
  uint16_t validFrom;
  uint16_t u16At8;
  uint32_t stations[4]; /* full form: country * 100000 + local number */
  uint16_t numbers[4];  /* numbers[0]: the relation's kilometres */
  uint16_t validTo;
};
static_assert(sizeof(FbrrSatz) == 40, "FbrrSatz keeps its natural layout");

extern DbTabDesc DbFbrrTab;

void DbInitFbrr(); /* code "FBRR", 230, version 2, sub-version 2 */
/* By (key number, relation number), valid-from <= day <= valid-to: 0, 1, 2. */
DbLookupResult DbGetFbrr(FbrrSatz* out, uint16_t keyNo, uint32_t relationNo, UtDayNumber day);
/* By (key number, a, b, c, d) after normalising a > b (then also c, d when
** d is not 0): 0, 1, 2. */
DbLookupResult DbGetFbrrBhf(FbrrSatz* out, uint16_t keyNo, uint32_t a, uint32_t b, uint32_t c,
                            uint32_t d, UtDayNumber day);

/* ---- EBGG: route profiles (cursor) ---------------------------------------- */

enum { kEbggRecLen = 92 };

struct EbggSatz {
  uint32_t key1; /* profile key */
  uint32_t key2; /* entry key */
  uint16_t validFrom;
  char text8[8];
  char text2a[2];
  char text40[40];
  uint32_t rank;
  uint32_t profileFlags;
  char text4[4];
  char text2b[2];
  char text20[20];
  uint32_t u16At86; /* widened */
  uint32_t u32At88;
  uint16_t validUntil;
};
static_assert(sizeof(EbggSatz) == 108, "EbggSatz keeps its natural layout");

extern DbTabDesc DbEbggTab;
/* No release operation: the engine resets a slot it is done with. */
extern DbCursorSlot DbEbggSlots[kDbCursorSlots];

void DbInitEbgg(); /* code "EBGG", 893, version 1, sub-version 1 */
/* Cursor over the (key1, key2) groups of one key1: 0 .. 5. */
DbLookupResult DbNextEbgg(EbggSatz* out, int* handle, uint16_t key1, UtDayNumber day);
/* Cursor over the groups from key1 on to the end of the table: 0 .. 5. */
DbLookupResult DbNextEbggFrom(EbggSatz* out, int* handle, uint16_t key1, UtDayNumber day);
/* Writes the reset value over slot 0 .. 4 (others are ignored). */
void DbResetEbggSlot(int slot);

/* ---- FBRW: points along a relation (cursor) -------------------------------- */

enum { kFbrwRecLen = 22 };

struct FbrwSatz {
  uint32_t key1;  /* FBRR key number */
  uint16_t key2;  /* FBRR relation number, low 16 bits */
  uint16_t group; /* the point's place along the relation */
  uint16_t validFrom;
  uint32_t station; /* full form */
  uint16_t u16At14;
  uint8_t u8At16;
  uint8_t u8At17;
  uint16_t u16At18;
  uint16_t u16At20;
  uint16_t validUntil;
};
static_assert(sizeof(FbrwSatz) == 28, "FbrwSatz keeps its natural layout");

extern DbTabDesc DbFbrwTab;
extern DbCursorSlot DbFbrwSlots[kDbCursorSlots];

void DbInitFbrw(); /* code "FBRW", 233, version 2, sub-version 2 */
/* Cursor over the (key1, key2, group) groups of one (key1, key2): 0 .. 5. */
DbLookupResult DbNextFbrw(FbrwSatz* out, int* handle, uint32_t key1, uint16_t key2,
                          UtDayNumber day);
void DbResetFbrwSlot(int slot);

/* ---- EBGB: route points per profile entry (cursor) ------------------------- */

enum { kEbgbRecLen = 100 };

struct EbgbSatz {
  uint32_t key1;  /* EBGG entry key, widened */
  uint32_t key2;  /* local station number of the point */
  uint32_t group; /* local station number that stands for it */
  uint16_t validFrom;
  char text48[48]; /* the last 24 characters are the point's name */
  uint32_t kmThreshold;
  uint32_t u32At64;
  char text26[26];
  uint32_t u16At94; /* widened */
  uint32_t u32At96;
  uint16_t validUntil;
};
static_assert(sizeof(EbgbSatz) == 112, "EbgbSatz keeps its natural layout");

extern DbTabDesc DbEbgbTab;
extern DbCursorSlot DbEbgbSlots[kDbCursorSlots];

void DbInitEbgb(); /* code "EBGB", 895, version 1, sub-version 1 */
/* Cursor over the (key1, key2, group) groups of one (key1, key2): 0 .. 5. */
DbLookupResult DbNextEbgb(EbgbSatz* out, int* handle, uint16_t key1, uint32_t key2,
                          UtDayNumber day);
/* *handle := -1; a former handle 0 .. 4 gets its slot reset. */
void DbReleaseEbgbCursor(int* handle);
void DbResetEbgbSlot(int slot);

#endif
