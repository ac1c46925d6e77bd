// Data-file writer: builds the binary table files that the table manager
// loads, written from the file format and the stored record layouts, so
// that tests and the sample data set can make well-formed and deliberately
// broken files without going through the loader's own structures.
//
//   datafile.h  file level: header, block 0 texts, numbered blocks, ways to
//               break a file, little-endian put helpers, output to bytes
//               and to a file.
//   tables.h    one encoder per table (records by meaning, sorted by key
//               and newest first) and the builders of the tables with index
//               blocks and text pools (GREN, STEN, TDRG, RBGT, LOST, FBRR).
//
// Typical use:
//   dmw::DataFile f = dmw::ebhfFile({rec1, rec2});
//   f.setVersionsInfo("3.1");
//   f.write(dir / "DMEBHF");
// and, for a broken file:
//   f.block(1).data.push_back(0);   // length no longer a multiple of 130
//   f.truncate_to = f.blockDataOffset(1) + 10;
#ifndef ZOLMA_TOOLS_DMWRITER_DMWRITER_H
#define ZOLMA_TOOLS_DMWRITER_DMWRITER_H

#include "tools/dmwriter/datafile.h"
#include "tools/dmwriter/tables.h"

#endif  // ZOLMA_TOOLS_DMWRITER_DMWRITER_H
