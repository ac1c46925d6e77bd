/*
** dm_index: direct indexes over station-keyed tables (see dm_index.h).
**
** Each index is an array addressed by station number, at most
** kMaxDirect entries long; a station number beyond it is left to the
** search. An index is built only over records whose stored order the build
** has verified, so that the first record it names is the one the binary
** search would walk back to.
**
**   EBHF   ordered by (country, station). The index covers the country with
**          the longest run of records; first[station] = its first record.
**          Beside it room for every record of the block, decoded on its
**          first lookup.
**   STEN   ordered by (station a, station b) as the indices point to them.
**          range[a] = the records of station a; within them the station
**          numbers of b, decoded once, are searched in a plain array.
**   GREN   GrenIbnrBlock strictly ascending (the load check insists):
**          node[station] = its index.
*/
#include "common/dtacc/dm/dm_index.h"

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>

#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_ebhf.h"
#include "common/dtacc/dm/dm_gren.h"
#include "common/dtacc/dm/dm_sten.h"

namespace {

bool g_fastPaths = true;

constexpr uint32_t kMaxDirect = 1u << 20;

/* Arrays of the standard allocator, freed with std::free; null when the
** count is 0 or there is no memory. */
template <class T>
T* NewArray(std::size_t n) {
  if (n == 0) return nullptr;
  return static_cast<T*>(std::malloc(n * sizeof(T)));
}

/* ---- EBHF --------------------------------------------------------------------- */

struct EbhfIndex {
  uint32_t generation = 0; /* of the load it was built from; 0 = none */
  uint16_t country = 0;
  uint32_t size = 0;  /* entries of first */
  bool whole = false; /* every station of the country lies below size */
  int32_t* first = nullptr;
  EbhfSatz* decoded = nullptr;    /* the records of EbhfBlock, decoded; may be null */
  unsigned char* ready = nullptr; /* by record: 1 once decoded holds it */
  int32_t count = 0;              /* entries of decoded and ready */
};
EbhfIndex g_ebhf;

void DropEbhf() {
  std::free(g_ebhf.first);
  if (g_ebhf.decoded)
    munmap(g_ebhf.decoded, static_cast<std::size_t>(g_ebhf.count) * sizeof(EbhfSatz));
  std::free(g_ebhf.ready);
  g_ebhf = EbhfIndex{};
}

void BuildEbhf() {
  DropEbhf();
  const DbBlockDesc* b = &DbEbhfBlock;
  if (!b->records || b->count <= 0 || b->recLen < 6) return;
  /* Verify the order and find the longest run of one country. */
  uint16_t bestCountry = 0;
  int32_t bestLen = 0;
  int32_t runStart = 0;
  for (int32_t i = 0; i < b->count; ++i) {
    const unsigned char* r = DbRec(b, i);
    const uint16_t c = LeGetU16(r);
    if (i > 0) {
      const unsigned char* p = DbRec(b, i - 1);
      const uint16_t pc = LeGetU16(p);
      if (pc > c || (pc == c && LeGetU32(p + 2) > LeGetU32(r + 2))) return; /* unordered */
      if (pc != c) runStart = i;
    }
    if (i - runStart + 1 > bestLen) {
      bestLen = i - runStart + 1;
      bestCountry = c;
    }
  }
  uint32_t maxStation = 0;
  for (int32_t i = 0; i < b->count; ++i) {
    const unsigned char* r = DbRec(b, i);
    if (LeGetU16(r) == bestCountry && LeGetU32(r + 2) > maxStation) maxStation = LeGetU32(r + 2);
  }
  const uint32_t size = maxStation < kMaxDirect ? maxStation + 1 : kMaxDirect;
  int32_t* first = NewArray<int32_t>(size);
  if (!first) return;
  for (uint32_t s = 0; s < size; ++s) first[s] = -1;
  for (int32_t i = b->count - 1; i >= 0; --i) {
    const unsigned char* r = DbRec(b, i);
    const uint32_t st = LeGetU32(r + 2);
    if (LeGetU16(r) == bestCountry && st < size) first[st] = i;
  }
  /* Room for every record decoded, each on its first lookup, so that
  ** later lookups read it in place instead of decoding; without memory
  ** the lookups decode. The room is mapped apart from the heap: its pages
  ** cost only when touched and give nothing back to the heap's trimming. */
  if (b->recLen >= kEbhfRecLen) {
    const std::size_t bytes = static_cast<std::size_t>(b->count) * sizeof(EbhfSatz);
    void* room = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    unsigned char* ready = NewArray<unsigned char>(static_cast<std::size_t>(b->count));
    if (room != MAP_FAILED && ready) {
      std::memset(ready, 0, static_cast<std::size_t>(b->count));
      g_ebhf.decoded = static_cast<EbhfSatz*>(room);
      g_ebhf.ready = ready;
      g_ebhf.count = b->count;
    } else {
      if (room != MAP_FAILED) munmap(room, bytes);
      std::free(ready);
    }
  }
  g_ebhf.first = first;
  g_ebhf.size = size;
  g_ebhf.country = bestCountry;
  g_ebhf.whole = maxStation < kMaxDirect;
  g_ebhf.generation = DbEbhfTab.generation;
}

/* ---- STEN --------------------------------------------------------------------- */

struct StenRange {
  int32_t begin;
  int32_t end; /* one past the last record of the station */
};

struct StenIndex {
  uint32_t generation = 0;
  uint32_t size = 0;
  bool whole = false;           /* every station a lies below size */
  StenRange* range = nullptr;   /* by station number of a */
  uint32_t* stationB = nullptr; /* by record */
};
StenIndex g_sten;

void DropSten() {
  std::free(g_sten.range);
  std::free(g_sten.stationB);
  g_sten = StenIndex{};
}

/* Station number behind an index field (checked at load to lie inside
** StenIbnrBlock). */
uint32_t StenStation(const unsigned char* r, std::size_t field) {
  const unsigned char* st = DbRec(&DbStenIbnrBlock, LeGetU16(r + field));
  return st ? LeGetU32(st) : 0;
}

void BuildSten() {
  DropSten();
  const DbBlockDesc* b = &DbStenKmBlock;
  const DbBlockDesc* ib = &DbStenIbnrBlock;
  if (!b->records || b->count <= 0 || b->recLen < 4 || !ib->records || ib->count <= 0) return;
  /* Every station a is one of StenIbnrBlock's numbers: their largest
  ** bounds the array. */
  /* The station numbers of StenIbnrBlock, decoded once for the pass. */
  uint32_t* nummer = NewArray<uint32_t>(static_cast<std::size_t>(ib->count));
  if (!nummer) return;
  uint32_t maxA = 0;
  for (int32_t k = 0; k < ib->count; ++k) {
    nummer[k] = LeGetU32(DbRec(ib, k));
    if (nummer[k] > maxA) maxA = nummer[k];
  }
  const uint32_t size = maxA < kMaxDirect ? maxA + 1 : kMaxDirect;
  uint32_t* stationB = NewArray<uint32_t>(static_cast<std::size_t>(b->count));
  StenRange* range = NewArray<StenRange>(size);
  if (!stationB || !range) {
    std::free(nummer);
    std::free(stationB);
    std::free(range);
    return;
  }
  /* Station behind an index field (checked at load; 0 as the lookups'
  ** own decoding gives for an index outside the block). */
  const uint16_t anzahl = ib->count < 65536 ? static_cast<uint16_t>(ib->count) : 65535;
  auto station = [&](const unsigned char* r, std::size_t field) {
    const uint16_t k = LeGetU16(r + field);
    return k < anzahl ? nummer[k] : StenStation(r, field);
  };
  for (uint32_t s = 0; s < size; ++s) range[s] = StenRange{0, 0};
  /* One pass: verify the order, decode b, and close each station's range
  ** where the next begins. */
  uint32_t prevA = 0;
  for (int32_t i = 0; i < b->count; ++i) {
    const unsigned char* r = DbRec(b, i);
    const uint32_t a = station(r, 0);
    const uint32_t sb = station(r, 2);
    if (i > 0 && (prevA > a || (prevA == a && stationB[i - 1] > sb))) {
      std::free(nummer); /* unordered: the lookups search */
      std::free(stationB);
      std::free(range);
      return;
    }
    stationB[i] = sb;
    if (a < size) {
      if (i == 0 || a != prevA) range[a].begin = i;
      range[a].end = i + 1;
    }
    prevA = a;
  }
  std::free(nummer);
  g_sten.range = range;
  g_sten.stationB = stationB;
  g_sten.size = size;
  g_sten.whole = maxA < kMaxDirect;
  g_sten.generation = DbStenTab.generation;
}

/* ---- GREN --------------------------------------------------------------------- */

struct GrenIndex {
  uint32_t generation = 0;
  uint32_t size = 0;
  bool whole = false; /* every node station lies below size */
  int32_t* node = nullptr;
};
GrenIndex g_gren;

void DropGren() {
  std::free(g_gren.node);
  g_gren = GrenIndex{};
}

void BuildGren() {
  DropGren();
  const DbBlockDesc* b = &DbGrenIbnrBlock;
  if (!b->records || b->count <= 0 || b->recLen < 4) return;
  uint32_t maxStation = 0;
  for (int32_t i = 0; i < b->count; ++i) {
    const uint32_t st = LeGetU32(DbRec(b, i));
    if (i > 0 && LeGetU32(DbRec(b, i - 1)) >= st) return; /* not strictly ascending */
    if (st > maxStation) maxStation = st;
  }
  const uint32_t size = maxStation < kMaxDirect ? maxStation + 1 : kMaxDirect;
  int32_t* node = NewArray<int32_t>(size);
  if (!node) return;
  for (uint32_t s = 0; s < size; ++s) node[s] = -1;
  for (int32_t i = 0; i < b->count; ++i) {
    const uint32_t st = LeGetU32(DbRec(b, i));
    if (st < size) node[st] = i;
  }
  g_gren.node = node;
  g_gren.size = size;
  g_gren.whole = maxStation < kMaxDirect;
  g_gren.generation = DbGrenTab.generation;
}

}  // namespace

