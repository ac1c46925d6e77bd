/*
** Writing a compiled network as data files.
**
** Every table goes through the data-file writer (tools/dmwriter) under the
** physical name the application registers for it (DMFEHL, DMEBHF, DMFBRR,
** DMFBRW, DMGREN, DMRBGT, DMSTEN, DMTDRG, DMPBHF). All files are first
** written under temporary names in the output folder and renamed only when
** every one of them was written whole, so a failure leaves no half-written
** data file behind.
*/
#ifndef ZOLMA_ZOLMANET_NETWRITE_H
#define ZOLMA_ZOLMANET_NETWRITE_H

#include <string>
#include <utility>
#include <vector>

#include "tools/dmwriter/dmwriter.h"
#include "tools/zolmanet/netcompile.h"

namespace zolmanet {

/* The data files of a compiled network, by physical name. */
std::vector<std::pair<std::string, dmw::DataFile>> BuildDataFiles(const CompiledNet& net);

/* Writes them into dir (created when missing); throws CompileError. */
void WriteDataFiles(const CompiledNet& net, const std::string& dir);

/* Test hook: when set, writing the file of this physical name fails as if
** the disk were full. */
extern const char* g_failWriteOf;

}  // namespace zolmanet

#endif
