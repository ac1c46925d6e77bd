/*
** dm_index: the memory of the tables' indexes (see dm_index.h).
*/
#include "common/dtacc/dm/dm_index.h"

#include <sys/mman.h>

#include <cstdlib>

#include "support/utfault.h"

void* DbIndexAllocBytes(std::size_t bytes) {
  if (bytes == 0 || UtFaultAlloc(kUtFaultDbIndex)) return nullptr;
  return std::malloc(bytes);
}

void* DbIndexAllocZeroBytes(std::size_t bytes) {
  if (bytes == 0 || UtFaultAlloc(kUtFaultDbIndex)) return nullptr;
  return std::calloc(1, bytes);
}

void DbIndexFree(void* p) { std::free(p); }

void* DbIndexMap(std::size_t bytes, UtFaultSite site) {
  if (bytes == 0 || UtFaultAlloc(site)) return nullptr;
  void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return p == MAP_FAILED ? nullptr : p;
}

void DbIndexUnmap(void* p, std::size_t bytes) {
  if (p) munmap(p, bytes);
}

#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS
bool DbIndexReady(const DbTabDesc* tab) {
  return tab && tab->generation != 0 && tab->indexGeneration == tab->generation;
}
#endif
