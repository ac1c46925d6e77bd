/*
** Shortest ways over the line network (see netgraph.h): Dijkstra's
** algorithm with a binary heap ordered by (total, station index).
*/
#include "tools/zolmanet/netgraph.h"

#include <functional>
#include <queue>
#include <utility>

namespace zolmanet {

void Graph::AddStretch(uint32_t a, uint32_t b, uint32_t km1, uint32_t km2) {
  auto put = [&](uint32_t from, uint32_t to) {
    for (Edge& e : adj_[from]) {
      if (e.to == to) {
        if (km1 + km2 < e.km1 + e.km2) { e.km1 = km1; e.km2 = km2; }
        return;
      }
    }
    adj_[from].push_back(Edge{to, km1, km2});
  };
  put(a, b);
  put(b, a);
}

void Graph::ShortestWays(uint32_t src, std::vector<uint32_t>* total, std::vector<uint32_t>* part2) const {
  const size_t n = adj_.size();
  total->assign(n, kUnreached);
  part2->assign(n, 0);
  using Item = std::pair<uint64_t, uint32_t>;
  std::priority_queue<Item, std::vector<Item>, std::greater<Item>> heap;
  (*total)[src] = 0;
  heap.push({0, src});
  std::vector<char> done(n, 0);
  while (!heap.empty()) {
    auto [d, u] = heap.top();
    heap.pop();
    if (done[u]) continue;
    done[u] = 1;
    for (const Edge& e : adj_[u]) {
      uint64_t nd = d + e.km1 + e.km2;
      if (nd < (*total)[e.to]) {
        (*total)[e.to] = static_cast<uint32_t>(nd);
        (*part2)[e.to] = (*part2)[u] + e.km2;
        heap.push({nd, e.to});
      }
    }
  }
}

}  // namespace zolmanet
