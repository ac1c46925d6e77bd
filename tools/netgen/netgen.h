/*
** The synthetic network generator.
**
** Builds, deterministically from a seed, a large network for measuring the
** engine and the 50 km list: a square grid of node stations joined by
** lines along the grid, with ordinary stations between neighbouring nodes.
** Each tariff area is a block of 2 x 2 grid squares, so its node list holds
** the 3 x 3 nodes of the block (9, at most 10 as the engine allows) and
** every ordinary station lies on a stretch whose two end nodes belong to
** its area. The seed decides the stretch kilometres, the names and the
** stations kept off the 50 km list.
*/
#ifndef ZOLMA_NETGEN_NETGEN_H
#define ZOLMA_NETGEN_NETGEN_H

#include <cstdint>

#include "tools/zolmanet/netcompile.h"
#include "tools/zolmanet/netmodel.h"

namespace netgen {

struct Options {
  uint64_t seed = 1;
  int grid = 33;   /* node stations per side (odd: whole 2 x 2 blocks) */
  int between = 9; /* ordinary stations between two neighbouring nodes */
};

/* Limits of the data files: the station index of STEN holds at most 65536
** stations, and the compiler takes at most 4096 node stations. A grid of n
** holds n x n node stations and n x n + 2 x n x (n - 1) x between stations
** in all. */
constexpr long kMaxStations = static_cast<long>(zolmanet::kMaxStations);
constexpr long kMaxNodeStations = static_cast<long>(zolmanet::kMaxNodeStations);

/* The largest grid that fits these limits with `between` stations on each
** stretch (59 with the default 9). */
int LargestGrid(int between);

/* The generated network (without message texts). A grid larger than
** LargestGrid(between) is refused before anything is generated, with a
** CompileError "--grid N is too large: with --between B the largest grid
** is M (at most 65536 stations and 4096 node stations)". */
zolmanet::Network Generate(const Options& options);

}  // namespace netgen

#endif
