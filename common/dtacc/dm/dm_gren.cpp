/*
** GREN: node-to-node kilometres (the triangular matrix and its history).
**
** This module owns the five GREN block descriptors, the load-time check that
** makes every later position, index and history access safe, and the pair
** lookup DbGetGren with its station search DbFindGrenIbnr.
**
** Layout of the blocks (little-endian, packed):
**   GrenKm1Block  14  current entry per pair, matrix order, no key:
**                     0 u16 km1  2 u16 km2  4 i32 route-text no.
**                     8 i16 relation index (-1 none)  10 u16 flags
**                     12 u16 valid-from
**   GrenIbnrBlock  4  u32 node station, ascending; n = count
**   GrenFrelBlock 10  0 char[2] relation code, 2/4/6/8 i16 GrenIb2Block index
**   GrenKm2Block  18  history: 0 i16 i  2 i16 j, then the 14 bytes of a
**                     GrenKm1Block entry (km1 ... valid-from) at offset 4
**   GrenIb2Block   4  u32 station, addressed by index only
** A pair of node indices i < j has its current entry at position
** i*(n-2) + j - i*(i-1)/2 - 1: the upper triangle without the diagonal,
** row by row.
**
** The node index, built at load (GrenIbnrBlock strictly ascending, as the
** load check insists; see dm_index.h): node[station] = its index.
*/
#include "common/dtacc/dm/dm_gren.h"

#include <cstring>

#include "common/dtacc/dm/dm_index.h"

DbTabDesc DbGrenTab = kDbTabDescInit;
DbBlockDesc DbGrenIbnrBlock = kDbBlockDescInit;

