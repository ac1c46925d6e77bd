/*
** The network compiler: from a checked description to the records of every
** table the application loads.
**
** `Compile` checks the description as a whole (stations that exist, unique
** numbers and names, areas with 1 to 10 node stations, lines that join
** up), derives what is not typed (STEN pairs of neighbours, of two
** stations of one area joined without passing a node station, and of each
** station with the node stations of its area, the GREN matrix between node
** stations, all along the shortest way and for every day on which a
** kilometre change takes effect; the name-lookup keys; the text code
** pages), and returns the records in meaning, sorted as the tables keep
** them. The records are the data-file writer's own (tools/dmwriter), so
** the format is described there once; netwrite turns them into files.
*/
#ifndef ZOLMA_ZOLMANET_NETCOMPILE_H
#define ZOLMA_ZOLMANET_NETCOMPILE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/dmwriter/tables.h"
#include "tools/zolmanet/netmodel.h"

namespace zolmanet {

/* Limits of the data files: the station index of STEN holds at most 65536
** stations; the node matrix of GREN is kept to 4096 node stations. */
constexpr size_t kMaxStations = 65536;
constexpr size_t kMaxNodeStations = 4096;

/* Every table's records. The lists marked with an order are kept in it by
** the compiler; the others are in description order, and the data-file
** writer sorts every block into its file's order. */
struct CompiledNet {
  std::string versionInfo;
  Pos headerPos; /* the 'netz' line that gave versionInfo */
  int64_t created = 0;
  std::vector<dmw::EbhfRecord> ebhf;
  std::vector<dmw::PbhfRecord> pbhf;
  std::vector<dmw::FehlRecord> fehl;
  std::vector<dmw::StenPair> sten;
  std::vector<uint32_t> grenNodes;         /* ascending */
  std::vector<dmw::GrenPair> gren;         /* every node pair, in matrix order */
  std::vector<dmw::GrenPair> grenHistory;  /* older versions, by pair, newest first */
  std::vector<dmw::TdrgEntry> tdrg;        /* by area, groups in description order */
  std::vector<dmw::RbgtEntry> rbgt;
  std::vector<dmw::FbrrRecord> fbrr;
  std::vector<dmw::FbrwRecord> fbrw;
};

/* Checks and compiles a description; throws CompileError "file:line: ...". */
CompiledNet Compile(const Network& net);

}  // namespace zolmanet

#endif
