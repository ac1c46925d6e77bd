// The loader: broken files and their "DZ" raises, reference counting, the
// no-file name, the data-time stamp, block 0 and the cleanup of a failed
// load.
#include <cstring>
#include <functional>

#include "support/bifile.h"
#include "support/utfault.h"
#include "tests/dm/dm_fixture.h"

using namespace dmtest;

namespace {

dmw::EbhfRecord Station(uint32_t no, uint16_t validFrom, const char* name) {
  dmw::EbhfRecord r;
  r.station_number = no;
  r.valid_from = validFrom;
  r.station_name = name;
  r.flag_letters = "NNNNNANNNNNANN";
  return r;
}

// A well-formed EBHF file with two stations and one Gzpkt record.
dmw::DataFile GoodEbhf() {
  return dmw::ebhfFile({Station(100, 10000, "Aachen Hbf"), Station(200, 10000, "Bonn Hbf")},
                       {dmw::EbhfGzpktRecord{1, 2, 3, 4, 5}});
}

struct BrokenCase {
  const char* what;
  std::function<void(dmw::DataFile&)> breakIt;
  bool registered;
  bool missingFile;
  unsigned number;
  std::string types;
  int nameParams;           // leading parameters equal to the physical name
  const char* secondParam;  // exact second parameter, or null
};

}  // namespace

class DmLoader : public DmTest {};

// One table of broken files: each is rejected with its "DZ" number, raise
// code 1 and its parameters, and leaves the table unloaded with nothing
// allocated.
TEST_F(DmLoader, BrokenFilesRaiseTheirDzMessage) {
  const std::vector<BrokenCase> cases = {
      {"not registered", nullptr, false, false, 1010, "s", 0, nullptr},
      {"missing file", nullptr, true, true, 1011, "ss", 1, nullptr},
      {"header cut short", [](dmw::DataFile& f) { f.truncate_to = 20; }, true, false, 1013, "ss", 1,
       nullptr},
      {"format 2", [](dmw::DataFile& f) { f.format = 2; }, true, false, 1021, "s", 1, nullptr},
      {"other table number", [](dmw::DataFile& f) { f.table_number = 201; }, true, false, 1022, "s",
       1, nullptr},
      {"other version", [](dmw::DataFile& f) { f.version = 2; }, true, false, 1023, "s", 1,
       nullptr},
      {"newer sub-version", [](dmw::DataFile& f) { f.sub_version = 4; }, true, false, 1023, "s", 1,
       nullptr},
      {"block 0 misnumbered", [](dmw::DataFile& f) { f.info.number = 1; }, true, false, 1024, "ss",
       1, "Dateiinfoblock"},
      {"block 2 misnumbered", [](dmw::DataFile& f) { f.block(2).number = 3; }, true, false, 1024,
       "ss", 1, "EbhfGzpktBlock"},
      {"block 1 header cut short",
       [](dmw::DataFile& f) { f.truncate_to = f.blockHeaderOffset(1) + 3; }, true, false, 1013,
       "ss", 1, nullptr},
      {"block 1 data cut short",
       [](dmw::DataFile& f) { f.truncate_to = f.blockDataOffset(1) + 140; }, true, false, 1025,
       "sss", 1, "EbhfBlock"},
      {"block 1 longer than the file",
       [](dmw::DataFile& f) { f.block(1).declared_length = 0x7FFFFFF0; }, true, false, 1025, "sss",
       1, "EbhfBlock"},
      {"block 2 missing", [](dmw::DataFile& f) { f.blocks.pop_back(); }, true, false, 1013, "ss", 1,
       nullptr},
  };
  for (const BrokenCase& c : cases) {
    SCOPED_TRACE(c.what);
    dmw::DataFile f = GoodEbhf();
    if (c.breakIt) c.breakIt(f);
    std::string phys = Put("EBHF", f);
    if (c.missingFile) std::filesystem::remove(phys);
    if (!c.registered) UtRemoveName("REGISTER", "EBHF");
    Raised r = Load(&DbEbhfTab);
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.ssid, "DZ");
    EXPECT_EQ(r.number, c.number);
    EXPECT_EQ(r.types, c.types);
    if (c.number == 1010) {
      ASSERT_EQ(r.params.size(), 1u);
      EXPECT_EQ(r.params[0], "EBHF");
    }
    for (int k = 0; k < c.nameParams && k < static_cast<int>(r.params.size()); ++k)
      EXPECT_EQ(r.params[k], phys);
    if (c.secondParam) {
      ASSERT_GE(r.params.size(), 2u);
      EXPECT_EQ(r.params[1], c.secondParam);
    }
    if (c.number == 1025) {
      ASSERT_EQ(r.params.size(), 3u);
      EXPECT_NE(r.params[2].find("Blocklaenge"), std::string::npos) << r.params[2];
    }
    EXPECT_EQ(DbEbhfTab.loadCount, 0);
    EXPECT_EQ(DbEbhfTab.fileInfo, nullptr);
    EXPECT_EQ(DbEbhfBlock.records, nullptr);
    EXPECT_EQ(DbEbhfBlock.count, 0);
    EXPECT_EQ(DbTestLiveBlocks(), 0);
    EbhfSatz s;
    EXPECT_EQ(DbGetEbhf(&s, 80, 100, 12000), kDbNotLoaded);
  }
}

