/*
** Writing a compiled network as data files.
**
** Every table goes through the data-file writer (tools/dmwriter) under the
** physical name the application registers for it (DMFEHL, DMEBHF, DMFBRR,
** DMFBRW, DMGREN, DMRBGT, DMSTEN, DMTDRG, DMPBHF). All files are first
** written into a working folder of this run's own inside the output folder
** (".zolmanet-" and six random characters); only when every one of them
** was written whole do they replace the previous files, all or nothing:
** the previous files wait in the working folder until the last new one is
** in place and come back when any step fails. No other file of the output
** folder is touched, and an output folder the run made goes again when it
** fails.
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

#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS
/* Test hook: when set, writing the file of this physical name fails as if
** the disk were full. */
extern const char* g_failWriteOf;

/* Test hook: when set, renaming the new file of this physical name into
** place fails as if the file system refused it. */
extern const char* g_failRenameOf;
#endif

}  // namespace zolmanet

#endif
