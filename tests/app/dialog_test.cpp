// The dialog application driven through the scripted host on the sample
// data set: start-up and title, Enter in the station fields with the
// picker, and "&Berechnen" with its messages and its result display.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>

#include "app/resource.h"
#include "app/zolmaapp.h"
#include "app/zolmadlg.h"
#include "platform/ui/scripthost.h"
#include "support/msgtext/msgformat.h"
#include "support/utday.h"
#include "tools/dmwriter/dmwriter.h"

namespace {

namespace fs = std::filesystem;

// Code page 1252 texts of the sample network.
const std::string kNuernberg = "N\xFCrnberg Hbf";
const std::string kUnvollstaendig = "Unvollst\xE4ndige Daten";
const std::string kKrv = "KRV Entfernungsberechnung";

class InDir {
 public:
  explicit InDir(const fs::path& p) : old_(fs::current_path()) { fs::current_path(p); }
  ~InDir() { fs::current_path(old_); }

 private:
  fs::path old_;
};

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A fixed day inside the sample data's validity.
    UtTestSetFixedTime(1765368000);  // 10.12.2025 12:00 UTC
  }
  void TearDown() override { UtTestSetClock(nullptr); }

  // Runs the whole program on the sample data; `script` fills the host's
  // steps for the main dialog, which the script must end.
  void run(ScriptHost& host) {
    InDir in(ZOLMA_SAMPLE_DIR);
    CZOLMAApp app;
    app.m_pszAppName = "zolma";
    EXPECT_EQ(app.InitInstance(), FALSE);
    EXPECT_EQ(host.remaining(), 0u) << "script not used up";
  }
};

std::string text(CDialog& d, int id) {
  ControlState* c = d.control(id);
  return c ? c->text : "<no control>";
}

TEST_F(DialogTest, TitleCarriesTheDataDateAndInitialState) {
  ScriptHost host;
  host.expectDialog(IDD_ZOLMA_DIALOG)
      .check([](CDialog& d) {
        EXPECT_EQ(d.title(), "KRV Entfernungsberechnung (Version 3.2d) - Daten vom 30.11.2026");
        EXPECT_EQ(d.focusId(), IDC_ABGANG);
        EXPECT_FALSE(d.control(IDOK)->visible);
        EXPECT_FALSE(d.control(IDC_U1_LABEL)->visible);
        EXPECT_FALSE(d.control(IDC_DRUCKEN)->enabled);
        ASSERT_EQ(d.systemMenu().items().size(), 2u);
        EXPECT_EQ(d.systemMenu().items()[1].id, static_cast<UINT>(IDM_ABOUTBOX));
      })
      .sysCommand(IDM_ABOUTBOX)
      .expectDialog(IDD_ABOUTBOX)
      .key(VK_RETURN)
      .key(VK_ESCAPE);
  run(host);
  EXPECT_EQ(host.dialogsRun(), (std::vector<int>{IDD_ZOLMA_DIALOG, IDD_ABOUTBOX}));
}

TEST_F(DialogTest, StartupFailsWithoutDataFiles) {
  fs::path empty = fs::temp_directory_path() / ("zolma-empty-" + std::to_string(getpid()));
  fs::create_directories(empty);
  {
    ScriptHost host;
    host.expectBox("Fehler bei der Initialisierung", "Fehler");
    InDir in(empty);
    CZOLMAApp app;
    app.m_pszAppName = "zolma";
    EXPECT_EQ(app.InitInstance(), FALSE);
    ASSERT_EQ(host.boxes().size(), 1u);
    EXPECT_FALSE(host.boxes()[0].owned);
    EXPECT_TRUE(host.dialogsRun().empty());
  }
  fs::remove_all(empty);
}

// Enter in a station field.
struct EnterCase {
  const char* name;
  std::string typed;
  unsigned mods;
  std::function<void(ScriptHost&)> picker;  // steps inside the picker, or null
  std::string fieldAfter;
};