TEST_F(DmLoader, NoMemoryForABlockRaises1015AndFreesBlockZero) {
  Put("EBHF", GoodEbhf());
  UtFaultFailAllocAfter(kUtFaultDbBlock, 1);  // block 0 is allocated, block 1 is not
  Raised r = Load(&DbEbhfTab);
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.number, 1015u);
  EXPECT_EQ(r.types, "");
  EXPECT_EQ(DbEbhfTab.loadCount, 0);
  EXPECT_EQ(DbTestLiveBlocks(), 0);
  // The file was closed: the next load opens it again under file number 0
  // and succeeds.
  EXPECT_EQ(Load(&DbEbhfTab).code, 0);
  EXPECT_EQ(DbEbhfBlock.count, 2);
}

// A failed load leaves nothing stale: a later good load whose block 1 is
// empty sees count 0 and no records, not the blocks of the failed attempt.
TEST_F(DmLoader, FailedLoadLeavesNothingStale) {
  dmw::DataFile bad = GoodEbhf();
  bad.block(2).number = 7;  // blocks 0 and 1 read, then 1024
  Put("EBHF", bad);
  EXPECT_EQ(Load(&DbEbhfTab).number, 1024u);
  EXPECT_EQ(DbEbhfBlock.records, nullptr);
  EXPECT_EQ(DbEbhfBlock.count, 0);

  Put("EBHF", dmw::ebhfFile({}));
  ASSERT_EQ(Load(&DbEbhfTab).code, 0);
  EXPECT_EQ(DbEbhfBlock.records, nullptr);
  EXPECT_EQ(DbEbhfBlock.count, 0);
  EbhfSatz s;
  EXPECT_EQ(DbGetEbhf(&s, 80, 100, 12000), kDbNotFound);
}

TEST_F(DmLoader, BlockShorterThanOneRecordIsEmptyWithoutAllocation) {
  dmw::DataFile f = GoodEbhf();
  f.block(1).data.assign(5, 0xAB);  // 5 bytes, record length 130
  Put("EBHF", f);
  ASSERT_EQ(Load(&DbEbhfTab).code, 0);
  EXPECT_EQ(DbEbhfBlock.records, nullptr);
  EXPECT_EQ(DbEbhfBlock.count, 0);
  EXPECT_EQ(DbTabBlock(&DbEbhfTab, 2)->count, 1);  // the next header was read in place
  EXPECT_EQ(DbTestLiveBlocks(), 2);                // block 0 and block 2 only
}

// The bytes after the last whole record of a block are skipped, so the next
// block header is read where it stands; bytes after the last block are not
// read at all.
TEST_F(DmLoader, RemainderOfABlockAndTrailingBytesAreIgnored) {
  dmw::DataFile f = GoodEbhf();
  f.block(1).data.insert(f.block(1).data.end(), {2, 0, 0, 0, 0, 0, 9});
  f.trailing = {1, 2, 3, 4};
  Put("EBHF", f);
  ASSERT_EQ(Load(&DbEbhfTab).code, 0);
  EXPECT_EQ(DbEbhfBlock.count, 2);
  ASSERT_EQ(DbTabBlock(&DbEbhfTab, 2)->count, 1);
  EXPECT_EQ(LeGetU32(DbTabBlock(&DbEbhfTab, 2)->records + 2), 2u);
  EbhfSatz s;
  ASSERT_EQ(DbGetEbhf(&s, 80, 200, 12000), kDbFound);
  EXPECT_EQ(Field(s.name, 8), "Bonn Hbf");
}

