// Tests of the network compiler at its edges: the files of the output
// folder that are not its own, the output folder it makes, and the files
// of a description that are not clean text (a NUL byte, bytes a terminal
// cannot show, a binary file, a UTF-8 byte-order mark).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/common/tempdir.h"
#include "tests/data/toolrun.h"
#include "tools/zolmanet/netcompile.h"
#include "tools/zolmanet/netparse.h"
#include "tools/zolmanet/netwrite.h"

namespace {

using namespace zolmanet;
namespace fs = std::filesystem;
using toolrun::Contents;
using toolrun::Put;

const std::string kNet =
    "netz versionsinfo=\"Rand\" erstellt=2026-01-01T10:00:00 gueltig_ab=2020-01-01\n"
    "bahnhof 100 \"Anstadt\" art=H\n"
    "bahnhof 200 \"Bödorf\" art=H\n"
    "bahnhof 11 \"Ahof\" gebiet=1\n"
    "gebiet 1 \"Eins\" knoten=100,200\n"
    "strecke \"A-B\"\n"
    "  0 100\n"
    "  5 11\n"
    "  20 200\n"
    "ende\n";

CompiledNet CompileText(const std::string& text) {
  Network net;
  ParseText("t.net", text, &net);
  return Compile(net);
}

// The names the tool used to take for its own: a user's files of these
// names stay as they are through a successful and a failed run.
const std::vector<std::string> kUserFiles = {"DMSTEN.bak", "DMSTEN.tmp", "DMPBHF.bak",
                                             "DMEBHF.tmp", ".zolmanet-ABCDEF"};

TEST(DataCompileEdges, UserFilesInTheOutputFolderSurviveEveryRun) {
  const CompiledNet oldNet = CompileText(kNet);
  std::string changed = kNet;
  changed.replace(changed.find("  5 11"), 6, "  6 11");
  const CompiledNet newNet = CompileText(changed);

  struct Case {
    const char* what;
    const char* failWrite;
    const char* failRename;
  };
  const Case cases[] = {
      {"a successful run", nullptr, nullptr},
      {"a failed write", "DMSTEN", nullptr},
      {"a refused rename of the last file", nullptr, "DMPBHF"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    tempdir::Folder dir("zolmanet-edges");
    WriteDataFiles(oldNet, dir.str());
    for (const std::string& name : kUserFiles) Put(dir.path() / name, "mine: " + name + "\n");
    const auto before = Contents(dir.path());

    g_failWriteOf = c.failWrite;
    g_failRenameOf = c.failRename;
    bool failed = false;
    try {
      WriteDataFiles(newNet, dir.str());
    } catch (const CompileError&) {
      failed = true;
    }
    g_failWriteOf = nullptr;
    g_failRenameOf = nullptr;

    const auto after = Contents(dir.path());
    EXPECT_EQ(failed, c.failWrite || c.failRename);
    if (failed) {
      EXPECT_EQ(after, before);
    } else {
      ASSERT_EQ(after.size(), before.size());
      for (const std::string& name : kUserFiles) EXPECT_EQ(after.at(name), before.at(name)) << name;
      EXPECT_NE(after.at("DMSTEN"), before.at("DMSTEN"));
    }
  }
}

// A failed run removes every folder it made for the output, and only those.
TEST(DataCompileEdges, AFailedRunRemovesTheFoldersItMade) {
  const CompiledNet net = CompileText(kNet);
  tempdir::Folder dir("zolmanet-edges");
  fs::create_directories(dir.path() / "da");
  for (const char* failRename : {"DMFEHL", "DMPBHF"}) {
    SCOPED_TRACE(failRename);
    g_failRenameOf = failRename;
    EXPECT_THROW(WriteDataFiles(net, (dir.path() / "da" / "neu" / "tiefer").string() + "/"),
                 CompileError);
    g_failRenameOf = nullptr;
    EXPECT_EQ(Contents(dir.path()), (std::map<std::string, std::string>{{"da", "(folder)"}}));
    EXPECT_TRUE(fs::is_empty(dir.path() / "da"));
  }
  WriteDataFiles(net, (dir.path() / "da" / "neu" / "tiefer").string());
  EXPECT_EQ(Contents(dir.path() / "da" / "neu" / "tiefer").size(), 9u);
}

// Every case is a description file with a fault that the message must name
// in full: where it stands, and its bytes shown so a terminal can print them.
TEST(DataCompileEdges, BytesThatAreNoTextAreNamedAndShownEscaped) {
  const std::string binary = [] {
    std::string b = "\x7F" "ELF\x02\x01\x01";
    for (int i = 0; i < 300; ++i) b += static_cast<char>(i % 7 == 0 ? 'A' : i % 32);
    return b;
  }();
  struct Case {
    const char* what;
    std::string text;
    std::string expected;  // the whole message
  };
  const Case cases[] = {
      {"a NUL in a station name",
       kNet + "bahnhof 12 \"Nu" + std::string(1, '\0') + "ll\" gebiet=1\n",
       "t.net:11:15: NUL byte: a description file holds text only"},
      {"a NUL in a comment, after an umlaut",
       kNet + "# Bödorf" + std::string(1, '\0') + "\n",
       "t.net:11:9: NUL byte: a description file holds text only"},
      {"a NUL on the first line of a file with a byte-order mark",
       "\xEF\xBB\xBF" "ab" + std::string(1, '\0') + "\n" + kNet,
       "t.net:1:3: NUL byte: a description file holds text only"},
      {"DEL and an escape in a directive",
       kNet + "\x7F" "bahn\x1B[1m\n",
       "t.net:11: unknown directive '\\x7Fbahn\\x1B[1m'"},
      {"a byte that is no UTF-8",
       kNet + "bahnhof 12 \"B\xF6" "dorf\" gebiet=1\n",
       "t.net:11: station name 'B\\xF6dorf': malformed UTF-8"},
      {"a binary file", binary,
       "t.net: is not a text file (228 of its 307 bytes are no text); a description is UTF-8 text"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string got = "(compiled)";
    try {
      CompileText(c.text);
    } catch (const CompileError& e) {
      got = e.what();
    }
    EXPECT_EQ(got.substr(0, c.expected.size()), c.expected) << got;
    for (unsigned char ch : got) EXPECT_TRUE(ch >= 0x20 && ch != 0x7F) << "raw byte in: " << got;
  }
}

// The binary file through the command line: one line that says so.
TEST(DataCompileEdges, TheCommandLineRefusesABinaryFileInOneLine) {
  tempdir::Folder dir("zolmanet-edges");
  fs::create_directories(dir.path() / "in");
  std::string elf = "\x7F" "ELF\x02\x01\x01";
  elf += std::string(3000 - elf.size(), '\0');
  Put(dir.path() / "in" / "00-netz.net", kNet);
  Put(dir.path() / "in" / "70-binary.net", elf);
  const toolrun::Run r = toolrun::Shell(std::string(ZOLMANET_EXE) + " -o " +
                                            (dir.path() / "out").string() + " " +
                                            (dir.path() / "in").string(),
                                        dir.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "zolmanet: " + (dir.path() / "in" / "70-binary.net").string() +
                       ": is not a text file (2997 of its 3000 bytes are no text); a description "
                       "is UTF-8 text\n");
  EXPECT_FALSE(fs::exists(dir.path() / "out"));
}

// A byte-order mark at the start of a file changes no byte of the output.
TEST(DataCompileEdges, AByteOrderMarkAtTheStartIsSkipped) {
  const auto without = BuildDataFiles(CompileText(kNet));
  const auto with = BuildDataFiles(CompileText("\xEF\xBB\xBF" + kNet));
  ASSERT_EQ(with.size(), without.size());
  for (size_t i = 0; i < with.size(); ++i) {
    EXPECT_EQ(with[i].first, without[i].first);
    EXPECT_EQ(with[i].second.bytes(), without[i].second.bytes()) << with[i].first;
  }
  // Only at the start: further in, the mark is an unknown directive.
  EXPECT_THROW(CompileText(kNet + "\xEF\xBB\xBF" "bahnhof 12 \"X\" gebiet=1\n"), CompileError);
}

}  // namespace
