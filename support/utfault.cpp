// utfault.cpp - the fault-injection hook of the tests (see utfault.h).
#include "support/utfault.h"

#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

int g_failAfter[kUtFaultSites] = {-1, -1, -1, -1, -1, -1, -1, -1};
UtFaultAnyHook g_anyHook = nullptr;
UtFaultSite g_asking = kUtFaultSites;

struct CallFault {
  int occurrence;
  UtFaultAnswer answer;
};
std::map<std::string, std::vector<CallFault>> g_callFaults;
std::map<std::string, int> g_callCounts;

long long g_writeBudget = -1;

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

bool UtFaultCall(const char* call, UtFaultAnswer* answer) {
  int n = ++g_callCounts[call];
  auto it = g_callFaults.find(call);
  if (it == g_callFaults.end()) return false;
  for (const CallFault& f : it->second) {
    if (f.occurrence == 0 || f.occurrence == n) {
      *answer = f.answer;
      return true;
    }
  }
  return false;
}

void UtFaultFailCall(const char* call, int occurrence, long long result, unsigned error) {
  g_callFaults[call].push_back(CallFault{occurrence, UtFaultAnswer{result, error}});
}

void UtFaultResetCalls() {
  g_callFaults.clear();
  g_callCounts.clear();
}

long long UtFaultWriteRoom(long long wanted) {
  if (g_writeBudget < 0) return wanted;
  long long granted = std::min(wanted, g_writeBudget);
  g_writeBudget -= granted;
  return granted;
}

void UtFaultLimitWrites(long long bytes) { g_writeBudget = bytes < 0 ? -1 : bytes; }

UtFaultSite UtFaultAskingSite() { return g_asking; }

#endif
