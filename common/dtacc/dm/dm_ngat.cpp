/*
** NGAT: keyed lookup over a four-part key.
**
** This module owns the NGAT block descriptor and DbGetNgat.
**
** Layout of NgatBlock (16 bytes, little-endian, packed):
**   0 u32 key 1  4 u32 key 2  8 u16 key 3  10 u16 key 4
**   12 u16 valid-from  14 u16 value
** ordered by the four key parts (unsigned), newest version first.
*/
#include "common/dtacc/dm/dm_ngat.h"

#include <cstring>

DbTabDesc DbNgatTab = kDbTabDescInit;

namespace {

DbBlockDesc DbNgatBlock = kDbBlockDescInit;

constexpr std::size_t kKey1 = 0;
constexpr std::size_t kKey2 = 4;
constexpr std::size_t kKey3 = 8;
constexpr std::size_t kKey4 = 10;
constexpr std::size_t kValidFrom = 12;
constexpr std::size_t kValue = 14;
}  // namespace

void DbInitNgat() {
  DbSetupTab(&DbNgatTab, 215, "NGAT", 2, 1, nullptr);
  DbSetupBlock(&DbNgatTab, &DbNgatBlock, 1, "NgatBlock", kNgatRecLen);
}

DbLookupResult DbGetNgat(NgatSatz* out, uint16_t key1, uint16_t key2, uint16_t key3, uint16_t key4,
                         UtDayNumber day) {
  if (!DbIsLoaded(&DbNgatTab)) return kDbNotLoaded;
  if (!out) return kDbBadArgs;
  /* Key parts 1 and 2 are stored in 32 bits and compared zero-extended. */
  auto cmp = [=](const unsigned char* r) {
    int c = DbCmp<uint32_t>(key1, LeGetU32(r + kKey1));
    if (!c) c = DbCmp<uint32_t>(key2, LeGetU32(r + kKey2));
    if (!c) c = DbCmp<uint16_t>(key3, LeGetU16(r + kKey3));
    if (!c) c = DbCmp<uint16_t>(key4, LeGetU16(r + kKey4));
    return c;
  };
  int32_t k = DbFindInForce(&DbNgatBlock, kValidFrom, day, cmp);
  if (k < 0) return kDbNotFound;
  const unsigned char* r = DbRec(&DbNgatBlock, k);
  NgatSatz s;
  std::memset(&s, 0, sizeof s);
  s.key1 = LeGetU32(r + kKey1);
  s.key2 = LeGetU32(r + kKey2);
  s.key3 = LeGetU16(r + kKey3);
  s.key4 = LeGetU16(r + kKey4);
  s.validFrom = LeGetU16(r + kValidFrom);
  s.value = LeGetU16(r + kValue);
  s.validUntil = DbValidUntilKey(&DbNgatBlock, k, kValidFrom, cmp);
  *out = s;
  return kDbFound;
}
