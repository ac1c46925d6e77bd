// Error trap frames, raising and message contexts.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/msg.h"
#include "support/utday.h"
#include "support/utfault.h"
#include "support/utlog.h"
#include "support/utname.h"

namespace {

class SupportMsg : public ::testing::Test {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ASSERT_EQ(MsgTopFrame(), nullptr);
  }
  void TearDown() override { EXPECT_EQ(MsgTopFrame(), nullptr) << "frame left on the chain"; }
};

std::string Text(const Meldungskontext* m, int i) {
  const MsgParamDesc& d = m->params[i];
  if (d.offset < 0) return "<not stored>";
  return std::string(reinterpret_cast<const char*>(m->data + d.offset), d.length);
}

TEST_F(SupportMsg, PushNullChangesNothing) {
  EXPECT_EQ(MsgTryPush(nullptr), 1);
  EXPECT_EQ(MsgTopFrame(), nullptr);
  MsgTrapFrame f;
  EXPECT_EQ(MsgTryPush(&f), 0);
  EXPECT_EQ(f.marker, kMsgFrameMarker);
  EXPECT_EQ(MsgTryPush(nullptr), 1);
  EXPECT_EQ(MsgTopFrame(), &f);
  MsgTryPop();
}

TEST_F(SupportMsg, RaiseLandsInInnermostFrameThenOuter) {
  MsgTrapFrame outer, inner;
  int innerCode = -1;
  bool outerSawItself = false;
  int outerCode = MsgTry(outer, [&] {
    innerCode = MsgTry(inner, [&] {
      EXPECT_EQ(MsgTopFrame(), &inner);
      EXPECT_EQ(inner.next, &outer);
      MsgRaise(1103, kMsgSsEngine, 1103, kMsgModeNumbered, "ds", 4711, "Hamburg");
    });
    // The raise took the inner frame off; the outer one is the top again.
    outerSawItself = MsgTopFrame() == &outer;
    MsgContextPtr owned(inner.received);
    ASSERT_NE(inner.received, nullptr);
    EXPECT_EQ(std::memcmp(inner.received->SS_id, "EB", 2), 0);
    EXPECT_EQ(inner.received->Meldungsnummer, 1103);
    EXPECT_EQ(inner.received->paramCount, 2);
    EXPECT_EQ(MsgDataI16(inner.received, inner.received->params[0].offset), 4711);
    EXPECT_EQ(Text(inner.received, 1), "Hamburg");
    MsgRaise(1, kMsgSsTable, 1001, kMsgModeNumbered, "");
  });
  EXPECT_EQ(innerCode, 1103);
  EXPECT_TRUE(outerSawItself);
  EXPECT_EQ(outerCode, 1);
  ASSERT_NE(outer.received, nullptr);
  EXPECT_EQ(outer.received->Meldungsnummer, 1001);
  MsgFree(outer.received);
}

TEST_F(SupportMsg, RaiseCodeArrivesUnchangedExceptZero) {
  struct Case {
    int raised, arrives;
  } cases[] = {{0, 1}, {1, 1}, {2, 2}, {1999, 1999}, {-5, -5}, {INT_MAX, INT_MAX}};
  for (const Case& c : cases) {
    MsgTrapFrame f;
    int got = MsgTry(f, [&] { MsgRaise(c.raised, "EB", 1, 0, nullptr); });
    EXPECT_EQ(got, c.arrives) << "raised " << c.raised;
    MsgFree(f.received);
  }
}

TEST_F(SupportMsg, NormalEndReturnsZeroAndPops) {
  MsgTrapFrame f;
  int ran = 0;
  EXPECT_EQ(MsgTry(f, [&] { ++ran; }), 0);
  EXPECT_EQ(ran, 1);
  EXPECT_EQ(f.received, nullptr);
}

