/*
** STEN: line kilometres between station pairs.
**
** This module owns the two STEN block descriptors, the load-time check of
** the station indices, and DbGetSten.
**
** Layout (little-endian, packed):
**   StenKmBlock   12  0 u16 index of station a  2 u16 index of station b
**                     4 u16 km1  6 u16 km2  8 u16 flags  10 u16 valid-from
**   StenIbnrBlock  4  u32 station number, addressed by index
** StenKmBlock is ordered by the station numbers the indices point to (a,
** then b, unsigned), the versions of one pair newest first. The order of
** StenIbnrBlock itself is never relied on: nothing searches it.
**
** The station index, built at load over verified order (see dm_index.h):
** range[a] = the records whose station a is a, and the station number of
** every record's b decoded once, searched in a plain array; beside them,
** for the partners of a station, the stations a of the records whose
** station b it is (by b, ascending as the records stand).
*/
#include "common/dtacc/dm/dm_sten.h"

#include <cstring>

#include "common/dtacc/dm/dm_index.h"

DbTabDesc DbStenTab = kDbTabDescInit;

DbBlockDesc DbStenKmBlock = kDbBlockDescInit;
DbBlockDesc DbStenIbnrBlock = kDbBlockDescInit;

namespace {

constexpr std::size_t kKmA = 0;
constexpr std::size_t kKmB = 2;
constexpr std::size_t kKmKm1 = 4;
constexpr std::size_t kKmKm2 = 6;
constexpr std::size_t kKmFlags = 8;
constexpr std::size_t kKmValidFrom = 10;

/* The last pairs found through the index: a request asks the same pair
** for its direct route and again for the segment it keeps, and the 50 km
** list asks the origin's pair to its best node station with every
** request. An entry holds for its pair, day and STEN load (a load
** generation is never handed out twice), with the switch on. */
struct Zuletzt {
  uint32_t generation; /* 0 = empty */
  uint32_t a;
  uint32_t b;
  UtDayNumber day;
  StenSatz satz;
};
constexpr uint32_t kZuletzt = 64;
Zuletzt g_zuletzt[kZuletzt];

/* Station number behind an index field of a StenKmBlock record (in range:
** checked at load). */
uint32_t stenStation(const unsigned char* r, std::size_t field) {
  const unsigned char* st = DbRec(&DbStenIbnrBlock, LeGetU16(r + field));
  return st ? LeGetU32(st) : 0;
}

bool stenCheck(const DbTabDesc*, DbFault* fault) {
  return DbCheckIndexField(&DbStenKmBlock, kKmA, kDbIndexU16, &DbStenIbnrBlock, false, fault) &&
         DbCheckIndexField(&DbStenKmBlock, kKmB, kDbIndexU16, &DbStenIbnrBlock, false, fault);
}

char stenSecondLetter(uint16_t flags) {
  if (flags & 0x4u) return 'J';
  if (flags & 0x8u) return 'A';
  if (flags & 0x10u) return 'U';
  return 'N';
}

}  // namespace

/* ---- the station index ----------------------------------------------------- */

