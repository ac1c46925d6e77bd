/*
** EBHF: the station table. Owns the EBHF descriptors and the keyed lookup
** DbGetEbhf on (country, station number).
**
** Stored EbhfBlock record (130 bytes): 0 u16 country, 2 u32 station,
** 6 u16 valid-from, 8 name 20, 28 second name 20, 48 nine characters,
** 57 not read, 58 u16, 60 u16 tariff area, 62 u32, 66 u8, 67 not read,
** 68 u16, 70 six u32, 94 u16, 96 u8, 97 not read, 98 u32, 102 u32,
** 106 three flag characters, 109 not read, 110 u32, 114 fourteen flag
** letters, 128 u16. EbhfGzpktBlock (14 bytes) is loaded and never read.
**
** The station index, built at load over verified order (see dm_index.h):
** first[station] names the first record of each station of the country
** with the longest run of records; beside it room for every record
** decoded on its first lookup, and for the station walk a short summary of
** each record of that country (station, valid-from, tariff area and the
** four letters a walk reads), so that a walk reads 12 bytes a record
** instead of the stored 130.
*/
#include "common/dtacc/dm/dm_ebhf.h"

#include <cstring>

#include "common/dtacc/dm/dm_index.h"

DbTabDesc DbEbhfTab = kDbTabDescInit;
DbBlockDesc DbEbhfBlock = kDbBlockDescInit;

namespace {

DbBlockDesc DbEbhfGzpktBlock = kDbBlockDescInit;

constexpr std::size_t kVf = 6;

struct Key {
  uint16_t country;
  uint32_t station;
  int operator()(const unsigned char* r) const {
    int c = DbCmp(country, LeGetU16(r + 0));
    return c ? c : DbCmp(station, LeGetU32(r + 2));
  }
};

}  // namespace

/* Decodes straight into the caller record (written only on a find). */
void DbEbhfDecode(const unsigned char* r, EbhfSatz* o) {
  EbhfSatz& s = *o;
  std::memset(&s, 0, sizeof s);
  s.country = LeGetU16(r + 0);
  s.station = LeGetU32(r + 2);
  s.validFrom = LeGetU16(r + 6);
  std::memcpy(s.name, r + 8, sizeof s.name);
  std::memcpy(s.name2, r + 28, sizeof s.name2);
  std::memcpy(s.name3, r + 48, sizeof s.name3);
  s.u16At58 = LeGetU16(r + 58);
  s.tariffArea = LeGetU16(r + 60);
  s.u32At62 = LeGetU32(r + 62);
  s.u8At66 = r[66];
  s.u16At68 = LeGetU16(r + 68);
  for (int k = 0; k < 6; ++k) s.u32At70[k] = LeGetU32(r + 70 + 4 * k);
  s.u16At94 = LeGetU16(r + 94);
  s.u8At96 = r[96];
  s.u32At98 = LeGetU32(r + 98);
  s.u32At102 = LeGetU32(r + 102);
  std::memcpy(s.flags3, r + 106, sizeof s.flags3);
  s.u32At110 = LeGetU32(r + 110);
  std::memcpy(s.letters, r + 114, sizeof s.letters);
  s.u16At128 = LeGetU16(r + 128);
}

/* ---- the station index ----------------------------------------------------- */

