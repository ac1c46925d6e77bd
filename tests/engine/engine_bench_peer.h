// A peer for the 50 km list's figures: Dijkstra's shortest-path search of
// the Boost Graph Library over a synthetic network, from the list's
// origin, once over the whole network and once stopped when the nearest
// unsettled station lies beyond 50 km. The graph is the generator's own
// network (seed 1, the grid of the data set): one vertex per station, one
// edge per stretch between neighbouring stops of a line, weighted with the
// stretch's kilometres. It answers a simpler question than the list (no
// tariff rules, areas or validity), so its time is a floor to compare the
// list with, not the same work.
#ifndef ZOLMA_TESTS_ENGINE_BENCH_PEER_H
#define ZOLMA_TESTS_ENGINE_BENCH_PEER_H

#include <benchmark/benchmark.h>

#include <boost/graph/adjacency_list.hpp>
#include <boost/graph/dijkstra_shortest_paths.hpp>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <map>
#include <unordered_map>
#include <vector>

#include "tools/netgen/netgen.h"

namespace peer {

using Graph =
    boost::adjacency_list<boost::vecS, boost::vecS, boost::undirectedS, boost::no_property,
                          boost::property<boost::edge_weight_t, std::int64_t>>;

struct Netz {
  Graph graph;
  std::unordered_map<std::uint32_t, std::size_t> vertex;  // station number -> vertex
};

// The graph of the generator's network of a grid, built on its first use.
inline const Netz& SynthNetz(int grid) {
  static std::map<int, Netz> netze;
  auto it = netze.find(grid);
  if (it != netze.end()) return it->second;
  Netz& n = netze[grid];
  netgen::Options opt;
  opt.grid = grid;
  zolmanet::Network net = netgen::Generate(opt);
  n.graph = Graph(net.stations.size());
  for (std::size_t i = 0; i < net.stations.size(); ++i) n.vertex[net.stations[i].number] = i;
  for (const zolmanet::Line& line : net.lines)
    for (std::size_t k = 1; k < line.stops.size(); ++k)
      boost::add_edge(n.vertex.at(line.stops[k - 1].station), n.vertex.at(line.stops[k].station),
                      std::llabs(line.stops[k].km - line.stops[k - 1].km), n.graph);
  return n;
}

// Ends the search at the first station settled beyond the limit.
struct Genug {};
struct Grenze : boost::default_dijkstra_visitor {
  const std::vector<std::int64_t>* dist;
  std::int64_t limit;
  void examine_vertex(std::size_t v, const Graph&) const {
    if ((*dist)[v] > limit) throw Genug{};
  }
};

// limit < 0: the whole network.
inline void BM_Peer(benchmark::State& state, int grid, std::uint32_t abgang, std::int64_t limit) {
  const Netz& n = SynthNetz(grid);
  auto it = n.vertex.find(abgang);
  if (it == n.vertex.end()) {
    state.SkipWithError("Abgang nicht im Netz des Generators");
    return;
  }
  std::vector<std::int64_t> dist(boost::num_vertices(n.graph));
  std::size_t erreicht = 0;
  for (auto _ : state) {
    Grenze vis;
    vis.dist = &dist;
    vis.limit = limit < 0 ? std::numeric_limits<std::int64_t>::max() : limit;
    try {
      boost::dijkstra_shortest_paths(n.graph, it->second,
                                     boost::distance_map(dist.data()).visitor(vis));
    } catch (const Genug&) {
    }
    benchmark::DoNotOptimize(dist.data());
  }
  for (std::int64_t d : dist) erreicht += (d <= (limit < 0 ? 50 : limit)) ? 1 : 0;
  state.counters["abgang"] = abgang;
  state.counters["bis50km"] = static_cast<double>(erreicht);
}

}  // namespace peer

#endif