namespace {

struct StenRange {
  int32_t begin;
  int32_t end; /* one past the last record of the station */
};

struct StenIndex {
  uint32_t generation = 0;
  uint32_t size = 0;
  bool whole = false;           /* every station lies below size */
  StenRange* range = nullptr;   /* by station number of a */
  uint32_t* stationB = nullptr; /* by record */
  /* Partners below: unten[untenBegin[b] .. untenBegin[b + 1]) are the
  ** stations a of the records of station b; null without memory. */
  int32_t* untenBegin = nullptr; /* size + 1 entries */
  uint32_t* unten = nullptr;     /* one per record */
  int32_t count = 0;             /* records */
};
StenIndex g_index;

void DropIndex(const DbTabDesc* = nullptr) {
  DbIndexFree(g_index.range);
  DbIndexFree(g_index.stationB);
  DbIndexFree(g_index.untenBegin);
  DbIndexFree(g_index.unten);
  g_index = StenIndex{};
  DbIndexMarkBuilt(&DbStenTab, false);
}

/* The partners below each station, from the verified records; without
** memory the index has none and DbStenPartners cannot answer. */
void BuildUnten(const uint32_t* stationA, int32_t count, uint32_t size) {
  int32_t* begin = DbIndexAllocZero<int32_t>(static_cast<std::size_t>(size) + 1);
  uint32_t* unten = DbIndexAlloc<uint32_t>(static_cast<std::size_t>(count));
  if (!begin || !unten) {
    DbIndexFree(begin);
    DbIndexFree(unten);
    return;
  }
  for (int32_t i = 0; i < count; ++i)
    if (g_index.stationB[i] < size) ++begin[g_index.stationB[i] + 1];
  for (uint32_t s = 0; s < size; ++s) begin[s + 1] += begin[s];
  /* Filled in record order: by a ascending within each b. begin[b] runs
  ** up to the next station's start and is set back afterwards. */
  for (int32_t i = 0; i < count; ++i) {
    const uint32_t b = g_index.stationB[i];
    if (b < size) unten[begin[b]++] = stationA[i];
  }
  for (uint32_t s = size; s > 0; --s) begin[s] = begin[s - 1];
  begin[0] = 0;
  g_index.untenBegin = begin;
  g_index.unten = unten;
}

void BuildIndex(const DbTabDesc* = nullptr) {
  DropIndex();
  const DbBlockDesc* b = &DbStenKmBlock;
  const DbBlockDesc* ib = &DbStenIbnrBlock;
  if (!b->records || b->count <= 0 || b->recLen < 4 || !ib->records || ib->count <= 0) return;
  /* Every station of a pair is one of StenIbnrBlock's numbers, decoded
  ** once for the pass; their largest bounds the arrays. */
  uint32_t* nummer = DbIndexAlloc<uint32_t>(static_cast<std::size_t>(ib->count));
  if (!nummer) return;
  uint32_t maxA = 0;
  for (int32_t k = 0; k < ib->count; ++k) {
    nummer[k] = LeGetU32(DbRec(ib, k));
    if (nummer[k] > maxA) maxA = nummer[k];
  }
  const uint32_t size = maxA < kDbIndexMaxDirect ? maxA + 1 : kDbIndexMaxDirect;
  uint32_t* stationA = DbIndexAlloc<uint32_t>(static_cast<std::size_t>(b->count));
  uint32_t* stationB = DbIndexAlloc<uint32_t>(static_cast<std::size_t>(b->count));
  StenRange* range = DbIndexAllocZero<StenRange>(size); /* {0, 0}: no records */
  auto fail = [&] {
    DbIndexFree(nummer);
    DbIndexFree(stationA);
    DbIndexFree(stationB);
    DbIndexFree(range);
  };
  if (!stationA || !stationB || !range) return fail();
  /* Station behind an index field (checked at load; 0 as the lookups'
  ** own decoding gives for an index outside the block). */
  const uint16_t anzahl = ib->count < 65536 ? static_cast<uint16_t>(ib->count) : 65535;
  auto station = [&](const unsigned char* r, std::size_t field) {
    const uint16_t k = LeGetU16(r + field);
    return k < anzahl ? nummer[k] : stenStation(r, field);
  };
  /* One pass: verify the order, decode a and b, and close each station's
  ** range where the next begins. */
  for (int32_t i = 0; i < b->count; ++i) {
    const unsigned char* r = DbRec(b, i);
    const uint32_t a = station(r, kKmA);
    const uint32_t sb = station(r, kKmB);
    if (i > 0 && (stationA[i - 1] > a || (stationA[i - 1] == a && stationB[i - 1] > sb)))
      return fail(); /* unordered: the lookups search */
    stationA[i] = a;
    stationB[i] = sb;
    if (a < size) {
      if (i == 0 || a != stationA[i - 1]) range[a].begin = i;
      range[a].end = i + 1;
    }
  }
  DbIndexFree(nummer);
  g_index.range = range;
  g_index.stationB = stationB;
  g_index.size = size;
  g_index.count = b->count;
  g_index.whole = maxA < kDbIndexMaxDirect;
  BuildUnten(stationA, b->count, size);
  DbIndexFree(stationA);
  g_index.generation = DbStenTab.generation;
  DbIndexMarkBuilt(&DbStenTab, true);
}

bool IndexCurrent() {
  return DbFastPathsOn() && g_index.generation != 0 && g_index.generation == DbStenTab.generation;
}

/* First index in [lo, hi) whose station number of b is not below b, hi
** when there is none; halving without a branch on the comparison. */
int32_t UntereGrenze(const uint32_t* sb, int32_t lo, int32_t hi, uint32_t b) {
  int32_t n = hi - lo;
  if (n <= 0) return hi;
  const uint32_t* base = sb + lo;
  while (n > 1) {
    const int32_t half = n / 2;
    base = base[half] < b ? base + half : base;
    n -= half;
  }
  return static_cast<int32_t>(base - sb) + (*base < b ? 1 : 0);
}

/* Where the search of a station's long range ended last time: the list
** asks one node station for stations in ascending order, so the next
** answer lies near. Keyed by station a and the load generation. */
struct Hinweis {
  uint32_t generation;
  uint32_t a;
  int32_t pos;
};
Hinweis g_hinweis[256];
constexpr int32_t kKurz = 32;

/* Index of the first StenKmBlock record of the pair (a, b) with a <= b,
** -1 when there is none, or kDbNoIndex. */
int32_t IndexFirst(uint32_t a, uint32_t b) {
  if (!IndexCurrent()) return kDbNoIndex;
  if (a >= g_index.size) return g_index.whole ? -1 : kDbNoIndex;
  const StenRange r = g_index.range[a];
  const uint32_t* sb = g_index.stationB;
  if (r.end - r.begin <= 0) return -1;
  int32_t x;
  Hinweis& h = g_hinweis[a & 255u];
  if (r.end - r.begin <= kKurz) {
    x = UntereGrenze(sb, r.begin, r.end, b);
  } else if (h.generation == g_index.generation && h.a == a && h.pos >= r.begin && h.pos < r.end) {
    /* Galloping from the last position: the bounds double until they
    ** hold the answer, then the plain search between them. */
    const int32_t p = h.pos;
    int32_t step = 1;
    if (sb[p] < b) {
      int32_t lo = p + 1; /* the answer is at lo or after */
      while (lo + step - 1 < r.end && sb[lo + step - 1] < b) {
        lo += step;
        step *= 2;
      }
      const int32_t hi = lo + step - 1 < r.end ? lo + step - 1 : r.end;
      x = UntereGrenze(sb, lo, hi, b);
    } else {
      int32_t hi = p; /* the answer is at hi or before; sb[hi] >= b */
      while (hi - step >= r.begin && sb[hi - step] >= b) {
        hi -= step;
        step *= 2;
      }
      const int32_t lo = hi - step + 1 > r.begin ? hi - step + 1 : r.begin;
      x = UntereGrenze(sb, lo, hi, b);
    }
  } else {
    x = UntereGrenze(sb, r.begin, r.end, b);
  }
  if (r.end - r.begin > kKurz) {
    h.generation = g_index.generation;
    h.a = a;
    h.pos = x < r.end ? x : r.end - 1;
  }
  return x < r.end && sb[x] == b ? x : -1;
}

/* One past the last record of the pair whose first record is `first` (a
** result of IndexFirst, not -1 or kDbNoIndex). */
int32_t IndexEnd(uint32_t a, uint32_t b, int32_t first) {
  const int32_t end = g_index.range[a].end;
  int32_t k = first;
  while (k < end && g_index.stationB[k] == b) ++k;
  return k;
}

}  // namespace

