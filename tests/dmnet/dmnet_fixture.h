// Test support for the network tables (GREN, NGAT, TDRG, RBGT, STEN, LOST,
// NESR): a private working directory for the data files (the loader opens
// them from the current directory), registration of a table's physical
// name, a protected load that reports the raise it caught, and a full
// unload for the end of a test.
#ifndef ZOLMA_TESTS_DMNET_DMNET_FIXTURE_H
#define ZOLMA_TESTS_DMNET_DMNET_FIXTURE_H

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/common/tabhilfe.h"
#include "tests/common/tempdir.h"
#include "common/dtacc/dm/dm.h"
#include "support/msg.h"
#include "support/utname.h"
#include "tools/dmwriter/dmwriter.h"

namespace dmnettest {

// Creates (once per process) a temporary directory and makes it the current
// directory; it is removed at exit.
inline void EnterDataDir() { std::filesystem::current_path(tempdir::ForProcess("dmnet")); }

// Writes the file under `phys` in the working directory and registers the
// table code as its logical name.
inline void WriteTable(const dmw::DataFile& file, const char* code, const char* phys) {
  EnterDataDir();
  file.write(phys);
  ASSERT_EQ(UtSetName(code, phys), 0);
}

// What a protected load caught: raise code 0 when nothing was raised.
struct LoadOutcome {
  int code = 0;
  std::string ssid;
  unsigned number = 0;
  std::vector<std::string> params;  // the 's' parameters, in order
};

inline LoadOutcome LoadTable(DbTabDesc* tab) {
  LoadOutcome out;
  MsgTrapFrame frame;
  out.code = MsgTry(frame, [&] { DbLoadTab(tab); });
  if (out.code != 0 && frame.received) {
    const Meldungskontext* m = frame.received;
    out.ssid.assign(m->SS_id, 2);
    out.number = m->Meldungsnummer;
    for (int k = 0; k < m->paramCount && k < kMsgMaxParams; ++k) {
      const MsgParamDesc& d = m->params[k];
      if (d.type == 's' && d.offset >= 0)
        out.params.emplace_back(reinterpret_cast<const char*>(m->data) + d.offset, d.length);
    }
    MsgFree(frame.received);
  }
  return out;
}

// Loads and expects success.
inline void LoadOk(DbTabDesc* tab) {
  LoadOutcome o = LoadTable(tab);
  ASSERT_EQ(o.code, 0) << o.ssid << o.number << (o.params.size() > 2 ? " " + o.params[2] : "");
  ASSERT_TRUE(DbIsLoaded(tab));
}

using tabhilfe::Field;
using tabhilfe::Raw;
using tabhilfe::UnloadAll;

}  // namespace dmnettest

#endif  // ZOLMA_TESTS_DMNET_DMNET_FIXTURE_H
