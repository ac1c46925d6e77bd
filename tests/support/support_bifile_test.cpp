// File numbers over byte streams.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "support/bifile.h"
#include "support/utfault.h"
#include "tests/common/tempdir.h"

namespace {

namespace fs = std::filesystem;

class SupportBifile : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = tempdir::Make("zolma-bifile"); }
  void TearDown() override {
    for (std::int16_t f : open_) BiClose(f);
    UtFaultFailAllocAfter(kUtFaultBiFile, -1);
    tempdir::Remove(dir_);
  }
  std::string MakeFile(const std::string& name, const std::string& content) {
    std::string path = (dir_ / name).string();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f) {
      std::fwrite(content.data(), 1, content.size(), f);
      std::fclose(f);
    }
    return path;
  }
  std::int16_t Open(const std::string& path) {
    std::int16_t f = BiOpen(path.c_str());
    if (f >= 0) open_.push_back(f);
    return f;
  }
  void Close(std::int16_t f) {
    EXPECT_EQ(BiClose(f), 0);
    std::erase(open_, f);
  }
  fs::path dir_;
  std::vector<std::int16_t> open_;
};

TEST_F(SupportBifile, NumbersAreReusedLowestFirst) {
  std::string p = MakeFile("a", "abc");
  EXPECT_EQ(Open(p), 0);
  EXPECT_EQ(Open(p), 1);
  EXPECT_EQ(Open(p), 2);
  Close(1);
  EXPECT_EQ(Open(p), 1);
  Close(0);
  Close(2);
  EXPECT_EQ(Open(p), 0);
  EXPECT_EQ(Open(p), 2);
  EXPECT_EQ(Open(p), 3);
  // Each number still reads its own stream.
  char c = 0;
  EXPECT_EQ(BiRead(&c, 1, 1, 3), 1u);
  EXPECT_EQ(c, 'a');
  EXPECT_EQ(BiRead(&c, 1, 1, 3), 1u);
  EXPECT_EQ(c, 'b');
  EXPECT_EQ(BiRead(&c, 1, 1, 1), 1u);
  EXPECT_EQ(c, 'a');
}

TEST_F(SupportBifile, ErrorsAndTheirTexts) {
  const std::string missing = (dir_ / "missing").string();
  EXPECT_EQ(BiOpen(missing.c_str()), -1);
  EXPECT_EQ(BiErrorKind(), kBiErrOpen);
  EXPECT_EQ(BiErrorDetail(), ENOENT);
  EXPECT_EQ(std::string(BiErrorText()),
            "BI: Fehler bei fopen, " + std::string(std::strerror(ENOENT)).substr(0, 58));
  // The failed open used no number up.
  EXPECT_EQ(Open(MakeFile("a", "x")), 0);

  char buf[8];
  EXPECT_EQ(BiRead(buf, 1, 1, 7), 0u);
  EXPECT_STREQ(BiErrorText(), "BI: unbekannter handle 7");
  EXPECT_EQ(BiClose(-3), 5);
  EXPECT_STREQ(BiErrorText(), "BI: unbekannter handle -3");

  // A successful operation clears the earlier error.
  EXPECT_EQ(BiRead(buf, 1, 1, 0), 1u);
  EXPECT_STREQ(BiErrorText(), "BI: kein Fehler");
  // Reading past the end: fewer elements, and no error.
  EXPECT_EQ(BiRead(buf, 2, 4, 0), 0u);
  EXPECT_EQ(BiErrorKind(), kBiNoError);
  EXPECT_STREQ(BiErrorText(), "BI: kein Fehler");

  Close(0);
  EXPECT_EQ(BiClose(0), 5);
  EXPECT_EQ(BiErrorKind(), kBiErrHandle);

  UtFaultFailAllocAfter(kUtFaultBiFile, 0);
  EXPECT_EQ(BiOpen(MakeFile("b", "y").c_str()), -1);
  EXPECT_STREQ(BiErrorText(), "BI: Fehler bei malloc, 16 Bytes angefordert");

  // A directory opens on this system but cannot be read: a read error.
  std::int16_t d = Open(dir_.string());
  if (d >= 0) {
    EXPECT_EQ(BiRead(buf, 1, 4, d), 0u);
    EXPECT_EQ(BiErrorKind(), kBiErrRead);
    EXPECT_EQ(std::string(BiErrorText()),
              "BI: Fehler bei fread, " + std::string(std::strerror(EISDIR)).substr(0, 58));
  }
  EXPECT_LE(std::strlen(BiErrorText()), 80u);
}

TEST_F(SupportBifile, ReadsWholeElements) {
  std::int16_t f = Open(MakeFile("data", "0123456789"));
  ASSERT_EQ(f, 0);
  char buf[16] = {};
  EXPECT_EQ(BiRead(buf, 4, 2, f), 2u);
  EXPECT_EQ(std::string(buf, 8), "01234567");
  EXPECT_EQ(BiRead(buf, 4, 2, f), 0u) << "two bytes left are no whole element";
  EXPECT_EQ(BiErrorKind(), kBiNoError);
  EXPECT_EQ(BiRead(nullptr, 4, 2, f), 0u);
}

}  // namespace