TEST_F(DmLoader, ZeroOrNegativeBlockLengthIsAnEmptyBlock) {
  for (int32_t len : {0, -5}) {
    SCOPED_TRACE(len);
    dmw::DataFile f = GoodEbhf();
    f.block(1).data.clear();
    f.block(1).declared_length = len;
    Put("EBHF", f);
    ASSERT_EQ(Load(&DbEbhfTab).code, 0);
    EXPECT_EQ(DbEbhfBlock.records, nullptr);
    EXPECT_EQ(DbEbhfBlock.count, 0);
    EXPECT_EQ(DbTabBlock(&DbEbhfTab, 2)->count, 1);
    UnloadAll(&DbEbhfTab);
  }
}

TEST_F(DmLoader, SubVersionEqualToTheHighestIsAccepted) {
  dmw::DataFile f = GoodEbhf();
  f.sub_version = 3;
  Put("EBHF", f);
  EXPECT_EQ(Load(&DbEbhfTab).code, 0);
  UnloadAll(&DbEbhfTab);
  f.sub_version = -4;  // older sub-versions are accepted too (signed)
  Put("EBHF", f);
  EXPECT_EQ(Load(&DbEbhfTab).code, 0);
}

// Three loads read the file once; the memory goes at the third unload; a
// fourth unload does nothing.
TEST_F(DmLoader, ReferenceCountingReadsOnceAndFreesAtTheLastUnload) {
  std::string phys = Put("EBHF", GoodEbhf());
  ASSERT_EQ(Load(&DbEbhfTab).code, 0);
  std::filesystem::remove(phys);  // later loads must not need the file
  ASSERT_EQ(Load(&DbEbhfTab).code, 0);
  ASSERT_EQ(Load(&DbEbhfTab).code, 0);
  EXPECT_EQ(DbEbhfTab.loadCount, 3);
  DbUnloadTab(&DbEbhfTab);
  DbUnloadTab(&DbEbhfTab);
  EXPECT_EQ(DbEbhfTab.loadCount, 1);
  EXPECT_NE(DbEbhfBlock.records, nullptr);
  DbUnloadTab(&DbEbhfTab);
  EXPECT_EQ(DbEbhfTab.loadCount, 0);
  EXPECT_EQ(DbEbhfBlock.records, nullptr);
  EXPECT_EQ(DbEbhfBlock.count, 0);
  EXPECT_EQ(DbEbhfTab.fileInfo, nullptr);
  EXPECT_EQ(DbEbhfTab.fileInfoLen, 0);
  EXPECT_EQ(DbTestLiveBlocks(), 0);
  DbUnloadTab(&DbEbhfTab);
  EXPECT_EQ(DbEbhfTab.loadCount, 0);
}

// The register is asked first, so an unregistered code raises 1010 even
// while the table is loaded, and the loaded table stays as it was.
TEST_F(DmLoader, UnregisteredCodeRaisesEvenWhenLoaded) {
  Put("EBHF", GoodEbhf());
  ASSERT_EQ(Load(&DbEbhfTab).code, 0);
  UtRemoveName("REGISTER", "EBHF");
  testing::internal::CaptureStderr();
  Raised r = Load(&DbEbhfTab);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(r.number, 1010u);
  EXPECT_EQ(DbEbhfTab.loadCount, 1);
  EXPECT_NE(err.find(" ERROR: dmbase DbLoadTab: Fehler bei Aufruf von UtQueryName(EBHF)\n"),
            std::string::npos)
      << err;
}

TEST_F(DmLoader, NoFileNameLeavesTheTableUnloaded) {
  ASSERT_EQ(UtSetName("EBGG", kDbNoFileName), 0);
  EXPECT_EQ(Load(&DbEbggTab).code, 0);
  EXPECT_EQ(DbEbggTab.loadCount, 0);
  EXPECT_EQ(DbTestLiveBlocks(), 0);
  EbggSatz s;
  int h = -1;
  EXPECT_EQ(DbNextEbgg(&s, &h, 1, 12000), kDbNotLoaded);
  EXPECT_EQ(DbNextEbggFrom(&s, &h, 1, 12000), kDbNotLoaded);
  DbUnloadTab(&DbEbggTab);
  EXPECT_EQ(DbEbggTab.loadCount, 0);
}

TEST_F(DmLoader, StampKeepsTheFirstFileReadSinceItWasCleared) {
  dmw::DataFile a = GoodEbhf();
  a.creation_time = 1300000000;
  Put("EBHF", a);
  dmw::DataFile b = dmw::fbrrFile({});
  b.creation_time = 1400000000;
  Put("FBRR", b);
  ASSERT_EQ(Load(&DbEbhfTab).code, 0);
  ASSERT_EQ(Load(&DbFbrrTab).code, 0);
  EXPECT_EQ(DbDatenZeitstempel, 1300000000);
  // A second load of a loaded table reads no header.
  DbDatenZeitstempel = 0;
  ASSERT_EQ(Load(&DbEbhfTab).code, 0);
  EXPECT_EQ(DbDatenZeitstempel, 0);
  // Cleared, the next file read sets it.
  UnloadAll(&DbFbrrTab);
  ASSERT_EQ(Load(&DbFbrrTab).code, 0);
  EXPECT_EQ(DbDatenZeitstempel, 1400000000);
}

