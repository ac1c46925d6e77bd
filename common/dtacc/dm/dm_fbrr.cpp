/*
** FBRR: the relation table. Owns the FBRR descriptors and the two lookups:
** DbGetFbrr by (key number, relation number) over FbrrBlock and
** DbGetFbrrBhf by (key number, four stations) over FbrrBhfBlock. Both take
** the first record of the key whose explicit interval valid-from .. valid-to
** holds the day (FBRR has no withdrawn bit) and fill FbrrSatz.
**
** FbrrBlock (36 bytes): 0 u16 key number, 2 u32 relation number,
** 6 u16 valid-from, 8 u16, 10 four u32 stations, 26 four u16, 34 u16 valid-to.
** FbrrBhfBlock (36 bytes): 0 u16 key number, 2 four u32 stations,
** 18 u16 valid-from, 20 u16, 22 u32 relation number, 26 four u16,
** 34 u16 valid-to.
*/
#include "common/dtacc/dm/dm_fbrr.h"

#include <utility>

DbTabDesc DbFbrrTab = kDbTabDescInit;

namespace {

DbBlockDesc DbFbrrBlock = kDbBlockDescInit;
DbBlockDesc DbFbrrBhfBlock = kDbBlockDescInit;

struct RelKey {
  uint16_t keyNo;
  uint32_t relationNo;
  int operator()(const unsigned char* r) const {
    int c = DbCmp(keyNo, LeGetU16(r + 0));
    return c ? c : DbCmp(relationNo, LeGetU32(r + 2));
  }
};

struct BhfKey {
  uint16_t keyNo;
  uint32_t st[4];
  int operator()(const unsigned char* r) const {
    if (int c = DbCmp(keyNo, LeGetU16(r + 0))) return c;
    for (int k = 0; k < 4; ++k)
      if (int c = DbCmp(st[k], LeGetU32(r + 2 + 4 * k))) return c;
    return 0;
  }
};

/* The FBRR rule: from the key's first record, the first record of the key
** with valid-from <= day <= valid-to (whole unsigned 16-bit fields). */
template <class Cmp>
int32_t FindInInterval(const DbBlockDesc* b, std::size_t vfOffset, UtDayNumber day,
                       const Cmp& cmp) {
  for (int32_t i = DbSearchFirst(b, cmp); i >= 0 && i < b->count; ++i) {
    const unsigned char* r = DbRec(b, i);
    if (cmp(r) != 0) break;
    if (LeGetU16(r + vfOffset) <= day && day <= LeGetU16(r + 34)) return i;
  }
  return -1;
}

void Numbers(const unsigned char* r, FbrrSatz* s) {
  for (int k = 0; k < 4; ++k) s->numbers[k] = LeGetU16(r + 26 + 2 * k);
  s->validTo = LeGetU16(r + 34);
}

}  // namespace

void DbInitFbrr() {
  DbSetupTab(&DbFbrrTab, 230, "FBRR", 2, 2, nullptr);
  DbSetupBlock(&DbFbrrTab, &DbFbrrBlock, 1, "FbrrBlock", kFbrrRecLen);
  DbSetupBlock(&DbFbrrTab, &DbFbrrBhfBlock, 2, "FbrrBhfBlock", kFbrrRecLen);
}

DbLookupResult DbGetFbrr(FbrrSatz* out, uint16_t keyNo, uint32_t relationNo, UtDayNumber day) {
  if (!DbIsLoaded(&DbFbrrTab)) return kDbNotLoaded;
  if (!out) return kDbBadArgs;
  int32_t i = FindInInterval(&DbFbrrBlock, 6, day, RelKey{keyNo, relationNo});
  if (i < 0) return kDbNotFound;
  const unsigned char* r = DbRec(&DbFbrrBlock, i);
  FbrrSatz s{};
  s.keyNo = LeGetU16(r + 0);
  s.relationNo = LeGetU32(r + 2);
  s.validFrom = LeGetU16(r + 6);
  s.u16At8 = LeGetU16(r + 8);
  for (int k = 0; k < 4; ++k) s.stations[k] = LeGetU32(r + 10 + 4 * k);
  Numbers(r, &s);
  *out = s;
  return kDbFound;
}

DbLookupResult DbGetFbrrBhf(FbrrSatz* out, uint16_t keyNo, uint32_t a, uint32_t b, uint32_t c,
                            uint32_t d, UtDayNumber day) {
  if (!DbIsLoaded(&DbFbrrTab)) return kDbNotLoaded;
  if (!out) return kDbBadArgs;
  /* A relation is stored with its lower first station first; the second
  ** pair follows the first one's direction only when it is given. */
  if (a > b) {
    std::swap(a, b);
    if (d != 0) std::swap(c, d);
  }
  int32_t i = FindInInterval(&DbFbrrBhfBlock, 18, day, BhfKey{keyNo, {a, b, c, d}});
  if (i < 0) return kDbNotFound;
  const unsigned char* r = DbRec(&DbFbrrBhfBlock, i);
  FbrrSatz s{};
  s.keyNo = LeGetU16(r + 0);
  for (int k = 0; k < 4; ++k) s.stations[k] = LeGetU32(r + 2 + 4 * k);
  s.validFrom = LeGetU16(r + 18);
  s.u16At8 = LeGetU16(r + 20);
  s.relationNo = LeGetU32(r + 22);
  Numbers(r, &s);
  *out = s;
  return kDbFound;
}