namespace {

struct EbhfIndex {
  uint32_t generation = 0; /* of the load it was built from; 0 = none */
  uint16_t country = 0;
  uint32_t size = 0;  /* entries of first */
  bool whole = false; /* every station of the country lies below size */
  int32_t* first = nullptr;
  EbhfSatz* decoded = nullptr;    /* the records of EbhfBlock, decoded; may be null */
  unsigned char* ready = nullptr; /* by record: 1 once decoded holds it */
  int32_t count = 0;              /* entries of decoded and ready */
  /* The walk: the summary of the records [runBegin, runEnd) of the
  ** country; null when there was no memory for it. */
  DbEbhfKurz* kurz = nullptr;
  int32_t runBegin = 0;
  int32_t runEnd = 0;
  uint32_t highest = 0; /* highest station number of the country */
};
EbhfIndex g_index;

void DropIndex(const DbTabDesc* = nullptr) {
  DbIndexFree(g_index.first);
  DbIndexUnmap(g_index.decoded, static_cast<std::size_t>(g_index.count) * sizeof(EbhfSatz));
  DbIndexFree(g_index.ready);
  DbIndexFree(g_index.kurz);
  g_index = EbhfIndex{};
  DbIndexMarkBuilt(&DbEbhfTab, false);
}

/* The summary of a stored record. */
DbEbhfKurz Kurz(const unsigned char* r) {
  DbEbhfKurz k;
  k.station = LeGetU32(r + 2);
  k.validFrom = LeGetU16(r + kVf);
  k.tariffArea = LeGetU16(r + 60);
  k.flagList = static_cast<char>(r[106 + kEbhfFlagList]);
  k.kind = static_cast<char>(r[114 + kEbhfLetterKind]);
  k.list1 = static_cast<char>(r[114 + kEbhfLetterList1]);
  k.list2 = static_cast<char>(r[114 + kEbhfLetterList2]);
  return k;
}

void BuildIndex(const DbTabDesc* = nullptr) {
  DropIndex();
  const DbBlockDesc* b = &DbEbhfBlock;
  if (!b->records || b->count <= 0 || b->recLen < kEbhfRecLen) return;
  /* Verify the order and find the longest run of one country. */
  uint16_t bestCountry = 0;
  int32_t bestLen = 0, bestBegin = 0;
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
      bestBegin = runStart;
      bestCountry = c;
    }
  }
  const int32_t runEnd = bestBegin + bestLen;
  /* In order, the run's last record holds its highest station. */
  const uint32_t maxStation = LeGetU32(DbRec(b, runEnd - 1) + 2);
  const uint32_t size = maxStation < kDbIndexMaxDirect ? maxStation + 1 : kDbIndexMaxDirect;
  int32_t* first = DbIndexAlloc<int32_t>(size);
  if (!first) return;
  for (uint32_t s = 0; s < size; ++s) first[s] = -1;
  for (int32_t i = runEnd - 1; i >= bestBegin; --i) {
    const uint32_t st = LeGetU32(DbRec(b, i) + 2);
    if (st < size) first[st] = i;
  }
  /* Room for every record decoded, each on its first lookup, so that
  ** later lookups read it in place instead of decoding; without memory
  ** the lookups decode. The room is mapped apart from the heap: its pages
  ** cost only when touched and give nothing back to the heap's trimming. */
  const std::size_t bytes = static_cast<std::size_t>(b->count) * sizeof(EbhfSatz);
  void* room = DbIndexMap(bytes);
  unsigned char* ready = DbIndexAlloc<unsigned char>(static_cast<std::size_t>(b->count));
  if (room && ready) {
    std::memset(ready, 0, static_cast<std::size_t>(b->count));
    g_index.decoded = static_cast<EbhfSatz*>(room);
    g_index.ready = ready;
    g_index.count = b->count;
  } else {
    DbIndexUnmap(room, bytes);
    DbIndexFree(ready);
  }
  /* The walk's summary; without memory there is no walk. */
  if (DbEbhfKurz* kurz = DbIndexAlloc<DbEbhfKurz>(static_cast<std::size_t>(bestLen))) {
    for (int32_t i = bestBegin; i < runEnd; ++i) kurz[i - bestBegin] = Kurz(DbRec(b, i));
    g_index.kurz = kurz;
    g_index.runBegin = bestBegin;
    g_index.runEnd = runEnd;
  }
  g_index.first = first;
  g_index.size = size;
  g_index.country = bestCountry;
  g_index.whole = maxStation < kDbIndexMaxDirect;
  g_index.highest = maxStation;
  g_index.generation = DbEbhfTab.generation;
  DbIndexMarkBuilt(&DbEbhfTab, true);
}

bool IndexCurrent() {
  return DbFastPathsOn() && g_index.generation != 0 && g_index.generation == DbEbhfTab.generation;
}

/* Index of the first EbhfBlock record of (country, station), -1 when there
** is none, or kDbNoIndex. */
int32_t IndexFirst(uint16_t country, uint32_t station) {
  if (!IndexCurrent() || country != g_index.country) return kDbNoIndex;
  if (station >= g_index.size) return g_index.whole ? -1 : kDbNoIndex;
  return g_index.first[station];
}

