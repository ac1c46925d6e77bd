/*
** EBGG: the route-profile table. Owns the EBGG descriptors, its five cursor
** slots and the two cursors over (key1, key2) groups: DbNextEbgg over the
** groups of one key1, DbNextEbggFrom over the groups from key1 on to the end
** of the table. There is no release operation: the engine writes the reset
** value over a slot it is done with (DbResetEbggSlot).
**
** Stored EbggBlock record (92 bytes): 0 u16 key1, 2 u16 key2,
** 4 u16 valid-from, 6 text 8, 14 text 2, 16 text 40, 56 u16 rank,
** 58 u16 profile flags, 60 text 4, 64 text 2, 66 text 20, 86 u16, 88 u32.
*/
#include "common/dtacc/dm/dm_ebgg.h"

#include <cstring>

DbTabDesc DbEbggTab = kDbTabDescInit;

namespace {

DbBlockDesc DbEbggBlock = kDbBlockDescInit;

}  // namespace
DbCursorSlot DbEbggSlots[kDbCursorSlots] = {kDbCursorSlotReset, kDbCursorSlotReset,
                                            kDbCursorSlotReset, kDbCursorSlotReset,
                                            kDbCursorSlotReset};

namespace {

constexpr std::size_t kVf = 4;

bool SameKey1(const unsigned char* a, const unsigned char* b) { return LeGetU16(a) == LeGetU16(b); }
bool SameGroup(const unsigned char* a, const unsigned char* b) {
  return SameKey1(a, b) && LeGetU16(a + 2) == LeGetU16(b + 2);
}
bool AnyRange(const unsigned char*, const unsigned char*) { return true; }

void Copy(int32_t i, EbggSatz* out) {
  const unsigned char* r = DbRec(&DbEbggBlock, i);
  EbggSatz s{};
  s.key1 = LeGetU16(r + 0);
  s.key2 = LeGetU16(r + 2);
  s.validFrom = LeGetU16(r + 4);
  std::memcpy(s.text8, r + 6, sizeof s.text8);
  std::memcpy(s.text2a, r + 14, sizeof s.text2a);
  std::memcpy(s.text40, r + 16, sizeof s.text40);
  s.rank = LeGetU16(r + 56);
  s.profileFlags = LeGetU16(r + 58);
  std::memcpy(s.text4, r + 60, sizeof s.text4);
  std::memcpy(s.text2b, r + 64, sizeof s.text2b);
  std::memcpy(s.text20, r + 66, sizeof s.text20);
  s.u16At86 = LeGetU16(r + 86);
  s.u32At88 = LeGetU32(r + 88);
  s.validUntil = DbValidUntil(&DbEbggBlock, i, kVf, SameGroup);
  *out = s;
}

template <class OpenStart, class InRange>
DbLookupResult Step(EbggSatz* out, int* handle, UtDayNumber day, OpenStart&& openStart,
                    InRange&& inRange) {
  if (!out || !handle || *handle < -1) return kDbBadArgs;
  if (!DbIsLoaded(&DbEbggTab)) return kDbNotLoaded;
  DbCursorTable ct{&DbEbggTab, &DbEbggBlock, DbEbggSlots, kVf};
  int32_t found = -1;
  DbLookupResult res = DbCursorStep(ct, handle, day, openStart, inRange, SameGroup, &found);
  if (res == kDbFound) Copy(found, out);
  return res;
}

}  // namespace

void DbInitEbgg() {
  DbSetupTab(&DbEbggTab, 893, "EBGG", 1, 1, nullptr);
  DbSetupBlock(&DbEbggTab, &DbEbggBlock, 1, "EbggBlock", kEbggRecLen);
}

DbLookupResult DbNextEbgg(EbggSatz* out, int* handle, uint16_t key1, UtDayNumber day) {
  auto open = [&] {
    return DbSearchFirst(&DbEbggBlock,
                         [&](const unsigned char* r) { return DbCmp(key1, LeGetU16(r)); });
  };
  return Step(out, handle, day, open, SameKey1);
}

DbLookupResult DbNextEbggFrom(EbggSatz* out, int* handle, uint16_t key1, UtDayNumber day) {
  auto open = [&] {
    int32_t i = DbLowerBound(&DbEbggBlock,
                             [&](const unsigned char* r) { return DbCmp(key1, LeGetU16(r)); });
    return i < DbEbggBlock.count ? i : -1;
  };
  return Step(out, handle, day, open, AnyRange);
}

void DbResetEbggSlot(int slot) {
  if (slot >= 0 && slot < kDbCursorSlots) DbResetCursorSlot(&DbEbggSlots[slot]);
}
