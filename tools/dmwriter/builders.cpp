// Data-file writer, builders: the tables whose stored records refer to
// index blocks or text pools (GREN, STEN, TDRG, RBGT, LOST). The caller
// names stations, numbers and texts; the builders assign the indices and
// offsets, derive the index blocks and write every block of the table.
#include <algorithm>
#include <array>
#include <limits>
#include <map>
#include <set>
#include <stdexcept>
#include <tuple>
#include <utility>

#include "tools/dmwriter/internal.h"
#include "tools/dmwriter/tables.h"

namespace dmw {

namespace {

[[noreturn]] void fail(const std::string& what) {
  throw std::invalid_argument("dmwriter: " + what);
}

// Collects values in the order of their first occurrence.
class FirstSeen {
 public:
  void add(std::uint32_t v) {
    if (set_.insert(v).second) order_.push_back(v);
  }
  const std::vector<std::uint32_t>& values() const { return order_; }

 private:
  std::set<std::uint32_t> set_;
  std::vector<std::uint32_t> order_;
};

// The content of an index block: the needed values in the chosen order, or
// the explicit list (which must hold every needed value exactly once).
std::vector<std::uint32_t> indexBlockValues(const std::vector<std::uint32_t>& needed,
                                            IndexOrder order,
                                            const std::vector<std::uint32_t>& explicit_list,
                                            const char* block) {
  if (!explicit_list.empty()) {
    std::set<std::uint32_t> have;
    for (std::uint32_t v : explicit_list) {
      if (!have.insert(v).second) {
        fail(std::string(block) + ": explicit list holds " + std::to_string(v) + " twice");
      }
    }
    for (std::uint32_t v : needed) {
      if (have.count(v) == 0) {
        fail(std::string(block) + ": explicit list lacks " + std::to_string(v));
      }
    }
    return explicit_list;
  }
  std::vector<std::uint32_t> out = needed;
  if (order == IndexOrder::Ascending) std::sort(out.begin(), out.end());
  if (order == IndexOrder::Descending) std::sort(out.rbegin(), out.rend());
  return out;
}

// Value -> position, checked to fit an index field whose largest value is
// `max_index`.
std::map<std::uint32_t, std::size_t> indexOf(const std::vector<std::uint32_t>& values,
                                             std::size_t max_index, const char* block) {
  if (!values.empty() && values.size() - 1 > max_index) {
    fail(std::string(block) + ": " + std::to_string(values.size()) +
         " entries do not fit the index field");
  }
  std::map<std::uint32_t, std::size_t> m;
  for (std::size_t k = 0; k < values.size(); ++k) m[values[k]] = k;
  return m;
}

Bytes u32Block(const std::vector<std::uint32_t>& values) {
  Bytes out;
  out.reserve(values.size() * kStationRecordSize);
  for (std::uint32_t v : values) appendU32(out, v);
  return out;
}

constexpr std::size_t kMaxI16 = static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max());
constexpr std::size_t kMaxU16 = std::numeric_limits<std::uint16_t>::max();

std::uint16_t dayOf(std::uint16_t valid_from) {
  return static_cast<std::uint16_t>(valid_from & 0x7FFFu);
}

}  // namespace

// ---- text pools ---------------------------------------------------------------
std::uint32_t TextPool::add(std::string_view text) {
  if (text.find('\0') != std::string_view::npos) fail("pool text holds a NUL");
  std::string key(text);
  auto it = seen_.find(key);
  if (it != seen_.end()) return it->second;
  auto offset = static_cast<std::uint32_t>(bytes_.size());
  bytes_.insert(bytes_.end(), text.begin(), text.end());
  bytes_.push_back(0);
  seen_.emplace(std::move(key), offset);
  return offset;
}

std::uint32_t TextPool::addTriple(std::string_view t1, std::string_view t2, std::string_view t3) {
  for (std::string_view t : {t1, t2, t3}) {
    if (t.find('\0') != std::string_view::npos) fail("pool text holds a NUL");
  }
  // A single text never holds a NUL, so a key with two cannot meet one.
  std::string key = std::string(t1) + '\0' + std::string(t2) + '\0' + std::string(t3);
  auto it = seen_.find(key);
  if (it != seen_.end()) return it->second;
  auto offset = static_cast<std::uint32_t>(bytes_.size());
  for (std::string_view t : {t1, t2, t3}) {
    bytes_.insert(bytes_.end(), t.begin(), t.end());
    bytes_.push_back(0);
  }
  seen_.emplace(std::move(key), offset);
  return offset;
}

