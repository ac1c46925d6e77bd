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

#include "tools/zolmanet/netmodel.h"

namespace netgen {

struct Options {
  uint64_t seed = 1;
  int grid = 33;        /* node stations per side (odd: whole 2 x 2 blocks) */
  int between = 9;      /* ordinary stations between two neighbouring nodes */
};

/* The generated network (without message texts). */
zolmanet::Network Generate(const Options& options);

}  // namespace netgen

#endif
