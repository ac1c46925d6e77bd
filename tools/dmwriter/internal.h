// Data-file writer, private helpers shared by its modules: the one ordering
// rule of every validity-dated record block (ascending key, each part
// unsigned; the records of one key newest valid-from first, bit 15 ignored;
// ties keep their input order), and the file with numbered blocks.
#ifndef ZOLMA_TOOLS_DMWRITER_INTERNAL_H
#define ZOLMA_TOOLS_DMWRITER_INTERNAL_H

#include <algorithm>
#include <cstdint>
#include <vector>

#include "tools/dmwriter/datafile.h"

namespace dmw::detail {

// `key(r)` returns something ordered with < and == (a std::tuple of
// unsigned numbers and byte vectors); `day(r)` the valid-from that orders
// the records of one key, newest (largest) first.
template <class R, class KeyFn, class DayFn>
void sortNewestFirst(std::vector<R>& v, KeyFn key, DayFn day) {
  std::stable_sort(v.begin(), v.end(), [&](const R& a, const R& b) {
    auto ka = key(a);
    auto kb = key(b);
    if (ka != kb) return ka < kb;
    return day(a) > day(b);
  });
}

template <class R, class KeyFn>
void sortByKey(std::vector<R>& v, KeyFn key) {
  sortNewestFirst(v, key,
                  [](const R& r) { return static_cast<std::uint16_t>(r.valid_from & 0x7FFFu); });
}

// A file for `id` whose record blocks are `blocks`, numbered 1, 2, ...
DataFile fileWithBlocks(const TableIdentity& id, std::vector<Bytes> blocks);

}  // namespace dmw::detail

#endif  // ZOLMA_TOOLS_DMWRITER_INTERNAL_H