TEST_F(DialogTest, EnterInAStationField) {
  const EnterCase cases[] = {
      {"blanks only", "   ", 0, nullptr, ""},
      {"exact name, lower case", "n\xFCrnberg hbf", 0, nullptr, kNuernberg},
      {"station number", "1104", 0, nullptr, "Ottensoos"},
      {"prefix with one match", "ottens", 0, nullptr, "Ottensoos"},
      {"Ctrl+Enter opens the picker", "1104", MOD_CONTROL_KEY,
       [](ScriptHost& h) {
         h.check([](CDialog& p) {
            EXPECT_EQ(p.title(), "Abgangsbahnhof eingeben");
            EXPECT_EQ(text(p, IDC_BHF_EDIT), "1104");
          }).key(VK_ESCAPE);
       },
       "1104"},
      {"several matches open the picker with the text", "bamb", 0,
       [](ScriptHost& h) {
         h.check([](CDialog& p) {
            EXPECT_EQ(text(p, IDC_BHF_EDIT), "bamb");
            ControlState* list = p.control(IDC_BHF_LISTE);
            ASSERT_GE(list->items.size(), 2u);
            EXPECT_EQ(list->items[0], "Bamberg");
            EXPECT_FALSE(p.control(IDOK)->enabled);
          })
             .select(IDC_BHF_LISTE, 0)
             .check([](CDialog& p) {
               EXPECT_EQ(text(p, IDC_BHF_EDIT), "Bamberg");
               EXPECT_TRUE(p.control(IDOK)->enabled);
             })
             .click(IDOK);
       },
       "Bamberg"},
      {"picker cancelled keeps the text", "bamb", 0, [](ScriptHost& h) { h.click(IDCANCEL); }, "bamb"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptHost host;
    host.type(IDC_ABGANG, c.typed).key(VK_RETURN, c.mods);
    if (c.picker) {
      host.expectDialog(IDD_BAHNHOF);
      c.picker(host);
    }
    host.check([&](CDialog& d) {
          EXPECT_EQ(text(d, IDC_ABGANG), c.fieldAfter);
          EXPECT_EQ(d.focusId(), IDC_ZIEL);
        })
        .key(VK_ESCAPE);
    run(host);
  }
}

TEST_F(DialogTest, EnterOnAButtonPressesItAndNeverClosesTheDialog) {
  ScriptHost host;
  host.type(IDC_UEBER2, "")
      .key(VK_RETURN)  // empty via 2: focus moves to "&Berechnen"
      .check([](CDialog& d) { EXPECT_EQ(d.focusId(), IDC_BERECHNEN); })
      .key(VK_RETURN)  // presses it: the origin is missing
      .expectBox("Bitte Abgang eingeben", kUnvollstaendig)
      .check([](CDialog& d) {
        EXPECT_FALSE(d.ended());
        EXPECT_EQ(d.focusId(), IDC_ABGANG);
      })
      .click(IDC_BEENDEN);
  run(host);
}

// "&Berechnen" with a field that cannot be used.
struct MissingCase {
  const char* abgang;
  const char* ziel;
  const char* ueber1;
  const char* ueber2;
  std::string message;
  int focus;
  bool selected;
};

TEST_F(DialogTest, CalculateReportsTheFirstFieldThatCannotBeUsed) {
  const MissingCase cases[] = {
      {"", "Bamberg", "", "", "Bitte Abgang eingeben", IDC_ABGANG, false},
      {"Xyzzy", "Bamberg", "", "", "Abgang unbekannt", IDC_ABGANG, true},
      {"Bamberg", "", "", "", "Bitte Ziel eingeben", IDC_ZIEL, false},
      {"Bamberg", "Qqq", "", "", "Ziel unbekannt", IDC_ZIEL, true},
      {"Bamberg", "Erlangen", "Qqq", "", "\xDC" "ber 1 unbekannt", IDC_UEBER1, true},
      {"Bamberg", "Erlangen", "", "Qqq", "\xDC" "ber 2 unbekannt", IDC_UEBER2, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    ScriptHost host;
    host.type(IDC_ABGANG, c.abgang)
        .type(IDC_ZIEL, c.ziel)
        .type(IDC_UEBER1, c.ueber1)
        .type(IDC_UEBER2, c.ueber2)
        .click(IDC_BERECHNEN)
        .expectBox(c.message, kUnvollstaendig)
        .check([&](CDialog& d) {
          EXPECT_EQ(d.focusId(), c.focus);
          ControlState* f = d.control(c.focus);
          if (c.selected) {
            EXPECT_EQ(f->selStart, 0);
            EXPECT_EQ(f->selEnd, static_cast<int>(f->text.size()));
            EXPECT_TRUE(f->caretScrolled);
          }
          EXPECT_EQ(text(d, IDC_ENTFERNUNG), "");
        })
        .key(VK_ESCAPE);
    run(host);
  }
}

TEST_F(DialogTest, CalculateShowsNamesViaRowsAndDistance) {
  ScriptHost host;
  host.type(IDC_ABGANG, "n\xFCrnberg hbf")
      .type(IDC_ZIEL, "bamberg")
      .type(IDC_UEBER2, "Erlangen")
      .click(IDC_BERECHNEN)
      .check([](CDialog& d) {
        EXPECT_EQ(text(d, IDC_ABGANG), kNuernberg);  // canonical names written back
        EXPECT_EQ(text(d, IDC_VON), kNuernberg);
        EXPECT_EQ(text(d, IDC_NACH), "Bamberg");
        // Only via 2 is set: it takes the first row.
        EXPECT_TRUE(d.control(IDC_U1_LABEL)->visible);
        EXPECT_EQ(text(d, IDC_U1_LABEL), "\xDC" "ber 2:");
        EXPECT_EQ(text(d, IDC_U1), "Erlangen");
        EXPECT_FALSE(d.control(IDC_U2_LABEL)->visible);
        const std::string km = text(d, IDC_ENTFERNUNG);
        ASSERT_GE(km.size(), 4u);
        EXPECT_EQ(km.substr(km.size() - 3), " km");
        EXPECT_GT(std::atoi(km.c_str()), 0);
      })
      .type(IDC_UEBER1, "Forchheim")
      .click(IDC_BERECHNEN)
      .check([](CDialog& d) {
        EXPECT_EQ(text(d, IDC_U1_LABEL), "\xDC" "ber 1:");
        EXPECT_EQ(text(d, IDC_U2_LABEL), "\xDC" "ber 2:");
        EXPECT_TRUE(d.control(IDC_U2_LABEL)->visible);
        EXPECT_EQ(text(d, IDC_U2), "Erlangen");
      })
      .key(VK_ESCAPE);
  run(host);
}

// A copy of the sample data set with some files replaced, in its own
// folder.
class DataCopy {
 public:
  explicit DataCopy(const std::string& tag)
      : dir_(fs::temp_directory_path() / ("zolma-" + tag + "-" + std::to_string(getpid()))) {
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    for (const auto& e : fs::directory_iterator(ZOLMA_SAMPLE_DIR))
      if (e.is_regular_file() && e.path().filename().string().rfind("DM", 0) == 0)
        fs::copy_file(e.path(), dir_ / e.path().filename());
  }
  ~DataCopy() { fs::remove_all(dir_); }
  const fs::path& dir() const { return dir_; }

 private:
  fs::path dir_;
};

// An engine error reaches the user as its message text from the message
// table, converted from the 7-bit code; without a text, as the fixed line.
TEST_F(DialogTest, EngineErrorsShowTheirMessageText) {
  for (bool withTexts : {true, false}) {
    SCOPED_TRACE(withTexts ? "with message texts" : "without message texts");
    DataCopy data(withTexts ? "sten" : "fehl");
    // The formatter keeps the message table it loaded itself; forget it so
    // that this run reads the copy's table.
    MsgFormatTestReset();
    // No line kilometres at all: a station that is no node has no way to
    // the node stations of its area.
    dmw::stenFile({}).write(data.dir() / "DMSTEN");
    if (!withTexts) dmw::fehlFile({}).write(data.dir() / "DMFEHL");
    ScriptHost host;
    host.type(IDC_ABGANG, "Ottensoos")
        .type(IDC_ZIEL, "Bamberg")
        .click(IDC_BERECHNEN)
        .expectBoxCaptioned(kKrv)
        .check([](CDialog& d) {
          EXPECT_EQ(text(d, IDC_VON), "");
          EXPECT_EQ(text(d, IDC_ENTFERNUNG), "");
        })
        .key(VK_ESCAPE);
    {
      InDir in(data.dir());
      CZOLMAApp app;
      app.m_pszAppName = "zolma";
      app.InitInstance();
    }
    EXPECT_EQ(host.remaining(), 0u);
    ASSERT_EQ(host.boxes().size(), 1u);
    const std::string msg = host.boxes()[0].text;
    EXPECT_EQ(host.boxes()[0].caption, kKrv);
    if (withTexts) {
      EXPECT_EQ(msg.find("Fehler in EB"), std::string::npos) << msg;
      EXPECT_FALSE(msg.empty());
      for (char ch : std::string("[\\]{|}~")) EXPECT_EQ(msg.find(ch), std::string::npos) << msg;
    } else {
      EXPECT_EQ(msg.rfind("Fehler in EB, ErrCode 11", 0), 0u) << msg;
      EXPECT_EQ(msg.back(), '\n');
    }
  }
  MsgFormatTestReset();
}

}  // namespace
