/*
** Shortest ways over the line network (see netgraph.h): Dijkstra's
** algorithm with a binary heap ordered by (total, station index).
*/
#include "tools/zolmanet/netgraph.h"

#include <algorithm>
#include <functional>
#include <queue>
#include <unordered_map>
#include <utility>

namespace zolmanet {

void Graph::AddStretch(uint32_t a, uint32_t b, uint32_t km1, uint32_t km2) {
  auto put = [&](uint32_t from, uint32_t to) {
    for (Edge& e : adj_[from]) {
      if (e.to == to) {
        if (km1 + km2 < e.km1 + e.km2) {
          e.km1 = km1;
          e.km2 = km2;
        }
        return;
      }
    }
    adj_[from].push_back(Edge{to, km1, km2});
  };
  put(a, b);
  put(b, a);
}

void Graph::ShortestWays(uint32_t src, std::vector<uint32_t>* total, std::vector<uint32_t>* part2,
                         std::vector<uint32_t>* pred) const {
  const size_t n = adj_.size();
  total->assign(n, kUnreached);
  part2->assign(n, 0);
  if (pred) pred->assign(n, kUnreached);
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
        if (pred) (*pred)[e.to] = u;
        heap.push({nd, e.to});
      }
    }
  }
}

std::vector<Graph::Reached> Graph::LocalWays(uint32_t src, const std::vector<char>& barrier) const {
  /* Dijkstra over the stations touched only, so that a search costs the
  ** size of the line sections around src, not of the whole network. */
  struct Best {
    uint32_t total, part2;
    bool done;
  };
  std::unordered_map<uint32_t, Best> best;
  using Item = std::pair<uint64_t, uint32_t>;
  std::priority_queue<Item, std::vector<Item>, std::greater<Item>> heap;
  best[src] = Best{0, 0, false};
  heap.push({0, src});
  while (!heap.empty()) {
    auto [d, u] = heap.top();
    heap.pop();
    Best& bu = best[u];
    if (bu.done) continue;
    bu.done = true;
    if (u != src && barrier[u]) continue;
    const uint32_t p2 = bu.part2;
    for (const Edge& e : adj_[u]) {
      uint64_t nd = d + e.km1 + e.km2;
      if (nd >= kUnreached) continue;
      auto it = best.find(e.to);
      if (it == best.end()) {
        best.emplace(e.to, Best{static_cast<uint32_t>(nd), p2 + e.km2, false});
        heap.push({nd, e.to});
      } else if (!it->second.done && nd < it->second.total) {
        it->second.total = static_cast<uint32_t>(nd);
        it->second.part2 = p2 + e.km2;
        heap.push({nd, e.to});
      }
    }
  }
  std::vector<Reached> out;
  for (const auto& [station, b] : best) {
    if (station != src) out.push_back(Reached{station, b.total, b.part2});
  }
  std::sort(out.begin(), out.end(),
            [](const Reached& x, const Reached& y) { return x.station < y.station; });
  return out;
}

}  // namespace zolmanet
