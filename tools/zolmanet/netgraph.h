/*
** Shortest ways over the line network.
**
** The compiler derives the STEN kilometres of a station to the node
** stations of its area, and the GREN kilometres between node stations,
** from the shortest way through the lines. Every stretch carries its
** kilometres in two parts (the line's km part); a way's parts are the sums
** of its stretches' parts, and the way is chosen by their total. Ties are
** broken by station index, so the result does not depend on input order
** beyond the numbering.
*/
#ifndef ZOLMA_ZOLMANET_NETGRAPH_H
#define ZOLMA_ZOLMANET_NETGRAPH_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zolmanet {

constexpr uint32_t kUnreached = 0xFFFFFFFFu;

class Graph {
 public:
  explicit Graph(size_t n) : adj_(n) {}

  size_t size() const { return adj_.size(); }

  /* Adds the stretch a-b; when the pair is already joined, the shorter
  ** stretch stays. */
  void AddStretch(uint32_t a, uint32_t b, uint32_t km1, uint32_t km2);

  /* Shortest ways from src: total[i] (kUnreached when i cannot be reached)
  ** and part2[i], the km part 2 of that way; with pred, also the station
  ** before i on that way (kUnreached for src and unreached stations). */
  void ShortestWays(uint32_t src, std::vector<uint32_t>* total, std::vector<uint32_t>* part2,
                    std::vector<uint32_t>* pred = nullptr) const;

  struct Reached {
    uint32_t station;
    uint32_t total, part2;
  };
  /* Shortest ways from src that pass no barrier station on the way: a
  ** barrier station (other than src) is reached but not passed. Returns
  ** every station reached (src excluded), in order of station index. */
  std::vector<Reached> LocalWays(uint32_t src, const std::vector<char>& barrier) const;

 private:
  struct Edge {
    uint32_t to;
    uint32_t km1, km2;
  };
  std::vector<std::vector<Edge>> adj_;
};

}  // namespace zolmanet

#endif
