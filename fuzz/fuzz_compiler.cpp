/*
** Fuzz target: the network compiler, from description text to data files.
**
** The input is the text of one description file. The parser and the checks
** either refuse it with a CompileError that names the file and line, or
** compile it. What must hold:
**   - nothing but a CompileError ends a refused description;
**   - a compiled network is taken whole by the data-file writer;
**   - every compiled network loads back: each of its data files passes the
**     table loader, and the tables hold as many records as were compiled.
*/
#include <cstring>
#include <exception>
#include <string>

#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_ebhf.h"
#include "common/dtacc/dm/dm_fbrr.h"
#include "common/dtacc/dm/dm_fbrw.h"
#include "common/dtacc/dm/dm_fehl.h"
#include "common/dtacc/dm/dm_gren.h"
#include "common/dtacc/dm/dm_pbhf.h"
#include "common/dtacc/dm/dm_rbgt.h"
#include "common/dtacc/dm/dm_sten.h"
#include "common/dtacc/dm/dm_tdrg.h"
#include "fuzz/fuzz_common.h"
#include "support/utname.h"
#include "tools/zolmanet/netcompile.h"
#include "tools/zolmanet/netparse.h"
#include "tools/zolmanet/netwrite.h"

namespace {

struct Table {
  const char* code;
  DbTabDesc* tab;
  void (*init)();
};

const Table kTables[] = {
    {"FEHL", &DbFehlTab, DbInitFehl}, {"EBHF", &DbEbhfTab, DbInitEbhf},
    {"FBRR", &DbFbrrTab, DbInitFbrr}, {"FBRW", &DbFbrwTab, DbInitFbrw},
    {"GREN", &DbGrenTab, DbInitGren}, {"RBGT", &DbRbgtTab, DbInitRbgt},
    {"STEN", &DbStenTab, DbInitSten}, {"TDRG", &DbTdrgTab, DbInitTdrg},
    {"PBHF", &DbPbhfTab, DbInitPbhf},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zolmanet;
  const std::string text(reinterpret_cast<const char*>(data), size);
  CompiledNet c;
  try {
    Network net;
    ParseText("fuzz.net", text, &net);
    c = Compile(net);
  } catch (const CompileError& e) {
    ZFUZZ_CHECK(std::strncmp(e.what(), "fuzz.net:", 9) == 0, "refusal without file and line: %s",
                e.what());
    return 0;
  } catch (const std::exception& e) {
    ZFUZZ_CHECK(false, "the compiler failed with %s", e.what());
  }

  std::vector<std::pair<std::string, dmw::DataFile>> files;
  try {
    files = BuildDataFiles(c);
  } catch (const std::exception& e) {
    ZFUZZ_CHECK(false, "the writer refused a compiled network: %s", e.what());
  }
  for (const auto& [phys, file] : files) {
    const std::string path = (zfuzz::ScratchDir() / phys).string();
    const dmw::Bytes bytes = file.bytes();
    zfuzz::WriteFile(path, bytes.data(), bytes.size());
    UtSetName(phys.substr(2).c_str(), path.c_str());
  }
  for (const Table& t : kTables) {
    t.init();
    int code = zfuzz::Protected([&] { DbLoadTab(t.tab); });
    ZFUZZ_CHECK(code == 0, "the compiled %s does not load (raise %d)", t.code, code);
  }
  ZFUZZ_CHECK(static_cast<size_t>(DbEbhfBlock.count) == c.ebhf.size(), "EBHF %d of %zu",
              DbEbhfBlock.count, c.ebhf.size());
  ZFUZZ_CHECK(static_cast<size_t>(DbPbhfBlock.count) == c.pbhf.size(), "PBHF %d of %zu",
              DbPbhfBlock.count, c.pbhf.size());
  ZFUZZ_CHECK(static_cast<size_t>(DbFehlTab.firstBlock->count) == c.fehl.size(), "FEHL %d of %zu",
              DbFehlTab.firstBlock->count, c.fehl.size());
  ZFUZZ_CHECK(static_cast<size_t>(DbFbrrTab.firstBlock->count) == c.fbrr.size(), "FBRR %d of %zu",
              DbFbrrTab.firstBlock->count, c.fbrr.size());
  ZFUZZ_CHECK(static_cast<size_t>(DbFbrwTab.firstBlock->count) == c.fbrw.size(), "FBRW %d of %zu",
              DbFbrwTab.firstBlock->count, c.fbrw.size());
  /* Every station of the compiled network is found by its number on the
  ** day its record begins, unless that record is a withdrawal. */
  for (const dmw::EbhfRecord& r : c.ebhf) {
    if (r.withdrawn) continue;
    EbhfSatz s;
    ZFUZZ_CHECK(DbGetEbhf(&s, 80, r.station_number, r.valid_from) == kDbFound,
                "station %u not found on day %u", r.station_number, r.valid_from);
  }
  for (const Table& t : kTables) DbUnloadTab(t.tab);
  ZFUZZ_CHECK(DbTestLiveBlocks() == 0, "%d blocks left after the unload", DbTestLiveBlocks());
  return 0;
}
