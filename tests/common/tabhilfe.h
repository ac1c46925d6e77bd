// Small helpers of the table manager's tests (tests/dm, tests/dmnet): every
// outstanding load of a table released, a text made of given bytes, and a
// fixed-width field as a string.
#ifndef ZOLMA_TESTS_COMMON_TABHILFE_H
#define ZOLMA_TESTS_COMMON_TABHILFE_H

#include <cstddef>
#include <initializer_list>
#include <string>

#include "common/dtacc/dm/dm.h"

namespace tabhilfe {

// Releases every outstanding load of the table (at most 40000, so that a
// count that does not fall cannot hang a test).
void UnloadAll(DbTabDesc* tab);

// A text of the given bytes (for names with bytes 0x80 .. 0xFF).
std::string Raw(std::initializer_list<unsigned> bytes);

// The n characters of a fixed-width field as a string.
std::string Field(const char* p, std::size_t n);

}  // namespace tabhilfe

#endif  // ZOLMA_TESTS_COMMON_TABHILFE_H
