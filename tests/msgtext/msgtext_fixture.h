// Shared fixture of the message-text tests: a private working directory with
// a FEHL data file written by the data-file writer, registered under its
// logical name, and helpers that build message contexts.
#ifndef ZOLMA_TESTS_MSGTEXT_MSGTEXT_FIXTURE_H
#define ZOLMA_TESTS_MSGTEXT_MSGTEXT_FIXTURE_H

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/common/tempdir.h"
#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_fehl.h"
#include "msgtext/msgfile.h"
#include "msgtext/msgformat.h"
#include "support/msg.h"
#include "support/utday.h"
#include "support/utname.h"
#include "tools/dmwriter/dmwriter.h"

namespace msgtext_test {

// Creation time written into the FEHL file's header (non-zero, so that a
// load that stores it in the data-time stamp would show).
inline constexpr std::int32_t kFehlFileTime = 1262304000;

// First day of the newer of two versions of "EB" 2003.
inline constexpr std::uint16_t kFehlNewerFrom = 10000;

// The patterns every test can look up.
inline std::vector<dmw::FehlRecord> FehlFixture() {
  auto rec = [](char variant, const char* ssid, std::uint16_t number, std::string text,
                std::uint16_t validFrom = 0) {
    dmw::FehlRecord r;
    r.variant = variant;
    r.subsystem_id = ssid;
    r.message_number = number;
    r.valid_from = validFrom;
    r.text_pattern = std::move(text);
    return r;
  };
  return {
      rec('D', "EB", 1102, "Bahnhof %1d nicht gefunden"),
      rec('I', "EB", 1102, "I: Bahnhof %1d nicht gefunden"),
      rec('D', "EB", 1200, "%1d|%2d|%3:dt|%4s|%2:Xd|%1:xd"),
      rec('D', "EB", 1300, "Siehe: %1:*d"),
      rec('D', "EB", 1301, "Siehe %N."),
      rec('D', "EB", 1302, "Breit: %1:-30:*d|"),
      rec('I', "EB", 2000, "Unter I: %1:*d"),
      rec('D', "EB", 2001, "Text von D 2001"),
      rec('I', "EB", 2001, "Text von I 2001"),
      rec('J', "EB", 2001, "Text von J 2001"),
      // 70 characters each, ending in a lone '%' and a partial placeholder.
      rec('D', "EB", 3000, std::string(69, 'x') + "%"),
      rec('D', "EB", 3001, std::string(67, 'x') + "%1:"),
      rec('D', "EB", 3002, ""),
      rec('D', "TT", 4004, "Schluessel %1s nicht in Liste"),
      rec('D', "EB", 1500, "Datenstand %1t"),
      rec('D', "DZ", 1010, "Tabelle %1s nicht registriert"),
      // Two versions of one pattern: the newer one is valid from day 10000.
      rec('D', "EB", 2003, "Alte Fassung"),
      rec('D', "EB", 2003, "Neue Fassung", kFehlNewerFrom),
  };
}

// Pads a pattern to the 70 characters of a stored one.
inline std::string Pattern70(std::string p) {
  p.resize(kMsgPatternSize, ' ');
  return p;
}

template <class... A>
MsgContextPtr Ctx(const char* ssid, std::uint16_t number, std::uint16_t mode, const char* types,
                  A&&... args) {
  Meldungskontext* m = nullptr;
  MsgBuildArgs(&m, ssid, number, mode, types, std::forward<A>(args)...);
  return MsgContextPtr(m);
}

// Formats message with a given pattern, without a lookup.
inline std::string FormatWith(const Meldungskontext* m, const std::string& pattern,
                              int* result = nullptr, std::int16_t size = 1024) {
  std::vector<char> buf(static_cast<std::size_t>(size) + 1, 'Q');
  // Exactly 70 bytes of their own, so that a read past the pattern shows
  // under the address sanitizer.
  std::string padded = Pattern70(pattern);
  std::unique_ptr<char[]> p(new char[kMsgPatternSize]);
  std::memcpy(p.get(), padded.data(), kMsgPatternSize);
  int r = MsgFormatText(buf.data(), size, m, 0, p.get(), 'D');
  if (result) *result = r;
  return std::string(buf.data());
}

// A working directory of its own (ctest runs test processes in parallel),
// the FEHL file in it, "FEHL" registered to it, and a formatter that has not
// made its first lookup yet.
class MsgTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = tempdir::Make("msgtext");
    old_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
    fehlPath_ = (dir_ / "DMFEHL").string();
    dmw::DataFile f = dmw::fehlFile(FehlFixture());
    f.creation_time = kFehlFileTime;
    f.write(fehlPath_);
    UtSetName("FEHL", fehlPath_.c_str());
    MsgFormatTestReset();
    MsgFileInstall();
  }

  void TearDown() override {
    MsgFormatTestReset();
    MsgFileTestSetSwitch(0);
    UtTestSetClock(nullptr);
    UtRemoveName(kUtRegisterGroup, "FEHL");
    UtRemoveName(kUtRegisterGroup, "Absender");
    std::filesystem::current_path(old_);
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  std::filesystem::path dir_;
  std::filesystem::path old_;
  std::string fehlPath_;
};

}  // namespace msgtext_test

#endif  // ZOLMA_TESTS_MSGTEXT_MSGTEXT_FIXTURE_H