namespace {

DbBlockDesc DbGrenKm1Block = kDbBlockDescInit;
DbBlockDesc DbGrenKm2Block = kDbBlockDescInit;

DbBlockDesc DbGrenFrelBlock = kDbBlockDescInit;
DbBlockDesc DbGrenIb2Block = kDbBlockDescInit;

/* Offsets inside an entry (a GrenKm1Block record, or a GrenKm2Block record
** from its offset 4 on). */
constexpr std::size_t kEntKm1 = 0;
constexpr std::size_t kEntKm2 = 2;
constexpr std::size_t kEntRbgt = 4;
constexpr std::size_t kEntFrel = 8;
constexpr std::size_t kEntFlags = 10;
constexpr std::size_t kEntValidFrom = 12;

/* GrenKm2Block: the pair's indices, then the entry. */
constexpr std::size_t kHistI = 0;
constexpr std::size_t kHistJ = 2;
constexpr std::size_t kHistEntry = 4;

/* GrenFrelBlock: relation code, then four station indices. */
constexpr std::size_t kFrelCode = 0;
constexpr std::size_t kFrelIdx = 2;

/* Matrix position of the pair of node indices i < j among n nodes. */
int64_t grenMatrixPos(int64_t i, int64_t j, int64_t n) {
  return i * (n - 2) + j - i * (i - 1) / 2 - 1;
}

/* Fills the caller record from an entry whose stations are a < b. */
void grenFill(GrenSatz* out, uint32_t a, uint32_t b, const unsigned char* ent,
              uint16_t validUntil) {
  GrenSatz s;
  std::memset(&s, 0, sizeof s);
  s.stationA = a;
  s.stationB = b;
  s.validFrom = LeGetU16(ent + kEntValidFrom);
  s.kmPart1 = LeGetU16(ent + kEntKm1);
  s.kmPart2 = LeGetU16(ent + kEntKm2);
  s.routeTextNo = LeGetI32(ent + kEntRbgt);
  const unsigned char* rel = DbRec(&DbGrenFrelBlock, LeGetI16(ent + kEntFrel));
  if (rel) {
    std::memcpy(s.relationCode, rel + kFrelCode, 2);
    for (int k = 0; k < 4; ++k) {
      const unsigned char* st = DbRec(&DbGrenIb2Block, LeGetI16(rel + kFrelIdx + 2 * k));
      s.relationStations[k] = st ? LeGetU32(st) : 0;
    }
  } else {
    s.relationCode[0] = '0';
    s.relationCode[1] = '0';
  }
  s.flag = (LeGetU16(ent + kEntFlags) & 1u) ? 'J' : 'N';
  s.validUntil = validUntil;
  *out = s;
}

/* Relation index of an entry: -1 or a GrenFrelBlock record. */
bool grenCheckRelation(const unsigned char* ent, const char* block, int32_t rec, DbFault* fault) {
  int16_t rel = LeGetI16(ent + kEntFrel);
  if (rel == -1 || (rel >= 0 && rel < DbGrenFrelBlock.count)) return true;
  DbFaultSet(fault, block, "Satz %ld: Relationsindex %d ausserhalb 0..%ld", static_cast<long>(rec),
             rel, static_cast<long>(DbGrenFrelBlock.count) - 1);
  return false;
}

/* Load-time check: everything the lookup will later address by position or
** index lies inside its block. */
bool grenCheck(const DbTabDesc*, DbFault* fault) {
  const int64_t n = DbGrenIbnrBlock.count;
  /* The station search relies on strictly ascending numbers; with them the
  ** indices of a < b satisfy i < j, which the matrix position needs. */
  for (int32_t k = 1; k < DbGrenIbnrBlock.count; ++k) {
    if (LeGetU32(DbRec(&DbGrenIbnrBlock, k - 1)) >= LeGetU32(DbRec(&DbGrenIbnrBlock, k))) {
      DbFaultSet(fault, DbGrenIbnrBlock.name, "Satz %ld: Bahnhofsnummern nicht aufsteigend",
                 static_cast<long>(k));
      return false;
    }
  }
  const int64_t want = n * (n - 1) / 2;
  if (static_cast<int64_t>(DbGrenKm1Block.count) != want) {
    DbFaultSet(fault, DbGrenKm1Block.name, "%ld Saetze statt %lld fuer %lld Knoten",
               static_cast<long>(DbGrenKm1Block.count), static_cast<long long>(want),
               static_cast<long long>(n));
    return false;
  }
  /* The matrix is large: one pass that only notes whether any relation
  ** index is out of range, and the exact walk for the message when one is. */
  bool km1Bad = false;
  if (DbGrenKm1Block.records && DbGrenKm1Block.count > 0) {
    const unsigned char* r = DbGrenKm1Block.records + kEntFrel;
    const std::size_t step = static_cast<std::size_t>(DbGrenKm1Block.recLen);
    const int32_t frel = DbGrenFrelBlock.count;
    for (int32_t k = 0; k < DbGrenKm1Block.count; ++k, r += step) {
      const int32_t rel = LeGetI16(r);
      km1Bad |= rel < -1 || rel >= frel;
    }
  }
  if (km1Bad)
    for (int32_t k = 0; k < DbGrenKm1Block.count; ++k)
      if (!grenCheckRelation(DbRec(&DbGrenKm1Block, k), DbGrenKm1Block.name, k, fault))
        return false;
  for (int32_t k = 0; k < DbGrenKm2Block.count; ++k) {
    const unsigned char* r = DbRec(&DbGrenKm2Block, k);
    int16_t i = LeGetI16(r + kHistI);
    int16_t j = LeGetI16(r + kHistJ);
    if (i < 0 || j <= i || j >= n) {
      DbFaultSet(fault, DbGrenKm2Block.name,
                 "Satz %ld: Knotenpaar (%d,%d) ungueltig bei %lld Knoten", static_cast<long>(k), i,
                 j, static_cast<long long>(n));
      return false;
    }
    if (!grenCheckRelation(r + kHistEntry, DbGrenKm2Block.name, k, fault)) return false;
  }
  for (std::size_t off = kFrelIdx; off < kFrelIdx + 8; off += 2)
    if (!DbCheckIndexField(&DbGrenFrelBlock, off, kDbIndexI16, &DbGrenIb2Block, false, fault))
      return false;
  return true;
}

/* History block comparison: the search pair (i, j) against a record, signed. */
int grenHistCmp(int16_t i, int16_t j, const unsigned char* r) {
  int c = DbCmp<int16_t>(i, LeGetI16(r + kHistI));
  return c ? c : DbCmp<int16_t>(j, LeGetI16(r + kHistJ));
}

}  // namespace