TEST_F(SupportMsg, OtherExceptionLeavesNoDeadFrame) {
  MsgTrapFrame outer, inner;
  int code = MsgTry(outer, [&] {
    EXPECT_THROW(MsgTry(inner, [] { throw std::runtime_error("boom"); }), std::runtime_error);
    EXPECT_EQ(MsgTopFrame(), &outer);
    // A raise after the foreign exception still lands in the outer frame.
    MsgRaise(7, "EB", 7, 0, "");
  });
  EXPECT_EQ(code, 7);
  MsgFree(outer.received);
  // A raise is not a std::exception: a catch for those does not swallow it.
  MsgTrapFrame f;
  bool swallowed = false;
  code = MsgTry(f, [&] {
    try {
      MsgRaise(9, "EB", 9, 0, "");
    } catch (const std::exception&) {
      swallowed = true;
    }
  });
  EXPECT_FALSE(swallowed);
  EXPECT_EQ(code, 9);
  MsgFree(f.received);
}

TEST_F(SupportMsg, FramesLeftBehindInsideTheBlockAreDropped) {
  MsgTrapFrame outer, stray;
  EXPECT_EQ(MsgTry(outer, [&] { MsgTryPush(&stray); }), 0);
  // outer's normal end removed outer and the frame pushed above it.
  EXPECT_EQ(MsgTopFrame(), nullptr);
}

TEST_F(SupportMsg, ManualProtocolAndRethrow) {
  MsgTrapFrame outer;
  int code = MsgTry(outer, [&] {
    MsgTrapFrame inner;
    MsgTryPush(&inner);
    try {
      MsgRaise(3, "DZ", 3, 0, "l", std::int32_t{-70000});
    } catch (const MsgRaised& r) {
      EXPECT_EQ(r.frame, &inner);
      EXPECT_EQ(r.code, 3);
      EXPECT_EQ(MsgTopFrame(), &outer);
      // Pass the very record on to the enclosing frame, with code 0.
      MsgRethrow(inner.received, 0);
    }
    ADD_FAILURE() << "not reached";
  });
  EXPECT_EQ(code, 1);
  ASSERT_NE(outer.received, nullptr);
  EXPECT_EQ(MsgDataI32(outer.received, outer.received->params[0].offset), -70000);
  MsgFree(outer.received);
}

TEST_F(SupportMsg, NoValidFrameEndsTheProcessWithExitCode1) {
  EXPECT_EXIT(MsgRaise(5, "EB", 5, 0, ""), ::testing::ExitedWithCode(1), "");
  EXPECT_EXIT(MsgTryPop(), ::testing::ExitedWithCode(1), "");
  EXPECT_EXIT(MsgRethrow(nullptr, 5), ::testing::ExitedWithCode(1), "");
  // A handler that pops its frame again after the raise took it off.
  EXPECT_EXIT(
      {
        MsgTrapFrame f;
        if (MsgTry(f, [] { MsgRaise(2, "EB", 2, 0, ""); }) != 0) MsgTryPop();
      },
      ::testing::ExitedWithCode(1), "");
  // A frame whose marker was overwritten is not valid.
  EXPECT_EXIT(
      {
        MsgTrapFrame f;
        MsgTryPush(&f);
        f.marker = 0;
        MsgRaise(2, "EB", 2, 0, "");
      },
      ::testing::ExitedWithCode(1), "");
  // No memory for the record.
  EXPECT_EXIT(
      {
        Meldungskontext* m;
        UtFaultFailAllocAfter(kUtFaultMsgContext, 0);
        MsgBuildArgs(&m, "EB", 1, 0, "");
      },
      ::testing::ExitedWithCode(1), "");
}

// ---- packing ----------------------------------------------------------------

struct Desc {
  int offset, length;
  char type;
};

void ExpectDescs(const Meldungskontext* m, const std::vector<Desc>& want) {
  for (int i = 0; i < kMsgMaxParams; ++i) {
    Desc w = i < static_cast<int>(want.size()) ? want[static_cast<std::size_t>(i)] : Desc{0, 0, 0};
    EXPECT_EQ(m->params[i].offset, w.offset) << "descriptor " << i;
    EXPECT_EQ(m->params[i].length, w.length) << "descriptor " << i;
    EXPECT_EQ(m->params[i].type, w.type) << "descriptor " << i;
  }
}

