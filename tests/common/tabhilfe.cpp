// Small helpers of the table manager's tests. See tabhilfe.h.
#include "tests/common/tabhilfe.h"

namespace tabhilfe {

void UnloadAll(DbTabDesc* tab) {
  for (int guard = 0; tab->loadCount > 0 && guard < 40000; ++guard) DbUnloadTab(tab);
}

std::string Raw(std::initializer_list<unsigned> bytes) {
  std::string s;
  for (unsigned b : bytes) s.push_back(static_cast<char>(b));
  return s;
}

std::string Field(const char* p, std::size_t n) { return std::string(p, n); }

}  // namespace tabhilfe
