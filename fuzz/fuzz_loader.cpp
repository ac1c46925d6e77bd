/*
** Fuzz target: the table loader. Every input is one data file, offered to
** every table that has a data file; the header decides which one takes it,
** and a mutated header reaches the others.
**
** What must hold:
**   - a load that fails (a raise) leaves nothing loaded: load count 0, no
**     block memory, no file-information block, no records;
**   - a load that succeeds answers lookups and a cursor walk with the
**     defined result codes, the walk ends within the table's record count,
**     and the unload frees every block;
**   - after the unload every lookup answers "not loaded".
** The lookup keys come from the loaded records themselves, so that the
** lookups reach their found paths.
*/
#include <cstring>

#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_ebgb.h"
#include "common/dtacc/dm/dm_ebgg.h"
#include "common/dtacc/dm/dm_ebhf.h"
#include "common/dtacc/dm/dm_fbrr.h"
#include "common/dtacc/dm/dm_fbrw.h"
#include "common/dtacc/dm/dm_fehl.h"
#include "common/dtacc/dm/dm_gren.h"
#include "common/dtacc/dm/dm_lost.h"
#include "common/dtacc/dm/dm_nesr.h"
#include "common/dtacc/dm/dm_ngat.h"
#include "common/dtacc/dm/dm_pbhf.h"
#include "common/dtacc/dm/dm_rbgt.h"
#include "common/dtacc/dm/dm_sten.h"
#include "common/dtacc/dm/dm_tdrg.h"
#include "fuzz/fuzz_common.h"
#include "support/utname.h"

