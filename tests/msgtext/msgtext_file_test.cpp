// Message file: every path of an entry with a fixed clock and sender, and no
// file at all while the switch is off.
#include <fstream>
#include <sstream>
#include <string>

#include "tests/msgtext/msgtext_fixture.h"

namespace msgtext_test {
namespace {

// 1.1.2010 12:34:56 UTC.
constexpr std::time_t kNow = 1262304000 + 12 * 3600 + 34 * 60 + 56;
const char kNowText[] = "01.01.2010 12:34:56";
const std::string kSender = "ZOLMA" + std::string(13, ' ');

// The writer is not installed here: the message-text library installs it
// when the program starts, so every entry below also shows that.
class MsgtextFile : public MsgTextTest {
 protected:
  void SetUp() override {
    MsgTextTest::SetUp();
    UtTestSetTimeZone("UTC0");
    UtTestSetFixedTime(kNow);
    MsgTestResetSender();
    UtSetName("Absender", "ZOLMA");
    MsgFileTestSetSwitch(1);
  }
  void TearDown() override {
    UtTestSetTimeZone(nullptr);
    MsgTestResetSender();
    MsgTextTest::TearDown();
  }

  static std::string File() {
    std::ifstream in(kMsgFileName, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static bool FileExists() { return std::filesystem::exists(kMsgFileName); }

  std::string Head(const char* id) const {
    return std::string(kNowText) + ": " + kSender + ": " + id;
  }
};

UtTimestamp Time(int y, int mo, int d, int h, int mi, int s) {
  UtDate date{y, mo, d, 0, h, mi, s};
  return UtDateTimeToSeconds(&date);
}

TEST_F(MsgtextFile, SwitchedOffWritesNoFile) {
  MsgFileTestSetSwitch(0);
  MsgSend("HD", 4, 0, "s", "X25");
  MsgSend("TT", 4002, 0, "d", 7);
  auto m = Ctx("EB", 1102, 0, "d", 1);
  MsgWrite(m.get());
  MsgFileWrite(nullptr);
  MsgFileWriteEntry(m.get());  // the writer itself checks the switch as well
  EXPECT_FALSE(FileExists());
}

TEST_F(MsgtextFile, BuiltinTexts) {
  MsgSend("HD", 4, 0, "s", "X25");
  MsgSend("HD", 1, 0, "d", 5);                                 // ':' is no placeholder letter
  MsgSend("HD", 102, 0, "sllddl", "SRV", 1, -2, 3, 4, 70000);  // %6s meets an 'l'
  MsgSend("HD", 15, 0, "");
  MsgSend("HD", 16, 0, "a", "X25", 3);
  MsgSend("HD", 16, 0, "a", "ab\0c", 4);  // width and precision of its length
  MsgSend("HD", 6, 0, "Fd", "\\SYS.$DATA.ZOLMA.FILE1\0", 11);
  EXPECT_EQ(
      File(),
      Head("HD0004E Kann 'X25' nicht anmelden\n") +
          Head("HD0001E %1: Initialisierung nicht erfolgreich\n") +
          Head("HD0102E 'SRV': Fehlercode 1,Subsys -2,Fehler 3,ext. Fehler 4,Text %6s\n") +
          Head("HD0015M Stopzeit erreicht\n") +
          Head("HD0016W Anruf von unerlaubter Adresse 'X25'\n") +
          Head("HD0016W Anruf von unerlaubter Adresse '  ab'\n") +
          Head("HD0006E Kann Datei guardian 90 internal filename nicht oeffnen, Fehler 11\n"));
}

TEST_F(MsgtextFile, BuiltinPlaceholdersThatCannotBeFilledStandAsWritten) {
  std::string s600(600, 'x');
  MsgSend("HD", 4, 0, "s", s600.c_str());  // not stored: never read
  MsgSend("HD", 4, 0, "d", 7);             // letter and type do not fit
  MsgSend("HD", 4, 0, "");                 // beyond the parameters
  MsgSend("HD", 2, 0, "s", "A");           // %2s beyond the parameters
  EXPECT_EQ(File(), Head("HD0004E Kann %1s nicht anmelden\n") +
                        Head("HD0004E Kann %1s nicht anmelden\n") +
                        Head("HD0004E Kann %1s nicht anmelden\n") +
                        Head("HD0002E 'A': Parameter %2s fehlt\n"));
}

TEST_F(MsgtextFile, HeadKeepsTheEntrysTimeBesideATimeParameter) {
  const UtTimestamp t = Time(2017, 8, 28, 13, 5, 9);
  MsgSend("HD", 52, 0, "t", t);    // built-in "Datenstand vom %1t"
  MsgSend("EB", 1500, 0, "t", t);  // formatted "Datenstand %1t"
  EXPECT_EQ(File(), Head("HD0052M Datenstand vom 28.08.2017 13:05:09\n") +
                        Head("EB1500  Datenstand 28.08.2017 13:05:09\n"));
}

TEST_F(MsgtextFile, FormattedFromFehl) {
  MsgSend("TT", 4004, 0, "s", "abc");
  auto m = Ctx("DZ", 1010, 0, "s", "EBHF");
  MsgWrite(m.get());
  EXPECT_EQ(File(), Head("TT4004  Schluessel abc nicht in Liste\n") +
                        Head("DZ1010  Tabelle EBHF nicht registriert\n"));
}

TEST_F(MsgtextFile, UnknownMessageListsItsParameters) {
  MsgSend("TT", 4002, 0, "d", 7);
  const char file[24] = "\\SYS.$DATA.ZOLMA.FILE1";
  const char julian[8] = {};
  std::string s600(600, 'y');
  MsgSend("EB", 9999, 1, "asdltFJPxs", "ab", 2, "txt", -3, -70000, 5u, file, julian, file,
          s600.c_str());
  EXPECT_EQ(File(), Head("TT4002  Unbekannter Fehler: Flags 0 #Param 1\n") + "  d 7\n" +
                        Head("EB9999  Unbekannter Fehler: Flags 1 #Param 10\n") +
                        "  a 'ab'\n"
                        "  s 'txt'\n"
                        "  d -3\n"
                        "  l -70000\n"
                        "  t 01.01.1980 00:00:05\n"
                        "  F guardian 90 internal filename\n"
                        "  J juliantimestamp\n"
                        "  P guardian 90 internal processname\n"
                        "  x unbekannter Parametertyp\n"
                        "  s nicht gespeichert\n");
}

TEST_F(MsgtextFile, FormatterThatRaisesAtItsFirstCallGivesAnUnknownEntry) {
  UtRemoveName(kUtRegisterGroup, "FEHL");  // the first lookup's load raises "DZ" 1010
  MsgSend("TT", 4002, 0, "d", 7);
  EXPECT_EQ(MsgTopFrame(), nullptr);
  UtSetName("FEHL", fehlPath_.c_str());
  MsgSend("TT", 4004, 0, "s", "abc");  // FEHL stays unloaded after that first call
  EXPECT_EQ(File(), Head("TT4002  Unbekannter Fehler: Flags 0 #Param 1\n") + "  d 7\n" +
                        Head("TT4004  Unbekannter Fehler: Flags 0 #Param 1\n") + "  s 'abc'\n");
}

TEST_F(MsgtextFile, MoreThanTenParametersListsTen) {
  MsgSend("EB", 9998, 0, "ddddddddddd", 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11);
  std::string expect = Head("EB9998  Unbekannter Fehler: Flags 0 #Param 11\n");
  for (int i = 1; i <= 10; ++i) expect += "  d " + std::to_string(i) + "\n";
  EXPECT_EQ(File(), expect);
}

TEST_F(MsgtextFile, InvalidMessage) {
  MsgFileWrite(nullptr);
  UtRemoveName(kUtRegisterGroup, "Absender");
  MsgFileWrite(nullptr);
  EXPECT_EQ(File(), std::string(kNowText) + ": ZOLMA: Ungueltiger Meldungskontext uebergeben\n" +
                        kNowText + ": Kein Programmname: Ungueltiger Meldungskontext uebergeben\n");
}

TEST_F(MsgtextFile, SenderIsTheOneFixedAtTheFirstBuild) {
  MsgTestResetSender();
  UtRemoveName(kUtRegisterGroup, "Absender");
  MsgSend("HD", 15, 0, "");
  UtSetName("Absender", "SPAETER");
  MsgSend("HD", 15, 0, "");
  const std::string blanks = std::string(kNowText) + ": " + std::string(18, ' ') + ": ";
  EXPECT_EQ(File(),
            blanks + "HD0015M Stopzeit erreicht\n" + blanks + "HD0015M Stopzeit erreicht\n");
}

TEST_F(MsgtextFile, FileThatCannotBeOpenedLosesTheEntrySilently) {
  std::filesystem::create_directory(kMsgFileName);
  MsgSend("HD", 4, 0, "s", "X25");
  MsgSend("TT", 4002, 0, "d", 7);
  MsgFileWrite(nullptr);
  EXPECT_TRUE(std::filesystem::is_directory(kMsgFileName));
}

}  // namespace
}  // namespace msgtext_test
