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
** them. netwrite turns them into data files through the data-file writer.
*/
#ifndef ZOLMA_ZOLMANET_NETCOMPILE_H
#define ZOLMA_ZOLMANET_NETCOMPILE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/zolmanet/netmodel.h"

namespace zolmanet {

/* Limits of the data files: the station index of STEN holds at most 65536
** stations; the node matrix of GREN is kept to 4096 node stations. */
constexpr size_t kMaxStations = 65536;
constexpr size_t kMaxNodeStations = 4096;

constexpr uint16_t kWithdrawn = 0x8000;
constexpr uint16_t kOpenEnd = 43829; /* 31.12.2099 */

/* STEN flag bits. */
constexpr uint16_t kStenNoNode = 0x0001;  /* first letter 'J' */
constexpr uint16_t kStenThirdJ = 0x0002;  /* third letter 'J' */
constexpr uint16_t kStenSecondJ = 0x0004; /* second letter 'J' */
constexpr uint16_t kStenSecondA = 0x0008; /* second letter 'A': node route competes */
constexpr uint16_t kStenSecondU = 0x0010;

struct EbhfRecord {
  uint32_t station = 0;
  uint16_t validFrom = 0; /* bit 15 = withdrawn */
  std::string name;       /* 20 bytes, DOS code page, blank-padded */
  std::string name2;      /* 20 bytes */
  std::string code;       /* 9 bytes */
  uint16_t area = 0;
  char flagChars[3] = {'J', 'J', 'N'};
  char flagLetters[14];
};

struct PbhfRecord {
  std::string name; /* 20 bytes, normalised, blank-padded */
  uint16_t validFrom = 0;
  uint32_t station = 0;
};

struct FehlRecord {
  char variant = 'D';
  char ssid[2] = {' ', ' '};
  uint16_t number = 0;
  uint16_t validFrom = 0;
  std::string pattern; /* 70 bytes, DIN 66003, blank-padded */
};

struct StenRecord {
  uint32_t a = 0, b = 0; /* a < b */
  uint16_t km1 = 0, km2 = 0;
  uint16_t flags = 0;
  uint16_t validFrom = 0;
};

struct GrenEntry {
  uint16_t km1 = 0, km2 = 0;
  int32_t routeText = 0; /* RBGT number, 0 = none */
  uint16_t flags = 0;    /* bit 0: the description runs against the pair order */
  uint16_t validFrom = 0;
};

struct GrenHistory {
  int16_t i = 0, j = 0; /* node indices, i < j */
  GrenEntry entry;
};

struct TdrgRecord {
  uint16_t area = 0;
  uint32_t node = 0;
  uint16_t validFrom = 0;
};

struct RbgtRecord {
  uint32_t number = 0;
  uint32_t station1 = 0, station2 = 0;
  std::string text; /* DOS code page, at most 40 bytes */
  uint16_t validFrom = 0;
};

struct FbrrRecord {
  uint16_t key = 0;
  uint32_t number = 0;
  uint16_t validFrom = 0;
  uint32_t stations[4] = {0, 0, 0, 0}; /* full form (DbBhfVoll) */
  uint16_t km[4] = {0, 0, 0, 0};
  uint16_t validTo = kOpenEnd;
};

struct FbrwRecord {
  uint32_t key1 = 0;  /* FBRR key number */
  uint16_t key2 = 0;  /* FBRR relation number, low 16 bits */
  uint16_t group = 0; /* place along the relation, from 1 */
  uint16_t validFrom = 0;
  uint32_t station = 0; /* full form */
  char kind = 'M';      /* stored in the first 8-bit value */
};

/* Every table, each sorted as its data file keeps it. */
struct CompiledNet {
  std::string versionInfo;
  Pos headerPos; /* the 'netz' line that gave versionInfo */
  int64_t created = 0;
  std::vector<EbhfRecord> ebhf;
  std::vector<PbhfRecord> pbhf;
  std::vector<FehlRecord> fehl;
  std::vector<StenRecord> sten;
  std::vector<uint32_t> grenNodes;      /* ascending */
  std::vector<GrenEntry> gren;          /* matrix order, n(n-1)/2 */
  std::vector<GrenHistory> grenHistory; /* by (i, j), newest first */
  std::vector<TdrgRecord> tdrg;         /* by area, groups in description order */
  std::vector<RbgtRecord> rbgt;         /* by number, newest first */
  std::vector<FbrrRecord> fbrr;         /* by (key, number) */
  std::vector<FbrwRecord> fbrw;         /* by (key1, key2, group) */
};

/* Checks and compiles a description; throws CompileError "file:line: ...". */
CompiledNet Compile(const Network& net);

/* Index of the GREN matrix entry of the node indices i < j of n nodes. */
inline uint64_t GrenIndex(uint64_t i, uint64_t j, uint64_t n) {
  return i * (n - 2) + j - (i * (i - 1)) / 2 - 1;
}

}  // namespace zolmanet

#endif
