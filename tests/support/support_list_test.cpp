// Typed lists.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "support/msg.h"
#include "support/utfault.h"
#include "support/utlist.h"
#include "support/utlog.h"

// Under AddressSanitizer a request too large to satisfy must come back as
// null, as it does from the plain allocator, so that the out-of-memory path
// can be tested.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }

namespace {

// Elements of 8 bytes: a 4-byte big-endian key (so bytewise order is
// numeric order) and a 4-byte payload.
struct El {
  unsigned char b[8];
};

El Make(std::uint32_t key, std::uint32_t payload = 0) {
  El e;
  for (int i = 0; i < 4; ++i) e.b[i] = static_cast<unsigned char>(key >> (24 - 8 * i));
  std::memcpy(e.b + 4, &payload, 4);
  return e;
}

std::uint32_t KeyOf(const void* p) {
  const unsigned char* b = static_cast<const unsigned char*>(p);
  return (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) | (std::uint32_t{b[2]} << 8) |
         b[3];
}

// An owned list header; frees its array at the end.
struct TestList {
  UtList l{};
  TestList(std::int32_t id, std::int32_t elementSize, std::int32_t keyLength,
           std::uint32_t firstAlloc, std::int32_t growth, bool unique = false) {
    l.id = id;
    l.name = "listeTest";
    l.elementSize = elementSize;
    l.keyLength = keyLength;
    l.firstAlloc = firstAlloc;
    l.growth = growth;
    l.unique = unique ? 1 : 0;
  }
  ~TestList() { std::free(l.elements); }
  TestList(const TestList&) = delete;
  TestList& operator=(const TestList&) = delete;
};

std::vector<std::pair<unsigned, std::string>> g_messages;
void Recorder(const Meldungskontext* m) {
  std::string param;
  const MsgParamDesc& d = m->params[0];
  if (d.type == 's' && d.offset >= 0)
    param.assign(reinterpret_cast<const char*>(m->data + d.offset), d.length);
  else if (d.type == 'd' && d.offset >= 0)
    param = std::to_string(MsgDataI16(m, d.offset));
  g_messages.emplace_back(m->Meldungsnummer, param);
}

class SupportList : public ::testing::Test {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    g_messages.clear();
    MsgFileSetWriter(Recorder);
    MsgFileTestSetSwitch(1);
  }
  void TearDown() override {
    MsgFileTestSetSwitch(0);
    MsgFileSetWriter(nullptr);
  }
};

TEST_F(SupportList, SearchAgreesWithLowerBoundForUpToNineKeys) {
  for (std::uint32_t n = 0; n <= 9; ++n) {
    TestList t(106, 8, 4, 1, -1);
    std::vector<std::uint32_t> keys;
    for (std::uint32_t i = 0; i < n; ++i) {
      keys.push_back(10 * (i + 1));
      El e = Make(keys.back(), i);
      ASSERT_EQ(UtListAppend(&t.l, &e, 1), static_cast<std::int32_t>(i));
    }
    // Every key and every value between and around them.
    for (std::uint32_t probe = 5; probe <= 10 * n + 5; probe += 5) {
      El k = Make(probe);
      int found = 99;
      std::int32_t idx = UtListSearch(&t.l, k.b, &found);
      std::size_t want = static_cast<std::size_t>(
          std::lower_bound(keys.begin(), keys.end(), probe) - keys.begin());
      SCOPED_TRACE("n=" + std::to_string(n) + " probe=" + std::to_string(probe));
      ASSERT_EQ(idx, static_cast<std::int32_t>(want));
      bool present = want < keys.size() && keys[want] == probe;
      if (present) {
        EXPECT_EQ(found, 0);
      } else if (n == 0) {
        EXPECT_EQ(found, -1) << "an empty list";
      } else if (found == -1) {
        EXPECT_TRUE(want < keys.size() && probe < keys[want]) << "in front of the index";
      } else {
        ASSERT_EQ(found, 1);
        EXPECT_TRUE(want > 0 && probe > keys[want - 1]) << "behind the element before it";
      }
    }
  }
}

