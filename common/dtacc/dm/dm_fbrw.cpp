/*
** FBRW: the points along a relation. Owns the FBRW descriptors, its five
** cursor slots and the cursor DbNextFbrw over the (key1, key2, group) groups
** of one (key1, key2), in ascending group order. There is no release
** operation: the engine writes the reset value over a slot it is done with
** (DbResetFbrwSlot).
**
** Stored FbrwBlock record (22 bytes): 0 u32 key1, 4 u16 key2, 6 u16 group,
** 8 u16 valid-from, 10 u32 station, 14 u16, 16 u8, 17 u8, 18 u16, 20 u16.
*/
#include "common/dtacc/dm/dm_fbrw.h"

DbTabDesc DbFbrwTab = kDbTabDescInit;

namespace {

DbBlockDesc DbFbrwBlock = kDbBlockDescInit;

}  // namespace
DbCursorSlot DbFbrwSlots[kDbCursorSlots] = {kDbCursorSlotReset, kDbCursorSlotReset,
                                            kDbCursorSlotReset, kDbCursorSlotReset,
                                            kDbCursorSlotReset};

namespace {

constexpr std::size_t kVf = 8;

bool SameRange(const unsigned char* a, const unsigned char* b) {
  return LeGetU32(a) == LeGetU32(b) && LeGetU16(a + 4) == LeGetU16(b + 4);
}
bool SameGroup(const unsigned char* a, const unsigned char* b) {
  return SameRange(a, b) && LeGetU16(a + 6) == LeGetU16(b + 6);
}

}  // namespace

void DbInitFbrw() {
  DbSetupTab(&DbFbrwTab, 233, "FBRW", 2, 2, nullptr);
  DbSetupBlock(&DbFbrwTab, &DbFbrwBlock, 1, "FbrwBlock", kFbrwRecLen);
}

DbLookupResult DbNextFbrw(FbrwSatz* out, int* handle, uint32_t key1, uint16_t key2,
                          UtDayNumber day) {
  if (!out || !handle || *handle < -1) return kDbBadArgs;
  if (!DbIsLoaded(&DbFbrwTab)) return kDbNotLoaded;
  auto open = [&] {
    return DbSearchFirst(&DbFbrwBlock, [&](const unsigned char* r) {
      int c = DbCmp(key1, LeGetU32(r));
      return c ? c : DbCmp(key2, LeGetU16(r + 4));
    });
  };
  DbCursorTable ct{&DbFbrwTab, &DbFbrwBlock, DbFbrwSlots, kVf};
  int32_t found = -1;
  DbLookupResult res = DbCursorStep(ct, handle, day, open, SameRange, SameGroup, &found);
  if (res != kDbFound) return res;
  const unsigned char* r = DbRec(&DbFbrwBlock, found);
  FbrwSatz s{};
  s.key1 = LeGetU32(r + 0);
  s.key2 = LeGetU16(r + 4);
  s.group = LeGetU16(r + 6);
  s.validFrom = LeGetU16(r + 8);
  s.station = LeGetU32(r + 10);
  s.u16At14 = LeGetU16(r + 14);
  s.u8At16 = r[16];
  s.u8At17 = r[17];
  s.u16At18 = LeGetU16(r + 18);
  s.u16At20 = LeGetU16(r + 20);
  s.validUntil = DbValidUntil(&DbFbrwBlock, found, kVf, SameGroup);
  *out = s;
  return kDbFound;
}

void DbResetFbrwSlot(int slot) {
  if (slot >= 0 && slot < kDbCursorSlots) DbResetCursorSlot(&DbFbrwSlots[slot]);
}