/* ---- the node index -------------------------------------------------------- */

namespace {

struct GrenIndex {
  uint32_t generation = 0;
  uint32_t size = 0;
  bool whole = false; /* every node station lies below size */
  int32_t* node = nullptr;
};
GrenIndex g_index;

void DropIndex(const DbTabDesc* = nullptr) {
  DbIndexFree(g_index.node);
  g_index = GrenIndex{};
  DbIndexMarkBuilt(&DbGrenTab, false);
}

void BuildIndex(const DbTabDesc* = nullptr) {
  DropIndex();
  const DbBlockDesc* b = &DbGrenIbnrBlock;
  if (!b->records || b->count <= 0 || b->recLen < 4) return;
  uint32_t maxStation = 0;
  for (int32_t i = 0; i < b->count; ++i) {
    const uint32_t st = LeGetU32(DbRec(b, i));
    if (i > 0 && LeGetU32(DbRec(b, i - 1)) >= st) return; /* not strictly ascending */
    if (st > maxStation) maxStation = st;
  }
  const uint32_t size = maxStation < kDbIndexMaxDirect ? maxStation + 1 : kDbIndexMaxDirect;
  int32_t* node = DbIndexAlloc<int32_t>(size);
  if (!node) return;
  for (uint32_t s = 0; s < size; ++s) node[s] = -1;
  for (int32_t i = 0; i < b->count; ++i) {
    const uint32_t st = LeGetU32(DbRec(b, i));
    if (st < size) node[st] = i;
  }
  g_index.node = node;
  g_index.size = size;
  g_index.whole = maxStation < kDbIndexMaxDirect;
  g_index.generation = DbGrenTab.generation;
  DbIndexMarkBuilt(&DbGrenTab, true);
}

/* Index of a node station in GrenIbnrBlock, -1 when it is no node station,
** or kDbNoIndex. */
int32_t IndexNode(uint32_t station) {
  if (!DbFastPathsOn() || g_index.generation == 0 || g_index.generation != DbGrenTab.generation)
    return kDbNoIndex;
  if (station >= g_index.size) return g_index.whole ? -1 : kDbNoIndex;
  return g_index.node[station];
}

}  // namespace

void DbInitGren() {
  DbSetupTab(&DbGrenTab, 211, "GREN", 2, 1, grenCheck, BuildIndex, DropIndex);
  DbSetupBlock(&DbGrenTab, &DbGrenKm1Block, 1, "GrenKm1Block", kGrenKm1RecLen);
  DbSetupBlock(&DbGrenTab, &DbGrenIbnrBlock, 2, "GrenIbnrBlock", kGrenIbnrRecLen);
  DbSetupBlock(&DbGrenTab, &DbGrenFrelBlock, 3, "GrenFrelBlock", kGrenFrelRecLen);
  DbSetupBlock(&DbGrenTab, &DbGrenKm2Block, 4, "GrenKm2Block", kGrenKm2RecLen);
  DbSetupBlock(&DbGrenTab, &DbGrenIb2Block, 5, "GrenIb2Block", kGrenIb2RecLen);
}

int32_t DbFindGrenIbnr(uint32_t station) {
  if (!DbIsLoaded(&DbGrenTab)) return -1;
  const int32_t node = IndexNode(station);
  if (node != kDbNoIndex) return node;
  return DbSearchAny(&DbGrenIbnrBlock, [station](const unsigned char* r) {
    return DbCmp<uint32_t>(station, LeGetU32(r));
  });
}