bool DbStenPartners(uint32_t station, DbStenPartner* out) {
  if (!IndexCurrent() || !g_index.unten || !g_index.whole) return false;
  *out = DbStenPartner{nullptr, 0, nullptr, 0};
  if (station >= g_index.size) return true;
  const StenRange r = g_index.range[station];
  out->oben = g_index.stationB + r.begin;
  out->obenAnzahl = r.end - r.begin;
  out->unten = g_index.unten + g_index.untenBegin[station];
  out->untenAnzahl = g_index.untenBegin[station + 1] - g_index.untenBegin[station];
  return true;
}

void DbInitSten() {
  DbSetupTab(&DbStenTab, 220, "STEN", 2, 1, stenCheck, BuildIndex, DropIndex);
  DbSetupBlock(&DbStenTab, &DbStenKmBlock, 1, "StenKmBlock", kStenKmRecLen);
  DbSetupBlock(&DbStenTab, &DbStenIbnrBlock, 2, "StenIbnrBlock", kStenIbnrRecLen);
  DbOnFastPathsOff(DbStenGemerktVergessen);
}

void DbStenGemerktVergessen() {
  for (Zuletzt& z : g_zuletzt) z = Zuletzt{};
}

DbLookupResult DbGetSten(StenSatz* out, uint32_t stationA, uint32_t stationB) {
  if (!DbIsLoaded(&DbStenTab)) return kDbNotLoaded;
  if (!out) return kDbBadArgs;
  uint32_t a = stationA < stationB ? stationA : stationB;
  uint32_t b = stationA < stationB ? stationB : stationA;
  auto cmp = [a, b](const unsigned char* r) {
    int c = DbCmp<uint32_t>(a, stenStation(r, kKmA));
    return c ? c : DbCmp<uint32_t>(b, stenStation(r, kKmB));
  };
  Zuletzt& z = g_zuletzt[(a * 31u + b) & (kZuletzt - 1)];
  if (z.generation != 0 && z.generation == DbStenTab.generation && z.a == a && z.b == b &&
      z.day == EbKmStichtag) {
    *out = z.satz;
    return kDbFound;
  }
  const int32_t first = IndexFirst(a, b);
  if (first >= 0) {
    /* The index names the pair's records: the same rule, decoded without
    ** following the station indices. */
    const int32_t end = IndexEnd(a, b, first);
    for (int32_t i = first; i < end; ++i) {
      const unsigned char* r = DbRec(&DbStenKmBlock, i);
      const uint16_t vf = LeGetU16(r + kKmValidFrom);
      if (DbValidFromDay(vf) > EbKmStichtag) continue;
      if (DbIsWithdrawn(vf)) return kDbNotFound;
      const uint16_t flags = LeGetU16(r + kKmFlags);
      StenSatz s;
      std::memset(&s, 0, sizeof s);
      s.stationA = a;
      s.stationB = b;
      s.validFrom = vf;
      s.kmPart1 = LeGetU16(r + kKmKm1);
      s.kmPart2 = LeGetU16(r + kKmKm2);
      s.flag1 = (flags & 0x1u) ? 'J' : 'N';
      s.flag2 = stenSecondLetter(flags);
      s.flag3 = (flags & 0x2u) ? 'J' : 'N';
      s.validUntil =
          i > first
              ? static_cast<uint16_t>(
                    DbValidFromDay(LeGetU16(DbRec(&DbStenKmBlock, i - 1) + kKmValidFrom)) - 1u)
              : kDbOpenEnd;
      *out = s;
      if (DbFastPathsOn()) z = Zuletzt{DbStenTab.generation, a, b, EbKmStichtag, s};
      return kDbFound;
    }
    return kDbNotFound;
  }
  int32_t k =
      first == kDbNoIndex ? DbFindInForce(&DbStenKmBlock, kKmValidFrom, EbKmStichtag, cmp) : -1;
  if (k < 0) return kDbNotFound;
  const unsigned char* r = DbRec(&DbStenKmBlock, k);
  const uint16_t flags = LeGetU16(r + kKmFlags);
  StenSatz s;
  std::memset(&s, 0, sizeof s);
  s.stationA = stenStation(r, kKmA);
  s.stationB = stenStation(r, kKmB);
  s.validFrom = LeGetU16(r + kKmValidFrom);
  s.kmPart1 = LeGetU16(r + kKmKm1);
  s.kmPart2 = LeGetU16(r + kKmKm2);
  s.flag1 = (flags & 0x1u) ? 'J' : 'N';
  s.flag2 = stenSecondLetter(flags);
  s.flag3 = (flags & 0x2u) ? 'J' : 'N';
  s.validUntil = DbValidUntilKey(&DbStenKmBlock, k, kKmValidFrom, cmp);
  *out = s;
  return kDbFound;
}