TEST_F(SupportList, SearchResultsOfKnownCases) {
  struct Case {
    std::vector<std::uint32_t> keys;
    std::uint32_t probe;
    std::int32_t index;
    int found;
  } cases[] = {
      {{10, 30, 50}, 40, 2, -1},
      {{10, 30, 50}, 60, 3, 1},
      {{10, 30, 50}, 10, 0, 0},
      {{10, 30, 50}, 5, 0, -1},
      {{}, 7, 0, -1},
      // The halving that used to drop high below low.
      {{10, 20, 30, 40}, 25, 2, -1},
      {{10, 20, 30, 40}, 35, 3, -1},
      {{10, 20}, 15, 1, -1},
  };
  for (const Case& c : cases) {
    TestList t(106, 8, 4, 4, -1);
    for (std::uint32_t k : c.keys) {
      El e = Make(k);
      UtListAppend(&t.l, &e, 1);
    }
    El k = Make(c.probe);
    int found = 99;
    EXPECT_EQ(UtListSearch(&t.l, k.b, &found), c.index) << c.probe;
    EXPECT_EQ(found, c.found) << c.probe;
  }
}

int CompareDescending(const void* key, const void* element, int len) {
  return -std::memcmp(key, element, static_cast<std::size_t>(len));
}

TEST_F(SupportList, SearchComparesUnsignedBytesOrUsesTheComparator) {
  TestList t(106, 1, 1, 4, -1);
  const unsigned char bytes[] = {0x01, 0x7F, 0x80, 0xFF};
  ASSERT_EQ(UtListAppend(&t.l, bytes, 4), 0);
  int found = 99;
  const unsigned char k = 0x90;
  EXPECT_EQ(UtListSearch(&t.l, &k, &found), 3);
  EXPECT_EQ(found, -1);

  TestList d(106, 1, 1, 4, -1);
  d.l.compare = CompareDescending;
  const unsigned char desc[] = {0xFF, 0x80, 0x7F, 0x01};
  UtListAppend(&d.l, desc, 4);
  EXPECT_EQ(UtListSearch(&d.l, &k, &found), 1);
  EXPECT_EQ(found, 1);
}

TEST_F(SupportList, SearchWithoutKeyReportsTT4004) {
  TestList t(5, 8, 0, 4, -1);
  int found = 99;
  El k = Make(1);
  EXPECT_EQ(UtListSearch(&t.l, k.b, &found), -1);
  EXPECT_EQ(found, 99) << "found stays untouched";
  ASSERT_EQ(g_messages.size(), 1u);
  EXPECT_EQ(g_messages[0], std::make_pair(4004u, std::string("typ=5")));
}

TEST_F(SupportList, GrowthRules) {
  struct Case {
    std::int32_t growth;
    std::uint32_t first;
    std::vector<std::uint32_t> appends;
    std::vector<std::uint32_t> allocatedAfter;
  } cases[] = {
      {-1, 4, {4, 5}, {4, 16}},
      {0, 3, {3, 2, 7}, {3, 5, 12}},
      {3, 4, {4, 5, 1}, {4, 10, 10}},
      {-1, 0, {2, 1}, {2, 4}},
  };
  for (const Case& c : cases) {
    TestList t(1, 8, 0, c.first, c.growth);
    std::uint32_t total = 0;
    for (std::size_t i = 0; i < c.appends.size(); ++i) {
      std::vector<El> els;
      for (std::uint32_t j = 0; j < c.appends[i]; ++j) els.push_back(Make(total + j + 1));
      ASSERT_EQ(UtListAppend(&t.l, els.data(), c.appends[i]), static_cast<std::int32_t>(total));
      total += c.appends[i];
      EXPECT_EQ(t.l.allocated, c.allocatedAfter[i]) << "rule " << c.growth << " step " << i;
      EXPECT_EQ(t.l.count, total);
      EXPECT_EQ(t.l.highWater, total);
    }
    for (std::uint32_t i = 0; i < total; ++i) EXPECT_EQ(KeyOf(UtListAt(&t.l, i)), i + 1);
    // Bytes behind the count are zero after each reservation.
    const unsigned char* arr = static_cast<const unsigned char*>(t.l.elements);
    for (std::size_t b = total * 8u; b < t.l.allocated * 8u; ++b) ASSERT_EQ(arr[b], 0);
  }
}

TEST_F(SupportList, NothingToReserve) {
  TestList t(1, 8, 0, 0, -1);
  EXPECT_EQ(UtListReserve(&t.l, 0), 1);
  El e = Make(1);
  EXPECT_EQ(UtListAppend(&t.l, &e, 0), -1);
  TestList source(1, 8, 0, 0, -1);
  EXPECT_EQ(UtListCopy(&t.l, &source.l), -4);
  EXPECT_EQ(t.l.elements, nullptr);
}