// ---- GREN ---------------------------------------------------------------------
std::uint16_t grenFlags(char flag_letter) { return flag_letter == 'J' ? 1 : 0; }

std::uint64_t grenMatrixIndex(std::uint64_t i, std::uint64_t j, std::uint64_t n) {
  if (!(i < j && j < n)) {
    fail("GREN matrix index needs i < j < n (i=" + std::to_string(i) + ", j=" + std::to_string(j) +
         ", n=" + std::to_string(n) + ")");
  }
  // i*(n-2) + j - i*(i-1)/2 - 1; for i = 0 the triangle term is 0.
  std::uint64_t triangle = i == 0 ? 0 : i * (i - 1) / 2;
  return i * (n - 2) + j - 1 - triangle;
}

namespace {

void appendGrenKm1(Bytes& out, const GrenPair& p, std::int16_t frel) {
  appendU16(out, p.km_part1);
  appendU16(out, p.km_part2);
  appendI32(out, p.route_text_number);
  appendI16(out, frel);
  appendU16(out, p.flags);
  appendU16(out, storedValidFrom(p.valid_from, p.withdrawn));
}

void appendGrenKm2(Bytes& out, std::int16_t i, std::int16_t j, const GrenPair& p,
                   std::int16_t frel) {
  appendI16(out, i);
  appendI16(out, j);
  appendU16(out, p.km_part1);
  appendU16(out, p.km_part2);
  appendI32(out, p.route_text_number);
  appendI16(out, frel);
  appendU16(out, p.flags);
  appendU16(out, storedValidFrom(p.valid_from, p.withdrawn));
}

}  // namespace

