/*
** zolmanet: the network compiler's command line.
**
**   zolmanet [--check] [-o OUTPUT-FOLDER] DESCRIPTION-FOLDER
**
** Reads every ".net" file of the description folder, checks and compiles
** the network and writes the data files into the output folder (the
** current folder by default). --check compiles without writing. Errors go
** to the standard error stream as "file:line: text"; the exit code is 0 on
** success, 1 on a description error, 2 on a usage error.
*/
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "tools/zolmanet/netcompile.h"
#include "tools/zolmanet/netparse.h"
#include "tools/zolmanet/netwrite.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: zolmanet [--check] [-o OUTPUT-FOLDER] DESCRIPTION-FOLDER\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string out = ".";
  std::string in;
  bool checkOnly = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--check") == 0)
      checkOnly = true;
    else if (std::strcmp(argv[i], "-o") == 0 && i + 1 < argc)
      out = argv[++i];
    else if (argv[i][0] == '-')
      return Usage();
    else if (in.empty())
      in = argv[i];
    else
      return Usage();
  }
  if (in.empty()) return Usage();
  try {
    zolmanet::Network net = zolmanet::ParseFolder(in);
    zolmanet::CompiledNet c = zolmanet::Compile(net);
    if (!checkOnly) zolmanet::WriteDataFiles(c, out);
    std::printf(
        "zolmanet: %zu stations, %zu node stations, %zu STEN records, %zu GREN pairs, %zu messages%s\n",
        net.stations.size(), c.grenNodes.size(), c.sten.size(), c.gren.size(), c.fehl.size(),
        checkOnly ? " (checked only)" : "");
  } catch (const zolmanet::CompileError& e) {
    std::fprintf(stderr, "zolmanet: %s\n", e.what());
    return 1;
  } catch (const std::exception& e) {
    /* A failure of the file system or of memory: reported, not a crash. */
    std::fprintf(stderr, "zolmanet: %s\n", e.what());
    return 1;
  }
  return 0;
}
