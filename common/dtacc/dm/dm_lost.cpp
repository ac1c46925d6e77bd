/*
** LOST: keyed lookup over a four-part key into one static result record.
**
** This module owns the two LOST block descriptors, the load-time check of
** the text offsets, the result record DbLostSatz and DbGetLost.
**
** Layout (little-endian, packed):
**   LostMainBlock 18  0 u16 key 1  2 u16 key 2  4 u32 key 3  8 u16 key 4
**                     10 u16 valid-from  12 u32 offset into LostTextBlock
**                     of three consecutive NUL-terminated texts
**                     16 u16 value
**   LostTextBlock  1  the texts
** LostMainBlock is ordered by the four key parts (unsigned), newest first.
*/
#include "common/dtacc/dm/dm_lost.h"

#include <cstring>

DbTabDesc DbLostTab = kDbTabDescInit;

namespace {

DbBlockDesc DbLostMainBlock = kDbBlockDescInit;
DbBlockDesc DbLostTextBlock = kDbBlockDescInit;

}  // namespace
LostSatz DbLostSatz;

namespace {

constexpr std::size_t kKey1 = 0;
constexpr std::size_t kKey2 = 2;
constexpr std::size_t kKey3 = 4;
constexpr std::size_t kKey4 = 8;
constexpr std::size_t kValidFrom = 10;
constexpr std::size_t kTextOffset = 12;
constexpr std::size_t kValue = 16;

bool lostCheck(const DbTabDesc*, DbFault* fault) {
  return DbCheckTextField(&DbLostMainBlock, kTextOffset, 3, &DbLostTextBlock, fault);
}

/* Blank-fills a field of `width` characters and copies the text at byte
** offset off into it, as much as fits. Returns the offset just after the
** text's NUL (where the next text begins). The texts are NUL-terminated
** inside the block (checked at load); the bound keeps every read inside the
** block all the same. */
uint32_t lostCopyText(char* field, std::size_t width, uint32_t off) {
  std::memset(field, ' ', width);
  const unsigned char* text = DbLostTextBlock.records;
  const uint32_t len = text ? static_cast<uint32_t>(DbLostTextBlock.count) : 0;
  uint32_t p = off;
  for (std::size_t n = 0; p < len && text[p] != 0; ++p, ++n)
    if (n < width) field[n] = static_cast<char>(text[p]);
  return p < len ? p + 1 : len;
}

}  // namespace

void DbInitLost() {
  DbSetupTab(&DbLostTab, 153, "LOST", 2, 1, lostCheck);
  DbSetupBlock(&DbLostTab, &DbLostMainBlock, 1, "LostMainBlock", kLostMainRecLen);
  DbSetupBlock(&DbLostTab, &DbLostTextBlock, 2, "LostTextBlock", kLostTextRecLen);
}

DbLookupResult DbGetLost(uint16_t key1, uint16_t key2, uint32_t key3, uint16_t key4,
                         UtDayNumber day) {
  if (!DbIsLoaded(&DbLostTab)) return kDbNotLoaded;
  auto cmp = [=](const unsigned char* r) {
    int c = DbCmp<uint16_t>(key1, LeGetU16(r + kKey1));
    if (!c) c = DbCmp<uint16_t>(key2, LeGetU16(r + kKey2));
    if (!c) c = DbCmp<uint32_t>(key3, LeGetU32(r + kKey3));
    if (!c) c = DbCmp<uint16_t>(key4, LeGetU16(r + kKey4));
    return c;
  };
  int32_t k = DbFindInForce(&DbLostMainBlock, kValidFrom, day, cmp);
  if (k < 0) return kDbNotFound;
  const unsigned char* r = DbRec(&DbLostMainBlock, k);
  LostSatz s;
  std::memset(&s, 0, sizeof s);
  s.key1 = LeGetU16(r + kKey1);
  s.key2 = LeGetU16(r + kKey2);
  s.key3 = LeGetU32(r + kKey3);
  s.key4 = LeGetU16(r + kKey4);
  s.validFrom = LeGetU16(r + kValidFrom);
  uint32_t off = LeGetU32(r + kTextOffset);
  off = lostCopyText(s.text1, sizeof s.text1, off);
  off = lostCopyText(s.text2, sizeof s.text2, off);
  lostCopyText(s.text3, sizeof s.text3, off);
  s.value = LeGetU16(r + kValue);
  s.validUntil = DbValidUntilKey(&DbLostMainBlock, k, kValidFrom, cmp);
  DbLostSatz = s;
  return kDbFound;
}