DbLookupResult DbGetGren(uint32_t stationA, GrenSatz* out, uint32_t stationB) {
  if (!DbIsLoaded(&DbGrenTab)) return kDbNotLoaded;
  if (!out) return kDbBadArgs;
  if (stationA == stationB) return kDbNotFound;
  uint32_t a = stationA < stationB ? stationA : stationB;
  uint32_t b = stationA < stationB ? stationB : stationA;
  int32_t i = DbFindGrenIbnr(a);
  int32_t j = DbFindGrenIbnr(b);
  if (i < 0 || j < 0 || j <= i) return kDbNotFound;
  int64_t pos = grenMatrixPos(i, j, DbGrenIbnrBlock.count);
  if (pos < 0 || pos >= DbGrenKm1Block.count) return kDbNotFound; /* guarded at load */
  const unsigned char* cur = DbRec(&DbGrenKm1Block, static_cast<int32_t>(pos));
  const uint16_t curFrom = LeGetU16(cur + kEntValidFrom);
  const UtDayNumber day = EbKmStichtag;

  if (DbValidFromDay(curFrom) <= day) {
    if (DbIsWithdrawn(curFrom)) return kDbNotFound;
    grenFill(out, a, b, cur, kDbOpenEnd);
    return kDbFound;
  }

  /* The current entry begins after the day: the newest history version of
  ** the pair that has begun by then decides. */
  const int16_t hi = static_cast<int16_t>(i);
  const int16_t hj = static_cast<int16_t>(j);
  auto cmp = [hi, hj](const unsigned char* r) { return grenHistCmp(hi, hj, r); };
  int32_t first = DbSearchFirst(&DbGrenKm2Block, cmp);
  if (first < 0) return kDbNotFound;
  int32_t k = DbFirstInForceFrom(&DbGrenKm2Block, first, kHistEntry + kEntValidFrom, day,
                                 [&](const unsigned char* r) { return cmp(r) == 0; });
  if (k < 0) return kDbNotFound;
  uint16_t until;
  if (k > first)
    until = DbValidUntilKey(&DbGrenKm2Block, k, kHistEntry + kEntValidFrom, cmp);
  else
    until = static_cast<uint16_t>(DbValidFromDay(curFrom) - 1u);
  grenFill(out, a, b, DbRec(&DbGrenKm2Block, k) + kHistEntry, until);
  return kDbFound;
}

bool DbGrenZeile(uint32_t station, uint32_t* km, int32_t n, uint32_t keine) {
  if (!DbIsLoaded(&DbGrenTab) || n != DbGrenIbnrBlock.count) return false;
  const int32_t i = DbFindGrenIbnr(station);
  if (i < 0) return false;
  const UtDayNumber day = EbKmStichtag;
  for (int32_t m = 0; m < n; ++m) {
    km[m] = keine;
    if (m == i) continue;
    const int64_t pos = m < i ? grenMatrixPos(m, i, n) : grenMatrixPos(i, m, n);
    const unsigned char* cur = DbRec(&DbGrenKm1Block, static_cast<int32_t>(pos));
    if (!cur) continue; /* guarded at load */
    const uint16_t from = LeGetU16(cur + kEntValidFrom);
    if (DbValidFromDay(from) <= day) {
      if (!DbIsWithdrawn(from))
        km[m] = static_cast<uint32_t>(LeGetU16(cur + kEntKm1)) + LeGetU16(cur + kEntKm2);
      continue;
    }
    /* The current entry begins after the day: the lookup reads the history. */
    GrenSatz g;
    if (DbGetGren(station, &g, LeGetU32(DbRec(&DbGrenIbnrBlock, m))) == kDbFound)
      km[m] = static_cast<uint32_t>(g.kmPart1) + g.kmPart2;
  }
  return true;
}