namespace {

using zfuzz::Protected;

/* Key material of record i of a block: its first bytes (zero beyond). */
struct Key {
  unsigned char b[24] = {};
  uint16_t u16(size_t at) const { return LeGetU16(b + at); }
  uint32_t u32(size_t at) const { return LeGetU32(b + at); }
};

Key KeyOf(const DbBlockDesc* blk, int32_t i) {
  Key k;
  const unsigned char* r = DbRec(blk, i);
  if (r)
    std::memcpy(k.b, r,
                static_cast<size_t>(blk->recLen) < sizeof k.b ? static_cast<size_t>(blk->recLen)
                                                              : sizeof k.b);
  return k;
}

bool Defined(DbLookupResult r) { return r >= kDbFound && r <= kDbBadArgs; }

/* A cursor walk: steps until the cursor ends; never more steps than the
** block has records, and the handle is released afterwards. */
template <class Step, class Release>
void Walk(const DbBlockDesc* blk, Step&& step, Release&& release) {
  int handle = -1;
  int32_t steps = 0;
  DbLookupResult r;
  while ((r = step(&handle)) == kDbFound) {
    ZFUZZ_CHECK(handle >= 0 && handle < kDbCursorSlots, "handle %d", handle);
    ++steps;
    ZFUZZ_CHECK(steps <= blk->count, "cursor walk of %s gave %d records of %d", blk->name, steps,
                blk->count);
  }
  ZFUZZ_CHECK(Defined(r), "cursor result %d", r);
  release(&handle);
}

struct Table {
  const char* code;
  DbTabDesc* tab;
  void (*init)();
  /* Lookups with the keys of record i of the first block; true when the
  ** table answered "not loaded" to every one (only after the unload). */
  bool (*probe)(const Key& k, UtDayNumber day);
  /* A cursor walk, for the tables that have one. */
  void (*walk)(const Key& k, UtDayNumber day);
};

bool ProbeEbhf(const Key& k, UtDayNumber day) {
  EbhfSatz s;
  DbLookupResult r = DbGetEbhf(&s, k.u16(0), k.u32(2), day);
  ZFUZZ_CHECK(Defined(r), "EBHF %d", r);
  return r == kDbNotLoaded;
}

bool ProbePbhf(const Key& k, UtDayNumber day) {
  PbhfSatz s;
  char name[kPbhfNameLen + 1] = {};
  std::memcpy(name, k.b, kPbhfNameLen);
  DbLookupResult r = DbGetPbhf(&s, name, day);
  ZFUZZ_CHECK(Defined(r), "PBHF %d", r);
  bool notLoaded = r == kDbNotLoaded;
  for (int n : {0, 1, 3, 20}) {
    char text[kPbhfNameLen + 1] = {};
    std::memcpy(text, k.b, static_cast<size_t>(n));
    int32_t count = DbCountPbhfPrefix(text, day);
    DbLookupResult f = DbFindPbhfPrefix(&s, text, day);
    ZFUZZ_CHECK(Defined(f), "PBHF prefix %d", f);
    notLoaded = notLoaded && count == -1 && f == kDbNotLoaded;
    int idx = -1;
    int32_t steps = 0;
    while (DbFindNextPbhfPrefix(&s, &idx, text, day) == kDbFound) {
      ZFUZZ_CHECK(idx >= 0 && idx < DbPbhfBlock.count, "PBHF index %d", idx);
      ZFUZZ_CHECK(++steps <= DbPbhfBlock.count, "PBHF walk does not end");
    }
  }
  return notLoaded;
}

bool ProbeFehl(const Key& k, UtDayNumber day) {
  FehlSatz s;
  char variant[2] = {static_cast<char>(k.b[0]), 0};
  char ss[2] = {static_cast<char>(k.b[1]), static_cast<char>(k.b[2])};
  DbLookupResult r = DbGetFehl(variant, ss, &s, k.u16(4), day);
  ZFUZZ_CHECK(Defined(r), "FEHL %d", r);
  return r == kDbNotLoaded;
}

bool ProbeFbrr(const Key& k, UtDayNumber day) {
  FbrrSatz s;
  DbLookupResult a = DbGetFbrr(&s, k.u16(0), k.u32(2), day);
  DbLookupResult b = DbGetFbrrBhf(&s, k.u16(0), k.u32(2), k.u32(6), k.u32(10), k.u32(14), day);
  ZFUZZ_CHECK(Defined(a) && Defined(b), "FBRR %d %d", a, b);
  return a == kDbNotLoaded && b == kDbNotLoaded;
}

bool ProbeGren(const Key& k, UtDayNumber) {
  GrenSatz s;
  DbLookupResult r = DbGetGren(k.u32(0), &s, k.u32(4));
  ZFUZZ_CHECK(Defined(r), "GREN %d", r);
  DbFindGrenIbnr(k.u32(0));
  return r == kDbNotLoaded;
}

bool ProbeSten(const Key& k, UtDayNumber) {
  StenSatz s;
  DbLookupResult r = DbGetSten(&s, k.u32(0), k.u32(4));
  ZFUZZ_CHECK(Defined(r), "STEN %d", r);
  return r == kDbNotLoaded;
}

bool ProbeRbgt(const Key& k, UtDayNumber day) {
  RbgtSatz s;
  DbLookupResult r = DbGetRbgt(k.u32(0), &s, day);
  ZFUZZ_CHECK(Defined(r), "RBGT %d", r);
  return r == kDbNotLoaded;
}

bool ProbeNesr(const Key& k, UtDayNumber day) {
  NesrSatz s;
  DbLookupResult r = DbGetNesr(&s, k.u32(0), k.u32(4), day);
  ZFUZZ_CHECK(Defined(r), "NESR %d", r);
  return r == kDbNotLoaded;
}

bool ProbeNgat(const Key& k, UtDayNumber day) {
  NgatSatz s;
  DbLookupResult r = DbGetNgat(&s, k.u16(0), k.u16(2), k.u16(4), k.u16(6), day);
  ZFUZZ_CHECK(Defined(r), "NGAT %d", r);
  return r == kDbNotLoaded;
}

bool ProbeLost(const Key& k, UtDayNumber day) {
  DbLookupResult r = DbGetLost(k.u16(0), k.u16(2), k.u32(4), k.u16(8), day);
  ZFUZZ_CHECK(Defined(r), "LOST %d", r);
  return r == kDbNotLoaded;
}

bool ProbeTdrg(const Key& k, UtDayNumber) {
  TdrgSatz s;
  int handle = -1;
  DbLookupResult r = DbNextTdrg(k.u16(0), &s, &handle);
  ZFUZZ_CHECK(Defined(r), "TDRG %d", r);
  DbReleaseTdrgCursor(&handle);
  return r == kDbNotLoaded;
}

bool ProbeEbgg(const Key& k, UtDayNumber day) {
  EbggSatz s;
  int handle = -1;
  DbLookupResult r = DbNextEbgg(&s, &handle, k.u16(0), day);
  ZFUZZ_CHECK(Defined(r), "EBGG %d", r);
  if (handle >= 0) DbResetEbggSlot(handle);
  return r == kDbNotLoaded;
}

bool ProbeFbrw(const Key& k, UtDayNumber day) {
  FbrwSatz s;
  int handle = -1;
  DbLookupResult r = DbNextFbrw(&s, &handle, k.u32(0), k.u16(4), day);
  ZFUZZ_CHECK(Defined(r), "FBRW %d", r);
  if (handle >= 0) DbResetFbrwSlot(handle);
  return r == kDbNotLoaded;
}

bool ProbeEbgb(const Key& k, UtDayNumber day) {
  EbgbSatz s;
  int handle = -1;
  DbLookupResult r = DbNextEbgb(&s, &handle, k.u16(0), k.u32(2), day);
  ZFUZZ_CHECK(Defined(r), "EBGB %d", r);
  DbReleaseEbgbCursor(&handle);
  return r == kDbNotLoaded;
}

void WalkTdrg(const Key& k, UtDayNumber) {
  TdrgSatz s;
  Walk(
      DbTdrgTab.firstBlock, [&](int* h) { return DbNextTdrg(k.u16(0), &s, h); },
      [](int* h) { DbReleaseTdrgCursor(h); });
}

void WalkEbgg(const Key& k, UtDayNumber day) {
  EbggSatz s;
  Walk(
      DbEbggTab.firstBlock, [&](int* h) { return DbNextEbggFrom(&s, h, k.u16(0), day); },
      [](int* h) {
        if (*h >= 0) DbResetEbggSlot(*h);
      });
}

void WalkFbrw(const Key& k, UtDayNumber day) {
  FbrwSatz s;
  Walk(
      DbFbrwTab.firstBlock, [&](int* h) { return DbNextFbrw(&s, h, k.u32(0), k.u16(4), day); },
      [](int* h) {
        if (*h >= 0) DbResetFbrwSlot(*h);
      });
}

void WalkEbgb(const Key& k, UtDayNumber day) {
  EbgbSatz s;
  Walk(
      DbEbgbTab.firstBlock, [&](int* h) { return DbNextEbgb(&s, h, k.u16(0), k.u32(2), day); },
      [](int* h) { DbReleaseEbgbCursor(h); });
}

const Table kTables[] = {
    {"EBHF", &DbEbhfTab, DbInitEbhf, ProbeEbhf, nullptr},
    {"PBHF", &DbPbhfTab, DbInitPbhf, ProbePbhf, nullptr},
    {"FEHL", &DbFehlTab, DbInitFehl, ProbeFehl, nullptr},
    {"FBRR", &DbFbrrTab, DbInitFbrr, ProbeFbrr, nullptr},
    {"EBGG", &DbEbggTab, DbInitEbgg, ProbeEbgg, WalkEbgg},
    {"FBRW", &DbFbrwTab, DbInitFbrw, ProbeFbrw, WalkFbrw},
    {"EBGB", &DbEbgbTab, DbInitEbgb, ProbeEbgb, WalkEbgb},
    {"GREN", &DbGrenTab, DbInitGren, ProbeGren, nullptr},
    {"LOST", &DbLostTab, DbInitLost, ProbeLost, nullptr},
    {"NESR", &DbNesrTab, DbInitNesr, ProbeNesr, nullptr},
    {"NGAT", &DbNgatTab, DbInitNgat, ProbeNgat, nullptr},
    {"RBGT", &DbRbgtTab, DbInitRbgt, ProbeRbgt, nullptr},
    {"STEN", &DbStenTab, DbInitSten, ProbeSten, nullptr},
    {"TDRG", &DbTdrgTab, DbInitTdrg, ProbeTdrg, WalkTdrg},
};

void CheckNothingLoaded(const Table& t) {
  const DbTabDesc* tab = t.tab;
  ZFUZZ_CHECK(tab->loadCount == 0, "%s: load count %d after a failed load", t.code, tab->loadCount);
  ZFUZZ_CHECK(tab->generation == 0, "%s: generation kept", t.code);
  ZFUZZ_CHECK(tab->fileInfo == nullptr && tab->fileInfoLen == 0, "%s: file information kept",
              t.code);
  for (const DbBlockDesc* b = tab->firstBlock; b; b = b->next) {
    ZFUZZ_CHECK(b->records == nullptr && b->count == 0, "%s: block %s keeps %d records", t.code,
                b->name, b->count);
  }
  ZFUZZ_CHECK(DbTestLiveBlocks() == 0, "%s: %d blocks not freed", t.code, DbTestLiveBlocks());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = (zfuzz::ScratchDir() / "DMFUZZ").string();
  zfuzz::WriteFile(path, data, size);
  /* Lookup days: the first valid-from of the sample's records, and one
  ** taken from the input's header bytes, so both old and new records count. */
  const UtDayNumber days[] = {
      14610,
      static_cast<UtDayNumber>(size > 12 ? (data[12] | (data[13 % size] << 8)) & 0x7FFF : 0)};
  for (const Table& t : kTables) {
    t.init();
    UtSetName(t.code, path.c_str());
    int code = Protected([&] { DbLoadTab(t.tab); });
    if (code != 0) {
      CheckNothingLoaded(t);
      continue;
    }
    ZFUZZ_CHECK(t.tab->loadCount == 1, "%s: load count %d", t.code, t.tab->loadCount);
    const DbBlockDesc* first = t.tab->firstBlock;
    Key keys[3];
    if (first && first->count > 0) {
      keys[0] = KeyOf(first, 0);
      keys[1] = KeyOf(first, first->count / 2);
      keys[2] = KeyOf(first, first->count - 1);
    }
    for (const Key& k : keys) {
      for (UtDayNumber day : days) {
        ZFUZZ_CHECK(!t.probe(k, day), "%s answers not loaded while loaded", t.code);
        if (t.walk) t.walk(k, day);
      }
    }
    DbGetVersionsInfo(&t.tab->fileInfo, t.tab->fileInfoLen);
    DbUnloadTab(t.tab);
    CheckNothingLoaded(t);
    ZFUZZ_CHECK(t.probe(keys[0], days[0]), "%s still answers after its unload", t.code);
  }
  return 0;
}