TEST_F(SupportList, MalformedHeadersAreRefused) {
  El e = Make(1);
  struct Case {
    std::int32_t elementSize, keyLength;
  } cases[] = {{0, 0}, {-8, 0}, {8, -1}, {8, 9}};
  for (const Case& c : cases) {
    TestList t(106, c.elementSize, c.keyLength, 4, -1);
    EXPECT_EQ(UtListReserve(&t.l, 1), 1);
    EXPECT_EQ(UtListFindOrAppend(&t.l, &e, 1), -1);
    EXPECT_EQ(UtListInsert(&t.l, 0, &e), -1);
    int found = 99;
    EXPECT_EQ(UtListSearch(&t.l, &e, &found), -1);
    EXPECT_EQ(t.l.elements, nullptr);
  }
  // A count beyond the allocated size.
  TestList t(1, 8, 0, 4, -1);
  ASSERT_EQ(UtListAppend(&t.l, &e, 1), 0);
  t.l.count = 5;
  EXPECT_EQ(UtListAppend(&t.l, &e, 1), -1);
  EXPECT_EQ(UtListAt(&t.l, 4), nullptr);
  t.l.count = 1;
}

TEST_F(SupportList, UniqueListsFindEqualRuns) {
  TestList t(1, 8, 0, 4, -1, /*unique=*/true);
  El abc[] = {Make(10), Make(20), Make(30)};
  ASSERT_EQ(UtListAppend(&t.l, abc, 3), 0);
  El run1[] = {Make(20), Make(30)};
  EXPECT_EQ(UtListAppend(&t.l, run1, 2), 1);
  EXPECT_EQ(t.l.count, 3u);
  El run2[] = {Make(30), Make(10)};
  EXPECT_EQ(UtListAppend(&t.l, run2, 2), 3);
  EXPECT_EQ(t.l.count, 5u);
  EXPECT_EQ(UtListAppend(&t.l, run2, 0), 0) << "an empty run matches at 0";

  // A keyed unique list compares only the keys.
  TestList k(106, 8, 4, 4, -1, true);
  El a = Make(7, 1), b = Make(7, 2);
  ASSERT_EQ(UtListAppend(&k.l, &a, 1), 0);
  EXPECT_EQ(UtListAppend(&k.l, &b, 1), 0);
  EXPECT_EQ(k.l.count, 1u);
}

TEST_F(SupportList, AppendChecksTheListId) {
  El e = Make(1);
  TestList bad(4, 8, 0, 4, -1);
  EXPECT_EQ(UtListAppend(&bad.l, &e, 1), -1);
  TestList keyed(1, 8, 4, 4, -1);
  EXPECT_EQ(UtListAppend(&keyed.l, &e, 1), -1);
  TestList keyed106(106, 8, 4, 4, -1);
  EXPECT_EQ(UtListAppend(&keyed106.l, &e, 1), 0);
  ASSERT_EQ(g_messages.size(), 2u);
  EXPECT_EQ(g_messages[0], std::make_pair(4002u, std::string("4")));
  EXPECT_EQ(g_messages[1], std::make_pair(4005u, std::string("typ=1")));

  int admitted = 0;
  for (int id = -5; id < 300; ++id) admitted += UtListIdAdmitsAppend(id) ? 1 : 0;
  EXPECT_EQ(admitted, 58);
  // The check is bypassed by the unchecked append.
  EXPECT_EQ(UtListFindOrAppend(&bad.l, &e, 1), 0);
}

TEST_F(SupportList, InsertShiftsTheTail) {
  TestList t(106, 8, 4, 2, 0);
  El e10 = Make(10), e30 = Make(30), e20 = Make(20), e40 = Make(40);
  EXPECT_EQ(UtListInsert(&t.l, 0, &e10), 0);
  EXPECT_EQ(UtListInsert(&t.l, 1, &e30), 1);
  EXPECT_EQ(UtListInsert(&t.l, 1, &e20), 1);
  EXPECT_EQ(UtListInsert(&t.l, 4, &e40), -1) << "beyond count + 0";
  EXPECT_EQ(UtListInsert(&t.l, 3, &e40), 3) << "at count appends";
  ASSERT_EQ(t.l.count, 4u);
  for (std::uint32_t i = 0; i < 4; ++i) EXPECT_EQ(KeyOf(UtListAt(&t.l, i)), 10 * (i + 1));
  EXPECT_EQ(t.l.highWater, 4u);
  EXPECT_EQ(UtListAt(&t.l, 4), nullptr);
}

