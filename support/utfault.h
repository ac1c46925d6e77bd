// utfault.h - the one fault-injection hook for allocation failures.
//
// Every allocation that a test needs to see fail asks UtFaultAlloc first,
// naming its site. A test arms a site with UtFaultFailAllocAfter: the next
// n allocations at that site succeed and the one after fails, once; n < 0
// disarms it (the default). Sites count independently.
//
// The hook exists only while the build switch ZOLMA_FAULT_INJECTION is on
// (CMake option of the same name, on in the default and sanitize presets
// that run the tests). With it off, UtFaultAlloc is a constant false and
// nothing of the hook is compiled into the program.
#ifndef ZOLMA_SUPPORT_UTFAULT_H
#define ZOLMA_SUPPORT_UTFAULT_H

enum UtFaultSite {
  kUtFaultMsgContext,  // message contexts (support/msg.cpp)
  kUtFaultBiFile,      // file-number nodes (support/bifile.cpp)
  kUtFaultList,        // typed-list element arrays (support/utlist.cpp)
  kUtFaultName,        // name-register entries (support/utname.cpp)
  kUtFaultDbBlock,     // record blocks of the table manager (dmbase.cpp)
  kUtFaultEbKette,     // result-chain nodes of the engine (ebkette.cpp)
  kUtFaultSites
};

#if defined(ZOLMA_FAULT_INJECTION) && ZOLMA_FAULT_INJECTION

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

#else

inline constexpr bool UtFaultAlloc(UtFaultSite) { return false; }

#endif

#endif  // ZOLMA_SUPPORT_UTFAULT_H