TEST_F(SupportMsg, PackingLimits) {
  std::string s300(300, 'x'), s10(10, 'y');
  std::vector<char> bytes(600, 'b');
  Meldungskontext* m = nullptr;

  // A parameter longer than 255 bytes keeps 255; the limit test uses the
  // whole size, and packing stops for good once a parameter does not fit.
  MsgBuildArgs(&m, "EB", 1, 0, "sss", s300, s300, s10);
  ExpectDescs(m, {{2, 255, 's'}, {-1, 0, 's'}, {-1, 0, 's'}});
  EXPECT_EQ(m->paramCount, 3);
  EXPECT_EQ(MsgDataU16(m, 0), 1) << "byte-order mark";
  MsgFree(m);

  // 'a' with 255 and 256 bytes: both keep 255, the next starts at 257.
  MsgBuildArgs(&m, "EB", 1, 0, "ad", bytes.data(), 255, 1);
  ExpectDescs(m, {{2, 255, 'a'}, {257, 2, 'd'}});
  MsgFree(m);
  MsgBuildArgs(&m, "EB", 1, 0, "ad", bytes.data(), 256, 1);
  ExpectDescs(m, {{2, 255, 'a'}, {257, 2, 'd'}});
  MsgFree(m);

  // Ending at offset 511 is stored; reaching 512 is not.
  MsgBuildArgs(&m, "EB", 1, 0, "aa", bytes.data(), 255, bytes.data(), 254);
  ExpectDescs(m, {{2, 255, 'a'}, {257, 254, 'a'}});
  MsgFree(m);
  MsgBuildArgs(&m, "EB", 1, 0, "aad", bytes.data(), 255, bytes.data(), 255, 1);
  ExpectDescs(m, {{2, 255, 'a'}, {-1, 0, 'a'}, {-1, 0, 'd'}});
  MsgFree(m);

  // Two 'l' behind 255 + 249 bytes: the first ends at 510, the second
  // would reach 514.
  MsgBuildArgs(&m, "EB", 1, 0, "aall", bytes.data(), 255, bytes.data(), 249, 1, 2);
  ExpectDescs(m, {{2, 255, 'a'}, {257, 249, 'a'}, {506, 4, 'l'}, {-1, 0, 'l'}});
  MsgFree(m);

  // A length far beyond the data area is refused by the limit test before
  // anything is read from the (small) buffer.
  char small[4] = {'a', 'b', 'c', 'd'};
  MsgBuildArgs(&m, "EB", 1, 0, "ad", small, 100000, 5);
  ExpectDescs(m, {{-1, 0, 'a'}, {-1, 0, 'd'}});
  MsgFree(m);
}

TEST_F(SupportMsg, TypeLettersStoreWhatTheyTake) {
  unsigned char tandem[24];
  for (int i = 0; i < 24; ++i) tandem[i] = static_cast<unsigned char>(i + 1);
  Meldungskontext* m = nullptr;
  MsgBuildArgs(&m, "HD", 4, 2, "dlstFJPxd", 70000, std::int32_t{INT32_MIN}, "Kiel",
               UtTimestamp{0xFFFFFFFEu}, tandem, tandem, tandem, -1);
  EXPECT_EQ(std::memcmp(m->SS_id, "HD", 2), 0);
  EXPECT_EQ(m->Meldungsnummer, 4);
  EXPECT_EQ(m->mode, 2);
  EXPECT_EQ(m->paramCount, 9);
  ExpectDescs(m, {{2, 2, 'd'},
                  {4, 4, 'l'},
                  {8, 4, 's'},
                  {12, 4, 't'},
                  {16, 24, 'F'},
                  {40, 8, 'J'},
                  {48, 24, 'P'},
                  {72, 0, 'x'},
                  {72, 2, 'd'}});
  EXPECT_EQ(MsgDataU16(m, 2), 4464) << "70000 keeps its low 16 bits";
  EXPECT_EQ(MsgDataI32(m, 4), INT32_MIN);
  EXPECT_EQ(Text(m, 2), "Kiel");
  EXPECT_EQ(MsgDataU32(m, 12), 0xFFFFFFFEu);
  EXPECT_EQ(std::memcmp(m->data + 16, tandem, 24), 0);
  EXPECT_EQ(std::memcmp(m->data + 40, tandem, 8), 0);
  EXPECT_EQ(MsgDataU16(m, 72), 0xFFFF);
  MsgFree(m);
}

