// Test support for the table manager core: a private directory for the data
// files, registration of a table's physical name, a protected load that
// reports the raise it caught, and a fixture that returns every table of
// the core to "set up, not loaded" around each test and checks that no
// block memory is left behind.
#ifndef ZOLMA_TESTS_DM_DM_FIXTURE_H
#define ZOLMA_TESTS_DM_DM_FIXTURE_H

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "tests/common/tabhilfe.h"
#include "tests/common/tempdir.h"
#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_ebgb.h"
#include "common/dtacc/dm/dm_ebgg.h"
#include "common/dtacc/dm/dm_ebhf.h"
#include "common/dtacc/dm/dm_fbrr.h"
#include "common/dtacc/dm/dm_fbrw.h"
#include "common/dtacc/dm/dm_fehl.h"
#include "common/dtacc/dm/dm_pbhf.h"
#include "support/msg.h"
#include "support/utfault.h"
#include "support/utname.h"
#include "tools/dmwriter/dmwriter.h"

namespace dmtest {

// The process's data directory (created once, removed at exit).
inline const std::filesystem::path& DataDir() { return tempdir::ForProcess("dmcore"); }

// Writes the file as DM<code> in the data directory and registers the table
// code with that path as its physical name. Returns the path.
inline std::string Put(const char* code, const dmw::DataFile& file) {
  std::string path = (DataDir() / (std::string("DM") + code)).string();
  file.write(path);
  EXPECT_EQ(UtSetName(code, path.c_str()), 0);
  return path;
}

inline std::string PutBytes(const char* code, const dmw::Bytes& bytes) {
  std::string path = (DataDir() / (std::string("DM") + code)).string();
  dmw::writeBytes(path, bytes);
  EXPECT_EQ(UtSetName(code, path.c_str()), 0);
  return path;
}

// What a protected call caught: raise code 0 when nothing was raised.
struct Raised {
  int code = 0;
  std::string ssid;
  unsigned number = 0;
  std::string types;                // the stored type letters
  std::vector<std::string> params;  // the 's' parameters, in order
};

template <class F>
Raised Catch(F&& fn) {
  Raised out;
  MsgTrapFrame frame;
  out.code = MsgTry(frame, fn);
  if (out.code != 0 && frame.received) {
    const Meldungskontext* m = frame.received;
    out.ssid.assign(m->SS_id, 2);
    out.number = m->Meldungsnummer;
    for (int k = 0; k < m->paramCount && k < kMsgMaxParams; ++k) {
      const MsgParamDesc& d = m->params[k];
      out.types.push_back(d.type);
      if (d.type == 's' && d.offset >= 0)
        out.params.emplace_back(reinterpret_cast<const char*>(m->data) + d.offset, d.length);
    }
    MsgFree(frame.received);
  }
  return out;
}

inline Raised Load(DbTabDesc* tab) {
  return Catch([&] { DbLoadTab(tab); });
}

using tabhilfe::Field;
using tabhilfe::Raw;
using tabhilfe::UnloadAll;

// A 20-character blank-padded station name.
inline std::string Name20(const std::string& s) {
  std::string n = s.substr(0, 20);
  n.resize(20, ' ');
  return n;
}

// Every core table set up and not loaded, every cursor slot free, the
// stamp 0, and no block memory outstanding after the test.
class DmTest : public ::testing::Test {
 protected:
  static void ResetAll() {
    for (DbTabDesc* t :
         {&DbEbhfTab, &DbPbhfTab, &DbFehlTab, &DbFbrrTab, &DbEbggTab, &DbFbrwTab, &DbEbgbTab})
      UnloadAll(t);
    DbInitEbhf();
    DbInitPbhf();
    DbInitFehl();
    DbInitFbrr();
    DbInitEbgg();
    DbInitFbrw();
    DbInitEbgb();
    for (int k = 0; k < kDbCursorSlots; ++k) {
      DbResetEbggSlot(k);
      DbResetFbrwSlot(k);
      DbResetEbgbSlot(k);
    }
    DbDatenZeitstempel = 0;
    UtFaultFailAllocAfter(kUtFaultDbBlock, -1);
  }
  void SetUp() override { ResetAll(); }
  void TearDown() override {
    ResetAll();
    EXPECT_EQ(DbTestLiveBlocks(), 0) << "block memory left behind";
  }
};

}  // namespace dmtest

#endif  // ZOLMA_TESTS_DM_DM_FIXTURE_H