/* Record i decoded (on its first call, then kept until the table is
** released), or null (switch off, table loaded anew since, no room). */
const EbhfSatz* IndexRecord(int32_t i) {
  if (!IndexCurrent() || !g_index.decoded || i < 0 || i >= g_index.count) return nullptr;
  if (!g_index.ready[i]) {
    DbEbhfDecode(DbRec(&DbEbhfBlock, i), &g_index.decoded[i]);
    g_index.ready[i] = 1;
  }
  return &g_index.decoded[i];
}

}  // namespace

bool DbEbhfWalkReady(uint16_t country) {
  return IndexCurrent() && g_index.kurz != nullptr && country == g_index.country;
}

uint32_t DbEbhfHighestStation() { return IndexCurrent() ? g_index.highest : 0; }

const DbEbhfKurz* DbEbhfWalkNext(UtDayNumber day, int32_t* pos, int32_t* record) {
  const DbEbhfKurz* kurz = g_index.kurz;
  const int32_t n = g_index.runEnd - g_index.runBegin;
  int32_t i = *pos;
  while (i >= 0 && i < n) {
    /* The key's records stand together, newest first: the first that has
    ** begun by the day decides, as in the keyed lookup. */
    const uint32_t station = kurz[i].station;
    int32_t chosen = -1;
    bool decided = false;
    for (; i < n && kurz[i].station == station; ++i) {
      if (decided || DbValidFromDay(kurz[i].validFrom) > day) continue;
      decided = true;
      if (!DbIsWithdrawn(kurz[i].validFrom)) chosen = i;
    }
    if (chosen >= 0) {
      *pos = i;
      *record = g_index.runBegin + chosen;
      return &kurz[chosen];
    }
  }
  *pos = n;
  return nullptr;
}

const EbhfSatz* DbEbhfRecordAt(int32_t record, EbhfSatz* puffer) {
  if (const EbhfSatz* d = IndexRecord(record)) return d;
  const unsigned char* r = DbRec(&DbEbhfBlock, record);
  if (!r) return nullptr;
  DbEbhfDecode(r, puffer);
  return puffer;
}

void DbInitEbhf() {
  DbSetupTab(&DbEbhfTab, 200, "EBHF", 3, 3, nullptr, BuildIndex, DropIndex);
  DbSetupBlock(&DbEbhfTab, &DbEbhfBlock, 1, "EbhfBlock", kEbhfRecLen);
  DbSetupBlock(&DbEbhfTab, &DbEbhfGzpktBlock, 2, "EbhfGzpktBlock", kEbhfGzpktRecLen);
  DbOnFastPathsOff(DbEbhfGemerktVergessen);
}

DbLookupResult DbGetEbhf(EbhfSatz* out, uint16_t country, uint32_t station, UtDayNumber day) {
  if (!DbIsLoaded(&DbEbhfTab)) return kDbNotLoaded;
  if (!out) return kDbBadArgs;
  DbLookupResult r = kDbNotFound;
  const EbhfSatz* s = DbGetEbhfRef(out, country, station, day, &r);
  if (s != nullptr && s != out) *out = *s;
  return r;
}

DbEbhfGemerkt DbEbhfGemerktTab[kDbEbhfGemerkt];

void DbEbhfGemerktVergessen() {
  for (DbEbhfGemerkt& z : DbEbhfGemerktTab) z = DbEbhfGemerkt{};
}

const EbhfSatz* DbEbhfSuchen(EbhfSatz* puffer, uint16_t country, uint32_t station, UtDayNumber day,
                             DbLookupResult* result) {
  *result = kDbNotFound;
  const Key key{country, station};
  const int32_t first = IndexFirst(country, station);
  int32_t i;
  if (first == kDbNoIndex) {
    i = DbFindInForce(&DbEbhfBlock, kVf, day, key);
  } else {
    if (first < 0) return nullptr;
    i = DbFirstInForceFrom(&DbEbhfBlock, first, kVf, day,
                           [&](const unsigned char* r) { return key(r) == 0; });
  }
  if (i < 0) return nullptr;
  *result = kDbFound;
  /* With the index current, the record kept decoded is read in place. */
  if (first != kDbNoIndex) {
    if (const EbhfSatz* d = IndexRecord(i)) {
      DbEbhfGemerktTab[station & (kDbEbhfGemerkt - 1)] =
          DbEbhfGemerkt{DbEbhfTab.generation, country, station, day, d};
      return d;
    }
  }
  DbEbhfDecode(DbRec(&DbEbhfBlock, i), puffer);
  return puffer;
}