TEST_F(SupportMsg, TwelveLettersStoreTen) {
  Meldungskontext* m = nullptr;
  MsgBuildArgs(&m, "EB", 1, 0, "dddddddddddd", 1, 2, 3, 4, 5, 6, 7, 8, 9, 10);
  EXPECT_EQ(m->paramCount, 12);
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(m->params[i].offset, 2 + 2 * i);
    EXPECT_EQ(MsgDataU16(m, m->params[i].offset), i + 1);
  }
  MsgFree(m);
}

TEST_F(SupportMsg, MalformedArgumentsAreRefusedAndLaterOnesStayInStep) {
  const char* none = nullptr;
  Meldungskontext* m = nullptr;
  // null text; negative 'a' length; null 'a' pointer; pointer for 'd';
  // number for 's'; 'l' out of range; 't' negative; then a good 'd'.
  MsgBuildArgs(&m, "EB", 1, 0, "saadsltd", none, "abc", -1, none, 3, "x", 5,
               (long long)INT32_MAX + 1, -1, 42);
  ExpectDescs(m, {{-1, 0, 's'},
                  {-1, 0, 'a'},
                  {-1, 0, 'a'},
                  {-1, 0, 'd'},
                  {-1, 0, 's'},
                  {-1, 0, 'l'},
                  {-1, 0, 't'},
                  {2, 2, 'd'}});
  EXPECT_EQ(MsgDataU16(m, 2), 42);
  MsgFree(m);
  // A huge unsigned value is out of range for 'l' and 't'; 'd' keeps its
  // low 16 bits.
  MsgBuildArgs(&m, "EB", 1, 0, "ltd", ~0ull, ~0ull, ~0ull);
  ExpectDescs(m, {{-1, 0, 'l'}, {-1, 0, 't'}, {2, 2, 'd'}});
  EXPECT_EQ(MsgDataU16(m, 2), 0xFFFF);
  MsgFree(m);
  // Missing arguments: not stored, nothing read.
  MsgBuildArgs(&m, "EB", 1, 0, "dsa", 1);
  ExpectDescs(m, {{2, 2, 'd'}, {-1, 0, 's'}, {-1, 0, 'a'}});
  MsgFree(m);
  // Offsets outside the data area read as 0.
  bool ok = true;
  MsgBuildArgs(&m, "EB", 1, 0, "");
  EXPECT_EQ(MsgDataU16(m, -1, &ok), 0);
  EXPECT_FALSE(ok);
  EXPECT_EQ(MsgDataU32(m, kMsgDataSize - 3, &ok), 0u);
  EXPECT_FALSE(ok);
  MsgDataU16(m, kMsgDataSize - 2, &ok);
  EXPECT_TRUE(ok);
  MsgFree(m);
}

