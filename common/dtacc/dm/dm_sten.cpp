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

void DbInitSten() {
  DbSetupTab(&DbStenTab, 220, "STEN", 2, 1, stenCheck, DbStenIndexBuild, DbStenIndexDrop);
  DbSetupBlock(&DbStenTab, &DbStenKmBlock, 1, "StenKmBlock", kStenKmRecLen);
  DbSetupBlock(&DbStenTab, &DbStenIbnrBlock, 2, "StenIbnrBlock", kStenIbnrRecLen);
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
  const int32_t first = DbStenIndexFirst(a, b);
  if (first >= 0) {
    /* The index names the pair's records: the same rule, decoded without
    ** following the station indices. */
    const int32_t end = DbStenIndexEnd(a, b, first);
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