DataFile grenFile(std::vector<std::uint32_t> nodes, const std::vector<GrenPair>& pairs,
                  const GrenOptions& options) {
  std::sort(nodes.begin(), nodes.end());
  if (std::adjacent_find(nodes.begin(), nodes.end()) != nodes.end()) {
    fail("GREN node list holds a station twice");
  }
  const std::size_t n = nodes.size();
  const auto node_index = indexOf(nodes, kMaxI16, "GrenIbnrBlock");

  // Relations in order of first use; their stations for GrenIb2Block.
  std::vector<GrenRelation> relations;
  std::map<std::pair<std::string, std::array<std::uint32_t, 4>>, std::int16_t> relation_index;
  FirstSeen ib2_seen;
  auto relationNumber = [&](const std::optional<GrenRelation>& rel) -> std::int16_t {
    if (!rel) return -1;
    auto key = std::make_pair(rel->relation_code, rel->stations);
    auto it = relation_index.find(key);
    if (it != relation_index.end()) return it->second;
    if (relations.size() > kMaxI16) fail("GrenFrelBlock: too many relations");
    relations.push_back(*rel);
    for (std::uint32_t s : rel->stations) ib2_seen.add(s);
    auto number = static_cast<std::int16_t>(relations.size() - 1);
    relation_index.emplace(std::move(key), number);
    return number;
  };

  // The versions of each pair, by node indices (i < j).
  std::map<std::pair<std::size_t, std::size_t>, std::vector<GrenPair>> versions;
  for (const GrenPair& p : pairs) {
    auto ia = node_index.find(p.station_a);
    auto ib = node_index.find(p.station_b);
    if (ia == node_index.end() || ib == node_index.end()) {
      fail("GREN pair " + std::to_string(p.station_a) + "/" + std::to_string(p.station_b) +
           " names a station outside the node list");
    }
    if (ia->second == ib->second) fail("GREN pair of one station with itself");
    relationNumber(p.relation);
    auto key = std::minmax(ia->second, ib->second);
    versions[{key.first, key.second}].push_back(p);
  }
  const std::uint64_t pair_count = n < 2 ? 0 : std::uint64_t{n} * (n - 1) / 2;
  if (versions.size() < pair_count) relationNumber(options.missing_pair.relation);
  for (auto& [key, list] : versions) {
    std::stable_sort(list.begin(), list.end(), [](const GrenPair& a, const GrenPair& b) {
      return dayOf(a.valid_from) > dayOf(b.valid_from);
    });
  }

  const std::vector<std::uint32_t> ib2 =
      indexBlockValues(ib2_seen.values(), options.ib2_order, options.ib2_explicit, "GrenIb2Block");
  const auto ib2_index = indexOf(ib2, kMaxI16, "GrenIb2Block");

  Bytes km1, km2;
  std::uint64_t expected = 0;
  for (std::size_t i = 0; i + 1 < n; ++i) {
    for (std::size_t j = i + 1; j < n; ++j, ++expected) {
      if (grenMatrixIndex(i, j, n) != expected) fail("GREN matrix order broken");
      auto it = versions.find({i, j});
      if (it == versions.end()) {
        appendGrenKm1(km1, options.missing_pair, relationNumber(options.missing_pair.relation));
        continue;
      }
      const std::vector<GrenPair>& list = it->second;
      appendGrenKm1(km1, list[0], relationNumber(list[0].relation));
      for (std::size_t k = 1; k < list.size(); ++k) {
        appendGrenKm2(km2, static_cast<std::int16_t>(i), static_cast<std::int16_t>(j), list[k],
                      relationNumber(list[k].relation));
      }
    }
  }

  Bytes frel;
  for (const GrenRelation& rel : relations) {
    frel.resize(frel.size() + kGrenFrelRecordSize, 0);
    putText(frel, frel.size() - kGrenFrelRecordSize, rel.relation_code, 2, "GREN relation_code");
    for (std::size_t k = 0; k < rel.stations.size(); ++k) {
      putI16(frel, frel.size() - kGrenFrelRecordSize + 2 + 2 * k,
             static_cast<std::int16_t>(ib2_index.at(rel.stations[k])));
    }
  }

  return detail::fileWithBlocks(
      kGren, {std::move(km1), u32Block(nodes), std::move(frel), std::move(km2), u32Block(ib2)});
}

// ---- STEN ---------------------------------------------------------------------
std::uint16_t stenFlags(char first, char second, char third) {
  std::uint16_t f = 0;
  if (first == 'J') f |= 1u << 0;
  if (third == 'J') f |= 1u << 1;
  if (second == 'J') f |= 1u << 2;
  if (second == 'A') f |= 1u << 3;
  if (second == 'U') f |= 1u << 4;
  return f;
}

DataFile stenFile(const std::vector<StenPair>& pairs, const StenOptions& options) {
  std::vector<StenPair> sorted = pairs;
  FirstSeen seen;
  for (StenPair& p : sorted) {
    seen.add(p.station_a);
    seen.add(p.station_b);
    if (p.station_a > p.station_b) std::swap(p.station_a, p.station_b);
  }
  detail::sortByKey(sorted,
                    [](const StenPair& p) { return std::make_tuple(p.station_a, p.station_b); });
  const std::vector<std::uint32_t> ibnr =
      indexBlockValues(seen.values(), options.ibnr_order, options.ibnr_explicit, "StenIbnrBlock");
  const auto index = indexOf(ibnr, kMaxU16, "StenIbnrBlock");

  Bytes km;
  km.reserve(sorted.size() * kStenKmRecordSize);
  for (const StenPair& p : sorted) {
    appendU16(km, static_cast<std::uint16_t>(index.at(p.station_a)));
    appendU16(km, static_cast<std::uint16_t>(index.at(p.station_b)));
    appendU16(km, p.km_part1);
    appendU16(km, p.km_part2);
    appendU16(km, p.flags);
    appendU16(km, storedValidFrom(p.valid_from, p.withdrawn));
  }
  return detail::fileWithBlocks(kSten, {std::move(km), u32Block(ibnr)});
}