TEST_F(SupportMsg, SenderIsFixedAtTheFirstBuild) {
  UtRemoveGroup(kUtRegisterGroup);
  MsgTestResetSender();
  Meldungskontext* m = nullptr;
  MsgBuildArgs(&m, "EB", 1, 0, "");
  EXPECT_EQ(std::string(m->sender, 18), std::string(18, ' '));
  MsgFree(m);
  ASSERT_EQ(UtRegisterName("Absender", "ZOLMA"), 0);
  MsgBuildArgs(&m, "EB", 1, 0, "");
  EXPECT_EQ(std::string(m->sender, 18), std::string(18, ' ')) << "a later Absender is not seen";
  MsgFree(m);

  MsgTestResetSender();
  MsgBuildArgs(&m, "EB", 1, 0, "");
  EXPECT_EQ(std::string(m->sender, 18), "ZOLMA" + std::string(13, ' '));
  MsgFree(m);

  UtSetName("Absender", "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
  MsgTestResetSender();
  MsgBuildArgs(&m, "EB", 1, 0, "");
  EXPECT_EQ(std::string(m->sender, 18), "ABCDEFGHIJKLMNOPQR");
  MsgFree(m);
  UtRemoveGroup(kUtRegisterGroup);
}

TEST_F(SupportMsg, TimeIsTakenAtCreation) {
  UtTestSetTimeZone("UTC0");
  UtTestSetFixedTime(315532800 + 86400 + 61);  // 2.1.1980 00:01:01 UTC
  Meldungskontext* m = nullptr;
  MsgBuildArgs(&m, "EB", 1, 0, "");
  EXPECT_EQ(m->time, 86400u + 61u);
  MsgFree(m);
  UtTestSetClock(nullptr);
  UtTestSetTimeZone(nullptr);
}

std::vector<std::pair<std::string, unsigned>> g_written;
void Recorder(const Meldungskontext* m) {
  g_written.emplace_back(std::string(m ? m->SS_id : "--", 2), m ? m->Meldungsnummer : 0u);
}
std::vector<std::pair<std::string, unsigned>> g_watched;
void Watcher(const Meldungskontext* m) {
  g_watched.emplace_back(std::string(m->SS_id, 2), m->Meldungsnummer);
}

// The writer gets messages only while the switch is on; a watcher sees
// every message, switch on or off, but never the invalid (null) one.
TEST_F(SupportMsg, SendAndWriteGoToTheMessageFileOnlyWhenSwitchedOn) {
  g_written.clear();
  g_watched.clear();
  MsgFileSetWriter(Recorder);
  EXPECT_EQ(MsgFileSetWatcher(Watcher), nullptr);
  ASSERT_EQ(MsgFileSwitch(), 0);
  MsgSend("DZ", 5, 0, "s", "Version");
  EXPECT_TRUE(g_written.empty());

  MsgFileTestSetSwitch(1);
  MsgSend("DZ", 5, 0, "s", "Version");
  Meldungskontext* m = nullptr;
  MsgSetError(&m, 70000, "TT", 4002, 0, "d", 9);
  MsgWrite(m);
  MsgFree(m);
  MsgFileWrite(nullptr);
  MsgFileTestSetSwitch(0);
  MsgFileSetWriter(nullptr);
  EXPECT_EQ(MsgFileSetWatcher(nullptr), &Watcher);
  MsgSend("DZ", 6, 0, "");  // no watcher any more
  ASSERT_EQ(g_written.size(), 3u);
  EXPECT_EQ(g_written[0], std::make_pair(std::string("DZ"), 5u));
  EXPECT_EQ(g_written[1], std::make_pair(std::string("TT"), 4002u));
  EXPECT_EQ(g_written[2], std::make_pair(std::string("--"), 0u));
  ASSERT_EQ(g_watched.size(), 3u);
  EXPECT_EQ(g_watched[0], std::make_pair(std::string("DZ"), 5u));
  EXPECT_EQ(g_watched[1], std::make_pair(std::string("DZ"), 5u));
  EXPECT_EQ(g_watched[2], std::make_pair(std::string("TT"), 4002u));
}

TEST_F(SupportMsg, SetErrorLogsAtLevelOneOnly) {
  std::FILE* log = std::tmpfile();
  ASSERT_NE(log, nullptr);
  UtLogSetStream(log);
  Meldungskontext* m = nullptr;
  MsgSetError(&m, 4004, "TT", 4004, 0, "s", "typ=3");
  UtLogSetStream(nullptr);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->Meldungsnummer, 4004);
  EXPECT_EQ(Text(m, 0), "typ=3");
  MsgFree(m);
  EXPECT_EQ(std::ftell(log), 0L) << "level 1 lines are below the log's threshold";
  std::fclose(log);
}

}  // namespace