/* ---- the switch ------------------------------------------------------------ */

bool DbFastPathsOn() { return g_fastPaths; }

void DbSetFastPaths(bool on) {
  g_fastPaths = on;
  if (!on) {
    DbEbhfGemerktVergessen();
    DbStenGemerktVergessen();
  }
}

/* ---- table hooks --------------------------------------------------------------- */

void DbEbhfIndexBuild(const DbTabDesc*) { BuildEbhf(); }
void DbEbhfIndexDrop(const DbTabDesc*) { DropEbhf(); }
void DbStenIndexBuild(const DbTabDesc*) { BuildSten(); }
void DbStenIndexDrop(const DbTabDesc*) { DropSten(); }
void DbGrenIndexBuild(const DbTabDesc*) { BuildGren(); }
void DbGrenIndexDrop(const DbTabDesc*) { DropGren(); }

/* ---- index lookups ---------------------------------------------------------- */

int32_t DbEbhfIndexFirst(uint16_t country, uint32_t station) {
  if (!g_fastPaths || g_ebhf.generation == 0 || g_ebhf.generation != DbEbhfTab.generation ||
      country != g_ebhf.country)
    return kDbNoIndex;
  if (station >= g_ebhf.size) return g_ebhf.whole ? -1 : kDbNoIndex;
  return g_ebhf.first[station];
}

