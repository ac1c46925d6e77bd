// utfault.h - the one fault-injection hook of the tests.
//
// Every injected fault goes through here, in three kinds:
// - Allocations. Every allocation that a test needs to see fail asks
//   UtFaultAlloc first, naming its site. A test arms a site with
//   UtFaultFailAllocAfter: the next n allocations at that site succeed and
//   the one after fails, once; n < 0 disarms it (the default). Sites count
//   independently.
// - Named calls. A layer that stands in for a system interface (the
//   printing layer's spooler and drawing calls) asks UtFaultCall at the
//   start of every call, by the call's name. A test arms a call with
//   UtFaultFailCall: its n-th call from the last UtFaultResetCalls (0:
//   every call) answers the given result and error code instead of doing
//   its work.
// - Writes. The file writes that a test needs to see run out of room (the
//   printing layer's file printer) ask UtFaultWriteRoom how much of a
//   write may go out; a test sets a budget of bytes with UtFaultLimitWrites,
//   after which the writes fail as on a full disk.
//
// The hook exists only while the build switch ZOLMA_TEST_HOOKS is on (CMake
// option of the same name, on in the presets that build the tests and the
// fuzz targets, off in the release preset). With it off, the questions have
// constant answers (no fault, all the room asked for), and nothing of the
// hook is compiled into the program.
#ifndef ZOLMA_SUPPORT_UTFAULT_H
#define ZOLMA_SUPPORT_UTFAULT_H

enum UtFaultSite {
  kUtFaultMsgContext,  // message contexts (support/msg.cpp)
  kUtFaultBiFile,      // file-number nodes (support/bifile.cpp)
  kUtFaultList,        // typed-list element arrays (support/utlist.cpp)
  kUtFaultName,        // name-register entries (support/utname.cpp)
  kUtFaultDbBlock,     // record blocks of the table manager (dmbase.cpp)
  kUtFaultEbKette,     // result-chain nodes of the engine (ebkette.cpp)
  kUtFaultDbIndex,     // the tables' indexes (dm_index.cpp)
  kUtFaultEbSpeicher,  // the engine's node-list store (ebknotenspeicher.cpp)
  kUtFaultSites
};

// What an armed call answers: its result (handles: 0 = null) and the error
// code it leaves.
struct UtFaultAnswer {
  long long result = 0;
  unsigned error = 0;
};

#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS

// True when this allocation at site is to fail.
bool UtFaultAlloc(UtFaultSite site);
// Arms (n >= 0) or disarms (n < 0) a site.
void UtFaultFailAllocAfter(UtFaultSite site, int n);

// A hook asked by every allocation of every site (after the site's own
// count): when it returns true, the allocation fails. The allocation-failure
// test sets it to count every heap allocation of a run, ours and the
// standard library's, and fail the n-th. nullptr (the default) removes it.
using UtFaultAnyHook = bool (*)();
void UtFaultSetAnyHook(UtFaultAnyHook hook);
// The site whose allocation is asking the hook while the hook runs;
// kUtFaultSites outside such a call.
UtFaultSite UtFaultAskingSite();

// Counts a call of `call`; true with *answer filled when a fault is armed
// for this call (the first armed one that matches).
bool UtFaultCall(const char* call, UtFaultAnswer* answer);
// Call `call` number `occurrence` (1 = the first after the last reset, 0 =
// every one) answers `result` and `error`. Faults for one call add up.
void UtFaultFailCall(const char* call, int occurrence, long long result, unsigned error);
// Disarms every call and starts their counts again.
void UtFaultResetCalls();

// How many of `wanted` bytes a write may put out now: all of them without a
// budget, else at most what is left of it (0: the write fails as on a full
// disk). The bytes granted are taken from the budget.
long long UtFaultWriteRoom(long long wanted);
// A budget of `bytes` for the writes from now on; negative: no budget (the
// default).
void UtFaultLimitWrites(long long bytes);

#else

inline constexpr bool UtFaultAlloc(UtFaultSite) { return false; }
inline constexpr bool UtFaultCall(const char*, UtFaultAnswer*) { return false; }
inline constexpr long long UtFaultWriteRoom(long long wanted) { return wanted; }

#endif

#endif  // ZOLMA_SUPPORT_UTFAULT_H