TEST_F(SupportList, ElementsOfTheListItselfSurviveGrowth) {
  TestList t(1, 8, 0, 2, -1);
  El two[] = {Make(1), Make(2)};
  ASSERT_EQ(UtListAppend(&t.l, two, 2), 0);
  // The run comes from the array that this append has to grow.
  EXPECT_EQ(UtListAppend(&t.l, t.l.elements, 2), 2);
  EXPECT_EQ(UtListInsert(&t.l, 0, UtListAt(&t.l, 3)), 0);
  ASSERT_EQ(t.l.count, 5u);
  const std::uint32_t want[] = {2, 1, 2, 1, 2};
  for (std::uint32_t i = 0; i < 5; ++i) EXPECT_EQ(KeyOf(UtListAt(&t.l, i)), want[i]);
}

TEST_F(SupportList, CopyRules) {
  struct Case {
    std::int32_t target, source;
    std::int32_t targetSize, targetKey;
    int result;
  } cases[] = {
      {124, 23, 8, 0, 0}, {123, 22, 8, 0, 0},  {123, 32, 8, 0, 0}, {22, 32, 8, 0, 0},
      {23, 23, 8, 0, 0},  {23, 124, 8, 0, -1}, {32, 22, 8, 0, -1}, {23, 23, 4, 0, -2},
      {23, 23, 8, 4, -3}, {4, 4, 8, 0, -10},  // an id that admits no append
  };
  for (const Case& c : cases) {
    TestList src(c.source, 8, 0, 4, -1);
    El els[] = {Make(1), Make(2), Make(3)};
    UtListFindOrAppend(&src.l, els, 3);
    TestList dst(c.target, c.targetSize, c.targetKey, 1, -1);
    El old = Make(99);
    if (c.targetSize == 8) UtListFindOrAppend(&dst.l, &old, 1);
    EXPECT_EQ(UtListCopy(&dst.l, &src.l), c.result) << c.target << "<-" << c.source;
    if (c.result == 0) {
      ASSERT_EQ(dst.l.count, 3u);
      for (std::uint32_t i = 0; i < 3; ++i) EXPECT_EQ(KeyOf(UtListAt(&dst.l, i)), i + 1);
    }
  }
}

TEST_F(SupportList, RunningOutOfMemoryEndsWith153) {
  // A size computation that overflows is out of memory, not a small block.
  EXPECT_EXIT(
      {
        UtLogSetStream(stderr);
        TestList t(1, 8, 0, 1, -1);
        El e = Make(1);
        UtListAppend(&t.l, &e, 1);
        UtListReserve(&t.l, 0xFFFFFFFFu);
      },
      ::testing::ExitedWithCode(153),
      "MemLogERROR: =>realloc    Fehler, realloc returns NULL pointer");
  EXPECT_EXIT(
      {
        UtLogSetStream(stderr);
        TestList t(1, 0x40000000, 0, 0x7FFFFFFFu, -1);
        UtListReserve(&t.l, 1);
      },
      ::testing::ExitedWithCode(153),
      "MemLogERROR: =>alloc    Fehler, malloc returns NULL pointer");
  EXPECT_EXIT(
      {
        UtLogSetStream(stderr);
        TestList t(1, 8, 0, 0x80000000u, -1);
        UtListReserve(&t.l, 1);
      },
      ::testing::ExitedWithCode(153), "MemLogERROR: =>alloc");
  EXPECT_EXIT(
      {
        TestList t(1, 8, 0, 1, 0);
        El e = Make(1);
        UtListAppend(&t.l, &e, 1);
        UtFaultFailAllocAfter(kUtFaultList, 0);
        UtListAppend(&t.l, &e, 1);
      },
      ::testing::ExitedWithCode(153), "");
  EXPECT_EXIT(
      {
        UtFaultFailAllocAfter(kUtFaultList, 0);
        UtMemAlloc(16);
      },
      ::testing::ExitedWithCode(153), "");
}

TEST_F(SupportList, MemAllocZeroFills) {
  unsigned char* p = static_cast<unsigned char*>(UtMemAlloc(64));
  ASSERT_NE(p, nullptr);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(p[i], 0);
  std::free(p);
  std::free(UtMemAlloc(0));
}

}  // namespace