const EbhfSatz* DbEbhfIndexRecord(int32_t i) {
  if (!g_fastPaths || g_ebhf.generation == 0 || g_ebhf.generation != DbEbhfTab.generation ||
      i < 0 || i >= g_ebhf.count)
    return nullptr;
  if (!g_ebhf.ready[i]) {
    DbEbhfDecode(DbRec(&DbEbhfBlock, i), &g_ebhf.decoded[i]);
    g_ebhf.ready[i] = 1;
  }
  return &g_ebhf.decoded[i];
}

namespace {

/* First index in [lo, hi) whose station number of b is not below b, hi
** when there is none; halving without a branch on the comparison. */
int32_t StenUntereGrenze(const uint32_t* sb, int32_t lo, int32_t hi, uint32_t b) {
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
struct StenHinweis {
  uint32_t generation;
  uint32_t a;
  int32_t pos;
};
StenHinweis g_stenHinweis[256];
constexpr int32_t kStenKurz = 32;

}  // namespace

int32_t DbStenIndexFirst(uint32_t a, uint32_t b) {
  if (!g_fastPaths || g_sten.generation == 0 || g_sten.generation != DbStenTab.generation)
    return kDbNoIndex;
  if (a >= g_sten.size) return g_sten.whole ? -1 : kDbNoIndex;
  const StenRange r = g_sten.range[a];
  const uint32_t* sb = g_sten.stationB;
  if (r.end - r.begin <= 0) return -1;
  int32_t x;
  StenHinweis& h = g_stenHinweis[a & 255u];
  if (r.end - r.begin <= kStenKurz) {
    x = StenUntereGrenze(sb, r.begin, r.end, b);
  } else if (h.generation == g_sten.generation && h.a == a && h.pos >= r.begin && h.pos < r.end) {
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
      x = StenUntereGrenze(sb, lo, hi, b);
    } else {
      int32_t hi = p; /* the answer is at hi or before; sb[hi] >= b */
      while (hi - step >= r.begin && sb[hi - step] >= b) {
        hi -= step;
        step *= 2;
      }
      const int32_t lo = hi - step + 1 > r.begin ? hi - step + 1 : r.begin;
      x = StenUntereGrenze(sb, lo, hi, b);
    }
  } else {
    x = StenUntereGrenze(sb, r.begin, r.end, b);
  }
  if (r.end - r.begin > kStenKurz) {
    h.generation = g_sten.generation;
    h.a = a;
    h.pos = x < r.end ? x : r.end - 1;
  }
  return x < r.end && sb[x] == b ? x : -1;
}

int32_t DbStenIndexEnd(uint32_t a, uint32_t b, int32_t first) {
  const int32_t end = g_sten.range[a].end;
  int32_t k = first;
  while (k < end && g_sten.stationB[k] == b) ++k;
  return k;
}

int32_t DbGrenIndexNode(uint32_t station) {
  if (!g_fastPaths || g_gren.generation == 0 || g_gren.generation != DbGrenTab.generation)
    return kDbNoIndex;
  if (station >= g_gren.size) return g_gren.whole ? -1 : kDbNoIndex;
  return g_gren.node[station];
}

#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS
bool DbIndexReady(const DbTabDesc* tab) {
  if (!tab || tab->generation == 0) return false;
  if (tab == &DbEbhfTab) return g_ebhf.generation == tab->generation;
  if (tab == &DbStenTab) return g_sten.generation == tab->generation;
  if (tab == &DbGrenTab) return g_gren.generation == tab->generation;
  return false;
}
#endif