// ---- TDRG ---------------------------------------------------------------------
DataFile tdrgFile(const std::vector<TdrgEntry>& entries, const TdrgOptions& options) {
  // Rank of each station group within its area: order of first occurrence.
  std::map<std::pair<std::uint16_t, std::uint32_t>, std::size_t> rank;
  std::map<std::uint16_t, std::size_t> groups_in_area;
  FirstSeen seen;
  for (const TdrgEntry& e : entries) {
    seen.add(e.node_station);
    if (rank.emplace(std::make_pair(e.area_number, e.node_station), groups_in_area[e.area_number])
            .second) {
      ++groups_in_area[e.area_number];
    }
  }
  std::vector<TdrgEntry> sorted = entries;
  detail::sortByKey(sorted, [&rank](const TdrgEntry& e) {
    return std::make_pair(e.area_number, rank.at({e.area_number, e.node_station}));
  });
  const std::vector<std::uint32_t> ib =
      indexBlockValues(seen.values(), options.ib_order, options.ib_explicit, "TdrgIbBlock");
  const auto index = indexOf(ib, kMaxI16, "TdrgIbBlock");

  Bytes block;
  block.reserve(sorted.size() * kTdrgRecordSize);
  for (const TdrgEntry& e : sorted) {
    appendU16(block, e.area_number);
    appendI16(block, static_cast<std::int16_t>(index.at(e.node_station)));
    appendU16(block, storedValidFrom(e.valid_from, e.withdrawn));
  }
  return detail::fileWithBlocks(kTdrg, {std::move(block), u32Block(ib)});
}

// ---- RBGT ---------------------------------------------------------------------
DataFile rbgtFile(const std::vector<RbgtEntry>& entries, const RbgtOptions& options) {
  FirstSeen stations, numbers;
  for (const RbgtEntry& e : entries) {
    numbers.add(e.route_text_number);
    stations.add(e.station1);
    stations.add(e.station2);
  }
  std::vector<RbgtEntry> sorted = entries;
  detail::sortByKey(sorted, [](const RbgtEntry& e) { return e.route_text_number; });

  const std::vector<std::uint32_t> ibnr = indexBlockValues(stations.values(), options.ibnr_order,
                                                           options.ibnr_explicit, "RbgtIbnrBlock");
  const std::vector<std::uint32_t> rbnr = indexBlockValues(numbers.values(), options.rbnr_order,
                                                           options.rbnr_explicit, "RbgtRbnrBlock");
  const auto station_index = indexOf(ibnr, kMaxI16, "RbgtIbnrBlock");
  const auto number_index = indexOf(rbnr, kMaxI16, "RbgtRbnrBlock");

  TextPool names;
  Bytes hast;
  hast.reserve(sorted.size() * kRbgtHastRecordSize);
  for (const RbgtEntry& e : sorted) {
    appendI16(hast, static_cast<std::int16_t>(number_index.at(e.route_text_number)));
    appendI16(hast, static_cast<std::int16_t>(station_index.at(e.station1)));
    appendI16(hast, static_cast<std::int16_t>(station_index.at(e.station2)));
    appendU32(hast, names.add(e.name));
    appendU16(hast, storedValidFrom(e.valid_from, e.withdrawn));
  }
  return detail::fileWithBlocks(kRbgt,
                                {std::move(hast), u32Block(ibnr), u32Block(rbnr), names.bytes()});
}

// ---- LOST ---------------------------------------------------------------------
DataFile lostFile(std::vector<LostRecord> records, Order order) {
  if (order == Order::Sorted) {
    detail::sortByKey(records, [](const LostRecord& r) {
      return std::make_tuple(r.key_part1, r.key_part2, r.key_part3, r.key_part4);
    });
  }
  TextPool texts;
  Bytes main;
  main.reserve(records.size() * kLostMainRecordSize);
  for (const LostRecord& r : records) {
    appendU16(main, r.key_part1);
    appendU16(main, r.key_part2);
    appendU32(main, r.key_part3);
    appendU16(main, r.key_part4);
    appendU16(main, storedValidFrom(r.valid_from, r.withdrawn));
    appendU32(main, texts.addTriple(r.text1, r.text2, r.text3));
    appendU16(main, r.value);
  }
  return detail::fileWithBlocks(kLost, {std::move(main), texts.bytes()});
}

}  // namespace dmw
