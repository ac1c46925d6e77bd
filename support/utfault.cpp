// utfault.cpp - the allocation fault-injection hook (see utfault.h).
#include "support/utfault.h"

#if defined(ZOLMA_FAULT_INJECTION) && ZOLMA_FAULT_INJECTION

namespace {

int g_failAfter[kUtFaultSites] = {-1, -1, -1, -1, -1, -1};
UtFaultAnyHook g_anyHook = nullptr;
UtFaultSite g_asking = kUtFaultSites;

}  // namespace

bool UtFaultAlloc(UtFaultSite site) {
  int& n = g_failAfter[site];
  if (n == 0) {
    n = -1;
    return true;
  }
  if (n > 0) --n;
  if (g_anyHook == nullptr) return false;
  g_asking = site;
  const bool fail = g_anyHook();
  g_asking = kUtFaultSites;
  return fail;
}

void UtFaultFailAllocAfter(UtFaultSite site, int n) { g_failAfter[site] = n < 0 ? -1 : n; }

void UtFaultSetAnyHook(UtFaultAnyHook hook) { g_anyHook = hook; }

UtFaultSite UtFaultAskingSite() { return g_asking; }

#endif
