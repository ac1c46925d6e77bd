/*
** TDRG: the node stations of each tariff area, read through a cursor.
**
** This module owns the two TDRG block descriptors, the load-time check of
** the node station indices, the five cursor slots, DbNextTdrg and
** DbReleaseTdrgCursor.
**
** Layout (little-endian, packed):
**   TdrgBlock    6  0 u16 area (the key)  2 i16 index into TdrgIbBlock
**                   4 u16 valid-from
**   TdrgIbBlock  4  u32 node station number, addressed by index only
** Within an area the versions of one node station stand together (a station
** group, newest first); the cursor returns the groups in stored order.
*/
#include "common/dtacc/dm/dm_tdrg.h"

#include <cstring>

DbTabDesc DbTdrgTab = kDbTabDescInit;

namespace {

DbBlockDesc DbTdrgBlock = kDbBlockDescInit;
DbBlockDesc DbTdrgIbBlock = kDbBlockDescInit;

}  // namespace
DbCursorSlot DbTdrgSlots[kDbCursorSlots] = {kDbCursorSlotReset, kDbCursorSlotReset,
                                            kDbCursorSlotReset, kDbCursorSlotReset,
                                            kDbCursorSlotReset};

namespace {

constexpr std::size_t kArea = 0;
constexpr std::size_t kIbIndex = 2;
constexpr std::size_t kValidFrom = 4;

uint16_t tdrgArea(const unsigned char* r) { return LeGetU16(r + kArea); }

/* Node station behind a record's index (in range: checked at load). */
uint32_t tdrgStation(const unsigned char* r) {
  const unsigned char* st = DbRec(&DbTdrgIbBlock, LeGetI16(r + kIbIndex));
  return st ? LeGetU32(st) : 0;
}

/* A station group: the same area and the same node station number. */
bool tdrgSameGroup(const unsigned char* x, const unsigned char* y) {
  return tdrgArea(x) == tdrgArea(y) && tdrgStation(x) == tdrgStation(y);
}

bool tdrgCheck(const DbTabDesc*, DbFault* fault) {
  return DbCheckIndexField(&DbTdrgBlock, kIbIndex, kDbIndexI16, &DbTdrgIbBlock, false, fault);
}

}  // namespace

void DbInitTdrg() {
  DbSetupTab(&DbTdrgTab, 201, "TDRG", 1, 1, tdrgCheck);
  DbSetupBlock(&DbTdrgTab, &DbTdrgBlock, 1, "TdrgBlock", kTdrgRecLen);
  DbSetupBlock(&DbTdrgTab, &DbTdrgIbBlock, 2, "TdrgIbBlock", kTdrgIbRecLen);
  for (DbCursorSlot& s : DbTdrgSlots) DbResetCursorSlot(&s);
}

namespace {

/* The first record of an area, or a negative result when it has none. */
int32_t firstOfArea(uint16_t area) {
  return DbSearchFirst(&DbTdrgBlock,
                       [area](const unsigned char* r) { return DbCmp<uint16_t>(area, tdrgArea(r)); });
}

}  // namespace

DbLookupResult DbNextTdrg(uint16_t area, TdrgSatz* out, int* handle) {
  if (!DbIsLoaded(&DbTdrgTab)) return kDbNotLoaded;
  if (!out || !handle) return kDbBadArgs; /* callers always pass both */
  const DbCursorTable ct{&DbTdrgTab, &DbTdrgBlock, DbTdrgSlots, kValidFrom};
  int32_t found = -1;
  DbLookupResult res = DbCursorStep(
      ct, handle, EbKmStichtag,
      [area]() { return firstOfArea(area); },
      [](const unsigned char* ref, const unsigned char* r) { return tdrgArea(ref) == tdrgArea(r); },
      tdrgSameGroup, &found);
  if (res != kDbFound) return res;
  const unsigned char* r = DbRec(&DbTdrgBlock, found);
  TdrgSatz s;
  std::memset(&s, 0, sizeof s);
  s.area = tdrgArea(r);
  s.station = tdrgStation(r);
  s.validFrom = LeGetU16(r + kValidFrom);
  s.validUntil = DbValidUntil(&DbTdrgBlock, found, kValidFrom, tdrgSameGroup);
  *out = s;
  return kDbFound;
}

void DbReleaseTdrgCursor(int* handle) { DbReleaseCursor(DbTdrgSlots, handle); }

void DbResetTdrgSlot(int slot) {
  if (slot >= 0 && slot < kDbCursorSlots) DbResetCursorSlot(&DbTdrgSlots[slot]);
}

int32_t DbTdrgAreaNodes(uint16_t area, uint32_t* out, int32_t max) {
  if (!DbIsLoaded(&DbTdrgTab)) return -1;
  int32_t i = firstOfArea(area);
  int32_t n = 0;
  for (; i >= 0 && i < DbTdrgBlock.count; ++i) {
    const unsigned char* r = DbRec(&DbTdrgBlock, i);
    if (tdrgArea(r) != area) break;
    if (n == max) return -1;
    out[n++] = tdrgStation(r);
  }
  return n;
}
