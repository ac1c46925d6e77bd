/*
** NESR: keyed lookup over two 32-bit key parts.
**
** This module owns the NESR block descriptor and DbGetNesr.
**
** Layout of NesrBlock (18 bytes, little-endian, packed):
**   0 u32 key 1  4 u32 key 2  8 u16 valid-from  10 u16 value 1
**   12 u16 value 2  14 u32 value 3
** ordered by key 1, then key 2 (unsigned), newest version first.
*/
#include "common/dtacc/dm/dm_nesr.h"

#include <cstring>

DbTabDesc DbNesrTab = kDbTabDescInit;

namespace {

DbBlockDesc DbNesrBlock = kDbBlockDescInit;

constexpr std::size_t kKey1 = 0;
constexpr std::size_t kKey2 = 4;
constexpr std::size_t kValidFrom = 8;
constexpr std::size_t kValue1 = 10;
constexpr std::size_t kValue2 = 12;
constexpr std::size_t kValue3 = 14;
}  // namespace

void DbInitNesr() {
  DbSetupTab(&DbNesrTab, 216, "NESR", 2, 1, nullptr);
  DbSetupBlock(&DbNesrTab, &DbNesrBlock, 1, "NesrBlock", kNesrRecLen);
}

DbLookupResult DbGetNesr(NesrSatz* out, uint32_t key1, uint32_t key2, UtDayNumber day) {
  if (!DbIsLoaded(&DbNesrTab)) return kDbNotLoaded;
  if (!out) return kDbBadArgs;
  auto cmp = [key1, key2](const unsigned char* r) {
    int c = DbCmp<uint32_t>(key1, LeGetU32(r + kKey1));
    return c ? c : DbCmp<uint32_t>(key2, LeGetU32(r + kKey2));
  };
  int32_t k = DbFindInForce(&DbNesrBlock, kValidFrom, day, cmp);
  if (k < 0) return kDbNotFound;
  const unsigned char* r = DbRec(&DbNesrBlock, k);
  NesrSatz s;
  std::memset(&s, 0, sizeof s);
  s.key1 = LeGetU32(r + kKey1);
  s.key2 = LeGetU32(r + kKey2);
  s.validFrom = LeGetU16(r + kValidFrom);
  s.value1 = LeGetU16(r + kValue1);
  s.value2 = LeGetU16(r + kValue2);
  s.value3 = LeGetU32(r + kValue3);
  s.validUntil = DbValidUntilKey(&DbNesrBlock, k, kValidFrom, cmp);
  *out = s;
  return kDbFound;
}
