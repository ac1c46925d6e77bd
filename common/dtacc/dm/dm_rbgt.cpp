/*
** RBGT: route texts by route-text number.
**
** This module owns the four RBGT block descriptors, the load-time check of
** every index and name offset, and the keyed lookup DbGetRbgt.
**
** Layout (little-endian, packed):
**   RbgtHastBlock 12  0 i16 index into RbgtRbnrBlock (the key)
**                     2 i16 station 1 and 4 i16 station 2, indices into
**                     RbgtIbnrBlock; 6 u32 name offset into RbgtBezBlock;
**                     10 u16 valid-from
**   RbgtIbnrBlock  4  u32 station numbers, addressed by index
**   RbgtRbnrBlock  4  u32 route-text numbers, addressed by index
**   RbgtBezBlock   1  NUL-terminated names, addressed by byte offset
** RbgtHastBlock is ordered by the number its key index points to.
*/
#include "common/dtacc/dm/dm_rbgt.h"

#include <cstring>

DbTabDesc DbRbgtTab = kDbTabDescInit;

namespace {

DbBlockDesc DbRbgtHastBlock = kDbBlockDescInit;
DbBlockDesc DbRbgtIbnrBlock = kDbBlockDescInit;
DbBlockDesc DbRbgtRbnrBlock = kDbBlockDescInit;
DbBlockDesc DbRbgtBezBlock = kDbBlockDescInit;

constexpr std::size_t kNrIndex = 0;
constexpr std::size_t kSt1Index = 2;
constexpr std::size_t kSt2Index = 4;
constexpr std::size_t kNameOffset = 6;
constexpr std::size_t kValidFrom = 10;

/* The u32 that an i16 index field points to in an index block (in range:
** checked at load). */
uint32_t rbgtDeref(const unsigned char* r, std::size_t field, const DbBlockDesc* block) {
  const unsigned char* p = DbRec(block, LeGetI16(r + field));
  return p ? LeGetU32(p) : 0;
}

/* Blank-fills the name field and copies the text at byte offset off into
** it, at most the field's width. The text is NUL-terminated inside the text
** block (checked at load); the bound keeps the copy inside the block all
** the same. */
void rbgtCopyName(char (&name)[kRbgtNameLen], uint32_t off) {
  std::memset(name, ' ', sizeof name);
  const unsigned char* text = DbRbgtBezBlock.records;
  const uint32_t len = text ? static_cast<uint32_t>(DbRbgtBezBlock.count) : 0;
  for (uint32_t p = off, n = 0; p < len && n < sizeof name && text[p] != 0; ++p, ++n)
    name[n] = static_cast<char>(text[p]);
}

bool rbgtCheck(const DbTabDesc*, DbFault* fault) {
  return DbCheckIndexField(&DbRbgtHastBlock, kNrIndex, kDbIndexI16, &DbRbgtRbnrBlock, false,
                           fault) &&
         DbCheckIndexField(&DbRbgtHastBlock, kSt1Index, kDbIndexI16, &DbRbgtIbnrBlock, false,
                           fault) &&
         DbCheckIndexField(&DbRbgtHastBlock, kSt2Index, kDbIndexI16, &DbRbgtIbnrBlock, false,
                           fault) &&
         DbCheckTextField(&DbRbgtHastBlock, kNameOffset, 1, &DbRbgtBezBlock, fault);
}

}  // namespace

void DbInitRbgt() {
  DbSetupTab(&DbRbgtTab, 206, "RBGT", 2, 1, rbgtCheck);
  DbSetupBlock(&DbRbgtTab, &DbRbgtHastBlock, 1, "RbgtHastBlock", kRbgtHastRecLen);
  DbSetupBlock(&DbRbgtTab, &DbRbgtIbnrBlock, 2, "RbgtIbnrBlock", kRbgtIbnrRecLen);
  DbSetupBlock(&DbRbgtTab, &DbRbgtRbnrBlock, 3, "RbgtRbnrBlock", kRbgtRbnrRecLen);
  DbSetupBlock(&DbRbgtTab, &DbRbgtBezBlock, 4, "RbgtBezBlock", kRbgtBezRecLen);
}

DbLookupResult DbGetRbgt(uint32_t routeTextNo, RbgtSatz* out, UtDayNumber day) {
  if (!DbIsLoaded(&DbRbgtTab)) return kDbNotLoaded;
  if (!out) return kDbBadArgs;
  auto cmp = [routeTextNo](const unsigned char* r) {
    return DbCmp<uint32_t>(routeTextNo, rbgtDeref(r, kNrIndex, &DbRbgtRbnrBlock));
  };
  int32_t k = DbFindInForce(&DbRbgtHastBlock, kValidFrom, day, cmp);
  if (k < 0) return kDbNotFound;
  const unsigned char* r = DbRec(&DbRbgtHastBlock, k);
  RbgtSatz s;
  std::memset(&s, 0, sizeof s);
  s.routeTextNo = rbgtDeref(r, kNrIndex, &DbRbgtRbnrBlock);
  s.validFrom = LeGetU16(r + kValidFrom);
  s.station1 = rbgtDeref(r, kSt1Index, &DbRbgtIbnrBlock);
  s.station2 = rbgtDeref(r, kSt2Index, &DbRbgtIbnrBlock);
  rbgtCopyName(s.name, LeGetU32(r + kNameOffset));
  s.validUntil = DbValidUntilKey(&DbRbgtHastBlock, k, kValidFrom, cmp);
  *out = s;
  return kDbFound;
}