// The message formatter's own load of FEHL leaves the stamp as it was,
// whether the load succeeds or fails after its header was read; the
// application's load sets it.
TEST_F(DmLoader, FormatterLoadOfFehlLeavesTheStamp) {
  dmw::DataFile f = dmw::fehlFile({});
  f.creation_time = 1500000000;
  Put("FEHL", f);
  DbDatenZeitstempel = 0;
  EXPECT_EQ(Catch([] { DbLoadFehlKeepStamp(); }).code, 0);
  EXPECT_EQ(DbDatenZeitstempel, 0);
  EXPECT_EQ(DbFehlTab.loadCount, 1);
  UnloadAll(&DbFehlTab);

  dmw::DataFile broken = f;
  broken.block(1).number = 2;
  Put("FEHL", broken);
  DbDatenZeitstempel = 0;
  EXPECT_EQ(Catch([] { DbLoadFehlKeepStamp(); }).number, 1024u);
  EXPECT_EQ(DbDatenZeitstempel, 0);

  Put("FEHL", f);
  EXPECT_EQ(Catch([] { DbLoadFehl(); }).code, 0);
  EXPECT_EQ(DbDatenZeitstempel, 1500000000);
}

TEST_F(DmLoader, VersionsInfoStaysInsideBlockZero) {
  struct Case {
    const char* what;
    std::string bytes;
    int lenCut;  // bytes removed from the end of the length
    const char* expect;
  };
  using namespace std::string_literals;
  const std::vector<Case> cases = {
      {"empty block", "\0"s, 0, nullptr},
      {"no such key", "A=1\0B=2\0\0"s, 0, nullptr},
      {"lower case key", "versionsinfo=3.1\0\0"s, 0, "3.1"},
      {"after other texts", "VERSIONSINFOX=1\0VERSIONSINFO=2\0\0"s, 0, "2"},
      {"key without '='", "VERSIONSINFO\0\0"s, 0, nullptr},
      {"after the closing empty text", "\0VERSIONSINFO=1\0"s, 0, nullptr},
      {"value runs past the block", "VERSIONSINFO=3.1"s, 0, nullptr},
      {"length ends inside the value", "VERSIONSINFO=3.1\0\0"s, 4, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<unsigned char> buf(c.bytes.begin(), c.bytes.end());
    const unsigned char* p = buf.data();
    const char* v = DbGetVersionsInfo(&p, static_cast<int32_t>(buf.size()) - c.lenCut);
    if (c.expect) {
      ASSERT_NE(v, nullptr);
      EXPECT_STREQ(v, c.expect);
    } else {
      EXPECT_EQ(v, nullptr);
    }
  }
  const unsigned char* none = nullptr;
  EXPECT_EQ(DbGetVersionsInfo(&none, 10), nullptr);
  EXPECT_EQ(DbGetVersionsInfo(nullptr, 10), nullptr);

  // Through a loaded table: the value lies inside its block 0.
  dmw::DataFile f = GoodEbhf();
  f.setInfo({"ERSTELLT=heute", "VersionsInfo=7.2"});
  Put("EBHF", f);
  ASSERT_EQ(Load(&DbEbhfTab).code, 0);
  const unsigned char* info = DbEbhfTab.fileInfo;
  EXPECT_STREQ(DbGetVersionsInfo(&info, DbEbhfTab.fileInfoLen), "7.2");
}

// The public reading steps raise by themselves, as the loader's steps do.
TEST_F(DmLoader, PublicReadingStepsRaise) {
  Raised r = Catch([] { DbOpenTabFile("/nonexistent/dir/DMNONE"); });
  EXPECT_EQ(r.number, 1011u);
  ASSERT_EQ(r.params.size(), 2u);
  EXPECT_EQ(r.params[0], "/nonexistent/dir/DMNONE");
  EXPECT_EQ(r.params[1].rfind("BI: Fehler bei fopen", 0), 0u) << r.params[1];

  std::string phys = Put("FBRR", dmw::fbrrFile({}));
  int16_t no = -1;
  ASSERT_EQ(Catch([&] { no = DbOpenTabFile(phys.c_str()); }).code, 0);
  EXPECT_EQ(Catch([&] { DbReadFileHeader(no, 230, 2, 2, phys.c_str()); }).code, 0);
  int32_t count = -1;
  unsigned char* p = nullptr;
  EXPECT_EQ(Catch([&] { p = DbReadBlock(no, phys.c_str(), "Dateiinfoblock", 0, 1, &count); }).code,
            0);
  EXPECT_EQ(count, 1);
  DbFreeBlock(p);
  r = Catch([&] { DbReadBlock(no, phys.c_str(), "FbrrBlock", 2, 36, &count); });
  EXPECT_EQ(r.number, 1024u);
  EXPECT_EQ(BiClose(no), 0);
}

// A table-specific check rejects what the lookups would later dereference;
// the helpers name the record and the block.
namespace {

DbTabDesc g_testTab = kDbTabDescInit;
DbBlockDesc g_recs = kDbBlockDescInit;
DbBlockDesc g_target = kDbBlockDescInit;
DbBlockDesc g_text = kDbBlockDescInit;

bool CheckTestTab(const DbTabDesc*, DbFault* fault) {
  return DbCheckIndexField(&g_recs, 0, kDbIndexI16, &g_target, true, fault) &&
         DbCheckTextField(&g_recs, 2, 2, &g_text, fault);
}

// A test table: block 1 records of 6 bytes (i16 index into block 2, u32
// offset of two texts in block 3), block 2 of 4-byte records, block 3 text.
dmw::DataFile TestFile(std::vector<std::pair<int16_t, uint32_t>> recs, int targets,
                       const std::string& text) {
  dmw::DataFile f = dmw::DataFile::forTable(dmw::TableIdentity{"TSTA", 999, 1, 1});
  dmw::Bytes b1, b2(static_cast<std::size_t>(targets) * 4, 0), b3(text.begin(), text.end());
  for (auto [idx, off] : recs) {
    dmw::appendI16(b1, idx);
    dmw::appendU32(b1, off);
  }
  f.addBlock(1, b1);
  f.addBlock(2, b2);
  f.addBlock(3, b3);
  return f;
}

}  // namespace

TEST_F(DmLoader, TableCheckRejectsBadIndexesAndTexts) {
  using namespace std::string_literals;
  struct Case {
    const char* what;
    std::vector<std::pair<int16_t, uint32_t>> recs;
    int targets;
    std::string text;
    const char* expectWhat;  // null: loads
  };
  const std::vector<Case> cases = {
      {"sound", {{0, 0}, {-1, 2}, {2, 2}}, 3, "a\0b\0c\0"s, nullptr},
      {"index at the count", {{3, 0}}, 3, "a\0b\0"s, "Index 3"},
      {"negative index", {{-2, 0}}, 3, "a\0b\0"s, "Index -2"},
      {"index into an empty block", {{0, 0}}, 0, "a\0b\0"s, "Index 0"},
      {"offset past the text", {{0, 4}}, 1, "a\0b\0"s, "Textoffset 4"},
      {"second text unterminated", {{0, 0}}, 1, "a\0bc"s, "ohne Endezeichen"},
      {"empty text block", {{0, 0}}, 1, ""s, "Textoffset 0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DbSetupTab(&g_testTab, 999, "TSTA", 1, 1, CheckTestTab);
    DbSetupBlock(&g_testTab, &g_recs, 1, "TstBlock", 6);
    DbSetupBlock(&g_testTab, &g_target, 2, "TstZielBlock", 4);
    DbSetupBlock(&g_testTab, &g_text, 3, "TstTextBlock", 1);
    std::string phys = Put("TSTA", TestFile(c.recs, c.targets, c.text));
    Raised r = Load(&g_testTab);
    if (!c.expectWhat) {
      EXPECT_EQ(r.code, 0);
      EXPECT_EQ(g_testTab.loadCount, 1);
      UnloadAll(&g_testTab);
      continue;
    }
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.number, 1025u);
    ASSERT_EQ(r.params.size(), 3u);
    EXPECT_EQ(r.params[0], phys);
    EXPECT_EQ(r.params[1], "TstBlock");
    EXPECT_NE(r.params[2].find(c.expectWhat), std::string::npos) << r.params[2];
    EXPECT_EQ(g_testTab.loadCount, 0);
    EXPECT_EQ(g_recs.records, nullptr);
    EXPECT_EQ(g_text.count, 0);
    EXPECT_EQ(DbTestLiveBlocks(), 0);
  }
}
