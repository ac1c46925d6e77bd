// The dialog application driven through the scripted host on the sample
// data set: start-up, shut-down and title, Enter in the station fields
// with the picker, station name resolution, "&Berechnen" with its messages
// and its result display, and the 50 km list. A stand-in for the engine
// (ZolmaTestSetEngine) shows the request sent and the display of answers,
// errors and raises that the sample data cannot produce.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "app/bhfsuche.h"
#include "app/resource.h"
#include "app/zolmaapp.h"
#include "app/zolmadlg.h"
#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_ebhf.h"
#include "common/dtacc/dm/dm_fehl.h"
#include "common/dtacc/dm/dm_pbhf.h"
#include "engine/eb.h"
#include "msgtext/msgformat.h"
#include "platform/ui/scripthost.h"
#include "support/msg.h"
#include "support/utday.h"
#include "support/utname.h"
#include "tests/common/tempdir.h"
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

// How a run of the program ended: its exit code and its report for
// standard error.
struct RunEnd {
  int exitCode = -1;
  std::vector<std::string> report;
};

// Runs the whole program in `dir`. A failing script step ends the run with
// an exception past the program's own shut-down; the tables and names it
// leaves behind are cleared here, so that the next test starts clean.
BOOL startApp(const fs::path& dir, RunEnd* end = nullptr) {
  InDir in(dir);
  CZOLMAApp app;
  app.m_pszAppName = "zolma";
  try {
    BOOL result = app.InitInstance();
    if (end) *end = RunEnd{app.ExitInstance(), app.Bericht()};
    return result;
  } catch (const std::exception& e) {
    ADD_FAILURE() << "the program ended by an exception: " << e.what();
  }
  while (DbIsLoaded(&DbPbhfTab)) DbUnloadPbhf();
  EbGfEndeEntfernungsBerechnung();
  UtRemoveGroup(kUtRegisterGroup);
  while (DbIsLoaded(&DbFehlTab)) DbUnloadFehl();
  MsgFormatTestReset();
  return FALSE;
}

class AppDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    // A fixed day inside the sample data's validity.
    UtTestSetFixedTime(1765368000);  // 10.12.2025 12:00 UTC
  }
  void TearDown() override { UtTestSetClock(nullptr); }

  // Runs the whole program on the sample data; `script` fills the host's
  // steps for the main dialog, which the script must end.
  void run(ScriptHost& host) {
    EXPECT_EQ(startApp(ZOLMA_SAMPLE_DIR), FALSE);
    EXPECT_EQ(host.remaining(), 0u) << "script not used up";
  }
};

std::string text(CDialog& d, int id) {
  ControlState* c = d.control(id);
  return c ? c->text : "<no control>";
}

TEST_F(AppDialog, TitleCarriesTheDataDateAndInitialState) {
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

TEST(AppTitel, DayOfTheDataStampInLocalTime) {
  std::tm tm{};
  tm.tm_year = 2018 - 1900;
  tm.tm_mon = 1;
  tm.tm_mday = 1;
  tm.tm_hour = 0;
  tm.tm_min = 30;
  tm.tm_isdst = -1;
  long stamp = static_cast<long>(std::mktime(&tm));
  EXPECT_EQ(ZolmaTitel("KRV Entfernungsberechnung (Version 3.2d)", stamp),
            "KRV Entfernungsberechnung (Version 3.2d) - Daten vom 01.02.2018");
  // A stamp that names no day leaves the caption alone.
  EXPECT_EQ(ZolmaTitel("KRV", -1), "KRV");
}

TEST_F(AppDialog, StartupFailsWithoutDataFiles) {
  const tempdir::Folder empty("zolma-empty");
  ScriptHost host;
  host.expectBox("Fehler bei der Initialisierung", "Fehler");
  EXPECT_EQ(startApp(empty.path()), FALSE);
  ASSERT_EQ(host.boxes().size(), 1u);
  EXPECT_FALSE(host.boxes()[0].owned);
  EXPECT_TRUE(host.dialogsRun().empty());
}

// Enter in a station field.
struct EnterCase {
  const char* name;
  std::string typed;
  unsigned mods;
  std::function<void(ScriptHost&)> picker;  // steps inside the picker, or null
  std::string fieldAfter;
};

TEST_F(AppDialog, EnterInAStationField) {
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
      {"picker cancelled keeps the text", "bamb", 0, [](ScriptHost& h) { h.click(IDCANCEL); },
       "bamb"},
      {"Down from the picker's field selects the first name, Enter takes it", "bamb", 0,
       [](ScriptHost& h) {
         h.key(VK_DOWN)
             .check([](CDialog& p) {
               EXPECT_EQ(p.focusId(), IDC_BHF_LISTE);
               EXPECT_EQ(p.control(IDC_BHF_LISTE)->curSel, 0);
               EXPECT_EQ(text(p, IDC_BHF_EDIT), "Bamberg");
               EXPECT_TRUE(p.control(IDOK)->enabled);
             })
             .key(VK_RETURN);
       },
       "Bamberg"},
      {"End, Home and a letter in the picker's list", "bamb", 0,
       [](ScriptHost& h) {
         h.key(VK_TAB)  // into the list without selecting
             .check([](CDialog& p) {
               EXPECT_EQ(p.control(IDC_BHF_LISTE)->curSel, -1);
               EXPECT_FALSE(p.control(IDOK)->enabled);
             })
             .key(VK_END)
             .check([](CDialog& p) {
               const ControlState* list = p.control(IDC_BHF_LISTE);
               EXPECT_EQ(list->curSel, static_cast<int>(list->items.size()) - 1);
               EXPECT_EQ(text(p, IDC_BHF_EDIT), list->items.back());
               EXPECT_TRUE(p.control(IDOK)->enabled);
             })
             .key(VK_HOME)
             .check([](CDialog& p) { EXPECT_EQ(text(p, IDC_BHF_EDIT), "Bamberg"); })
             .chars("b")
             .key(VK_RETURN);
       },
       "Bamberg Gbf"},
      {"a second name of a station resolves to its canonical name", "f\xFCrth", 0, nullptr,
       "F\xFCrth (Bay) Hbf"},
      {"the field takes 20 characters of a longer text", "Hochstadt-Marktzeuln und mehr", 0,
       nullptr, "Hochstadt-Marktzeuln"},
      {"five digits are a name, not a number", "10005", 0,
       [](ScriptHost& h) {
         h.check([](CDialog& p) {
            EXPECT_EQ(text(p, IDC_BHF_EDIT), "10005");
            EXPECT_TRUE(p.control(IDC_BHF_LISTE)->items.empty());
            EXPECT_FALSE(p.control(IDOK)->enabled);
          }).key(VK_ESCAPE);
       },
       "10005"},
      {"a station with two names is listed once", "n\xFCrnberg", MOD_CONTROL_KEY,
       [](ScriptHost& h) {
         h.check([](CDialog& p) {
            const auto& items = p.control(IDC_BHF_LISTE)->items;
            EXPECT_EQ(std::count(items.begin(), items.end(), kNuernberg), 1);
            // Found under its second name, listed under its own.
            EXPECT_EQ(std::count(items.begin(), items.end(), "Nbg-Dutzendteich"), 1);
            auto at = std::find(items.begin(), items.end(), kNuernberg);
            ASSERT_NE(at, items.end());
            p.SelectListItem(IDC_BHF_LISTE, static_cast<int>(at - items.begin()));
          }).key(VK_RETURN);
       },
       kNuernberg},
      {"a long text in the picker; a 20-character name comes back whole", "hochst", MOD_CONTROL_KEY,
       [](ScriptHost& h) {
         // 50 characters: the list uses the first 41, the lookup 20.
         h.type(IDC_BHF_EDIT, "Hochstadt-Marktzeuln und noch viel mehr Text danach")
             .check([](CDialog& p) {
               EXPECT_EQ(p.control(IDC_BHF_LISTE)->items,
                         (std::vector<std::string>{"Hochstadt-Marktzeuln"}));
               EXPECT_FALSE(p.control(IDOK)->enabled);
             })
             .select(IDC_BHF_LISTE, 0)
             .click(IDOK);
       },
       "Hochstadt-Marktzeuln"},
      {"the picker refills on typing; OK only after a selection", "bamb", 0,
       [](ScriptHost& h) {
         h.type(IDC_BHF_EDIT, "")
             .check([](CDialog& p) {
               EXPECT_TRUE(p.control(IDC_BHF_LISTE)->items.empty());
               EXPECT_FALSE(p.control(IDOK)->enabled);
             })
             .type(IDC_BHF_EDIT, "qqq")
             .check([](CDialog& p) { EXPECT_TRUE(p.control(IDC_BHF_LISTE)->items.empty()); })
             .type(IDC_BHF_EDIT, "bamberg ")
             .check([](CDialog& p) {
               EXPECT_EQ(p.control(IDC_BHF_LISTE)->items,
                         (std::vector<std::string>{"Bamberg", "Bamberg Gbf"}));
             })
             .select(IDC_BHF_LISTE, 1)
             .check([](CDialog& p) {
               EXPECT_EQ(text(p, IDC_BHF_EDIT), "Bamberg Gbf");
               EXPECT_EQ(p.control(IDC_BHF_LISTE)->items.size(), 2u);  // not refilled
               EXPECT_TRUE(p.control(IDOK)->enabled);
             })
             .cancelSelection(IDC_BHF_LISTE)
             .check([](CDialog& p) { EXPECT_FALSE(p.control(IDOK)->enabled); })
             .key(VK_RETURN)  // OK is disabled: Enter does nothing
             .check([](CDialog& p) { EXPECT_FALSE(p.ended()); })
             .click(IDCANCEL);
       },
       "bamb"},
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

// Focus that Enter or the picker moves into the next field selects its
// text, so typing replaces it; the picker opens with the caret after the
// typed text, so typing narrows its list.
TEST_F(AppDialog, EnterAndThePickerSelectTheNextFieldsText) {
  auto zielSelected = [](CDialog& d) {
    EXPECT_EQ(d.focusId(), IDC_ZIEL);
    ControlState* f = d.control(IDC_ZIEL);
    EXPECT_EQ(f->text, "Bamberg");
    EXPECT_EQ(f->selStart, 0);
    EXPECT_EQ(f->selEnd, 7);
  };
  {
    SCOPED_TRACE("Enter");
    ScriptHost host;
    host.type(IDC_ZIEL, "Bamberg")
        .type(IDC_ABGANG, "n\xFCrnberg hbf")
        .key(VK_RETURN)
        .check(zielSelected)
        .chars("Erlangen")
        .check([](CDialog& d) { EXPECT_EQ(text(d, IDC_ZIEL), "Erlangen"); })
        .key(VK_ESCAPE);
    run(host);
  }
  {
    SCOPED_TRACE("picker");
    ScriptHost host;
    host.type(IDC_ZIEL, "Bamberg")
        .type(IDC_ABGANG, "bamb")
        .key(VK_RETURN)
        .expectDialog(IDD_BAHNHOF)
        .check([](CDialog& p) {
          ControlState* e = p.control(IDC_BHF_EDIT);
          EXPECT_EQ(p.focusId(), IDC_BHF_EDIT);
          EXPECT_EQ(e->selStart, 4);
          EXPECT_EQ(e->selEnd, 4);
        })
        .chars("erg g")
        .check([](CDialog& p) {
          EXPECT_EQ(text(p, IDC_BHF_EDIT), "bamberg g");
          EXPECT_EQ(p.control(IDC_BHF_LISTE)->items, (std::vector<std::string>{"Bamberg Gbf"}));
        })
        .select(IDC_BHF_LISTE, 0)
        .click(IDOK)
        .check(zielSelected)
        .key(VK_ESCAPE);
    run(host);
  }
}

TEST_F(AppDialog, EnterOnAButtonPressesItAndNeverClosesTheDialog) {
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
  const char* abgangNachher = nullptr;  // the origin field afterwards, if checked
};

TEST_F(AppDialog, CalculateReportsTheFirstFieldThatCannotBeUsed) {
  const MissingCase cases[] = {
      {"", "Bamberg", "", "", "Bitte Abgang eingeben", IDC_ABGANG, false},
      {"Xyzzy", "Bamberg", "", "", "Abgang unbekannt", IDC_ABGANG, true},
      {"Bamberg", "", "", "", "Bitte Ziel eingeben", IDC_ZIEL, false},
      {"Bamberg", "Qqq", "", "", "Ziel unbekannt", IDC_ZIEL, true},
      {"Bamberg", "Erlangen", "Qqq", "",
       "\xDC"
       "ber 1 unbekannt",
       IDC_UEBER1, true},
      {"Bamberg", "Erlangen", "", "Qqq",
       "\xDC"
       "ber 2 unbekannt",
       IDC_UEBER2, true},
      // A station number is only looked up as a name and by prefix here.
      {"1104", "Bamberg", "", "", "Abgang unbekannt", IDC_ABGANG, true, "1104"},
      // The fields before the failing one already show their canonical names.
      {"bamb", "Qqq", "", "", "Ziel unbekannt", IDC_ZIEL, true, "Bamberg"},
      {"n\xFCrnberg hbf", "Erlangen", "", "Qqq",
       "\xDC"
       "ber 2 unbekannt",
       IDC_UEBER2, true, "N\xFCrnberg Hbf"},
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
          if (c.abgangNachher) {
            EXPECT_EQ(text(d, IDC_ABGANG), c.abgangNachher);
          }
        })
        .key(VK_ESCAPE);
    run(host);
  }
}

TEST_F(AppDialog, CalculateShowsNamesViaRowsAndDistance) {
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
        EXPECT_EQ(text(d, IDC_U1_LABEL),
                  "\xDC"
                  "ber 2:");
        EXPECT_EQ(text(d, IDC_U1), "Erlangen");
        EXPECT_FALSE(d.control(IDC_U2_LABEL)->visible);
        EXPECT_EQ(text(d, IDC_ENTFERNUNG), "62 km");  // along the line, 0 to 62
        // The route text in code page 1252, its markers shown as '*', none
        // in front.
        EXPECT_EQ(text(d, IDC_WEGETEXT1), "F\xFCrth*Vach*Erlangen*Forchheim");
      })
      .type(IDC_UEBER1, "Forchheim")
      .click(IDC_BERECHNEN)
      .check([](CDialog& d) {
        EXPECT_EQ(text(d, IDC_ENTFERNUNG), "90 km");  // 38 out, 14 back, 38 on
        EXPECT_EQ(text(d, IDC_U1_LABEL),
                  "\xDC"
                  "ber 1:");
        EXPECT_EQ(text(d, IDC_U2_LABEL),
                  "\xDC"
                  "ber 2:");
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
  explicit DataCopy(const std::string& tag) : dir_("zolma-" + tag) {
    for (const auto& e : fs::directory_iterator(ZOLMA_SAMPLE_DIR))
      if (e.is_regular_file() && e.path().filename().string().rfind("DM", 0) == 0)
        fs::copy_file(e.path(), dir_.path() / e.path().filename());
  }
  const fs::path& dir() const { return dir_.path(); }

 private:
  tempdir::Folder dir_;
};

// An engine error reaches the user as its message text from the message
// table, converted from the 7-bit code; without a text, as the fixed line.
TEST_F(AppDialog, EngineErrorsShowTheirMessageText) {
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
    startApp(data.dir());
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

// The logical names of the data files while the program runs, and none
// left after it.
TEST_F(AppDialog, RegistersTheTableNamesAndRemovesThemAtTheEnd) {
  const std::pair<const char*, const char*> names[] = {
      {"Absender", "zolma"}, {"FEHL", "DMFEHL"},    {"EBBA", "#$/&-.+()"}, {"EBGB", "#$/&-.+()"},
      {"EBGG", "#$/&-.+()"}, {"EBGM", "#$/&-.+()"}, {"EBHF", "DMEBHF"},    {"EBHN", "DMEBHN"},
      {"FBRR", "DMFBRR"},    {"FBRW", "DMFBRW"},    {"GREN", "DMGREN"},    {"LOST", "#$/&-.+()"},
      {"NESR", "#$/&-.+()"}, {"NGAT", "#$/&-.+()"}, {"RBGT", "DMRBGT"},    {"RELA", "DMRELA"},
      {"STEN", "DMSTEN"},    {"TDRG", "DMTDRG"},    {"PBHF", "DMPBHF"},
  };
  ScriptHost host;
  host.check([&](CDialog&) {
        for (const auto& [name, value] : names) {
          const char* got = UtQueryRegister(name);
          ASSERT_NE(got, nullptr) << name;
          EXPECT_STREQ(got, value) << name;
        }
        EXPECT_TRUE(DbIsLoaded(&DbPbhfTab));
      })
      .close();  // the close box ends the program like "B&eenden"
  run(host);
  for (const auto& [name, value] : names) EXPECT_EQ(UtQueryRegister(name), nullptr) << name;
  EXPECT_EQ(UtQueryName(kUtRegisterGroup, "EBHF"), nullptr);
  EXPECT_FALSE(DbIsLoaded(&DbPbhfTab));
  EXPECT_FALSE(DbIsLoaded(&DbEbhfTab));
}

// A missing station-name file: the engine has started, the load of the
// names fails, the program says so and ends without a dialog, leaving no
// names and no tables behind.
TEST_F(AppDialog, StartupFailsWhenTheStationNamesAreMissing) {
  DataCopy data("ohne-pbhf");
  fs::remove(data.dir() / "DMPBHF");
  ScriptHost host;
  host.expectBox("Fehler bei der Initialisierung", "Fehler");
  EXPECT_EQ(startApp(data.dir()), FALSE);
  EXPECT_EQ(host.remaining(), 0u);
  ASSERT_EQ(host.boxes().size(), 1u);
  EXPECT_FALSE(host.boxes()[0].owned);
  EXPECT_TRUE(host.dialogsRun().empty());
  EXPECT_EQ(UtQueryRegister("Absender"), nullptr);
  EXPECT_EQ(UtQueryRegister("PBHF"), nullptr);
  EXPECT_FALSE(DbIsLoaded(&DbEbhfTab));  // the engine was ended
  EXPECT_EQ(MsgTopFrame(), nullptr);
}

// A failed start-up: the message box, exit code 1, and a report for
// standard error that names the message, the file and the fault, and where
// the data files are read from. A message the engine's start-up wrote and
// freed is the cause behind the application's own "KB" 1004.
TEST_F(AppDialog, FailedStartUpReportsWhy) {
  const struct {
    const char* name;
    std::function<void(const fs::path&)> spoil;  // null: an empty folder
    std::vector<std::string> lines;              // in this order in the report
  } cases[] = {
      {"empty folder",
       nullptr,
       {"Fehler bei der Initialisierung",
        "Meldung D DZ1011, Parameter: \"DMFEHL\", \"BI: Fehler bei fopen, "}},
      {"station names missing",
       [](const fs::path& d) { fs::remove(d / "DMPBHF"); },
       {"Fehler bei der Initialisierung",
        "Meldung D DZ1011, Parameter: \"DMPBHF\", \"BI: Fehler bei fopen, ",
        "  Datei DMPBHF ist nicht zu oeffnen: BI: Fehler bei fopen, "}},
      {"line kilometres cut inside the header",
       [](const fs::path& d) {
         dmw::DataFile f = dmw::stenFile({});
         f.truncate_to = 10;
         f.write(d / "DMSTEN");
       },
       {"Meldung D KB1004, Parameter: 1",
        "  Initialisierung der Entfernungsberechnung fehlgeschlagen (1)",
        "Ursache: Meldung D DZ1013, Parameter: \"DMSTEN\", \"Datei zu kurz\"",
        "  Datei DMSTEN ist nicht vollstaendig lesbar: Datei zu kurz"}},
      {"line kilometres with a block longer than the file",
       [](const fs::path& d) {
         dmw::DataFile f = dmw::stenFile({});
         f.blocks.at(0).declared_length = 5000;
         f.write(d / "DMSTEN");
       },
       {"Meldung D KB1004, Parameter: 1", "Ursache: Meldung D DZ1025, Parameter: \"DMSTEN\", \"",
        "\", \"Blocklaenge 5000 groesser als der Rest der Datei"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    // The formatter keeps the message table it loaded itself; forget it so
    // that this run loads the folder's own table or fails on it.
    MsgFormatTestReset();
    DataCopy data("bericht");
    if (c.spoil) {
      c.spoil(data.dir());
    } else {
      for (const auto& e : fs::directory_iterator(data.dir())) fs::remove(e.path());
    }
    ScriptHost host;
    host.expectBox("Fehler bei der Initialisierung", "Fehler");
    RunEnd end;
    EXPECT_EQ(startApp(data.dir(), &end), FALSE);
    EXPECT_EQ(host.remaining(), 0u);
    EXPECT_TRUE(host.dialogsRun().empty());
    EXPECT_EQ(end.exitCode, 1);
    std::string all;
    for (const auto& l : end.report) all += l + "\n";
    std::size_t at = 0;
    for (const auto& want : c.lines) {
      std::size_t found = all.find(want, at);
      EXPECT_NE(found, std::string::npos) << "missing: " << want << "\nin:\n" << all;
      if (found != std::string::npos) at = found + want.size();
    }
    ASSERT_FALSE(end.report.empty());
    EXPECT_EQ(end.report.back().rfind("Das Programm liest seine Datendateien (DMFEHL, ", 0), 0u)
        << all;
    EXPECT_NE(end.report.back().find("aus dem aktuellen Ordner: " + data.dir().string()),
              std::string::npos)
        << all;
    for (unsigned char ch : all) EXPECT_TRUE(ch == '\n' || (ch >= 0x20 && ch < 0x7F)) << all;
    // No message file was written on the way.
    EXPECT_FALSE(fs::exists(data.dir() / "ZOLMACE.TXT"));
  }
  MsgFormatTestReset();
}

// A raise that no frame below the application caught, here one that comes
// up through the dialog's modal loop: the same message box, exit code 1,
// and the message in the report, without a cause and without the line on
// the data files, which were read. A normal end gives exit code 0 and no
// report.
TEST_F(AppDialog, ARaiseDuringTheDialogEndsWithExitCodeOne) {
  for (bool raise : {true, false}) {
    SCOPED_TRACE(raise ? "raise" : "normal end");
    ScriptHost host;
    host.check([&](CDialog&) {
      if (raise) MsgRaise(1, "DZ", 1013, 0, "ss", "DMEBHF", "BI: kein Fehler");
    });
    if (raise) {
      host.expectBox("Fehler bei der Initialisierung", "Fehler");
    } else {
      host.key(VK_ESCAPE);
    }
    RunEnd end;
    EXPECT_EQ(startApp(ZOLMA_SAMPLE_DIR, &end), FALSE);
    EXPECT_EQ(host.remaining(), 0u);
    EXPECT_EQ(MsgTopFrame(), nullptr);
    EXPECT_EQ(UtQueryRegister("EBHF"), nullptr);
    if (!raise) {
      EXPECT_EQ(end.exitCode, 0);
      EXPECT_TRUE(end.report.empty());
      continue;
    }
    EXPECT_EQ(end.exitCode, 1);
    ASSERT_EQ(end.report.size(), 3u);
    EXPECT_EQ(end.report[0], "Fehler bei der Initialisierung");
    EXPECT_EQ(end.report[1], "Meldung D DZ1013, Parameter: \"DMEBHF\", \"Datei zu kurz\"");
    EXPECT_EQ(end.report[2], "  Datei DMEBHF ist nicht vollstaendig lesbar: Datei zu kurz");
    // The application's tables stay as the failure path leaves them.
    while (DbIsLoaded(&DbPbhfTab)) DbUnloadPbhf();
  }
}

// Enter moves through the four fields; each opens the picker with its own
// caption, and the last hands the focus to "&Berechnen". The dialog's own
// field table is checked, then the dialog is run through every entry.
TEST_F(AppDialog, EnterInEachFieldUsesItsCaptionAndNextControl) {
  const int order[] = {IDC_ABGANG, IDC_ZIEL, IDC_UEBER1, IDC_UEBER2, IDC_BERECHNEN};
  const std::string captions[] = {"Abgangsbahnhof eingeben", "Zielbahnhof eingeben",
                                  "1. \xDC"
                                  "ber-Bahnhof eingeben",
                                  "2. \xDC"
                                  "ber-Bahnhof eingeben"};
  ASSERT_EQ(std::size(kFelder), std::size(captions));
  for (size_t i = 0; i < std::size(kFelder); ++i) {
    EXPECT_EQ(kFelder[i].id, order[i]);
    EXPECT_EQ(kFelder[i].pickerCaption, captions[i]);
    EXPECT_EQ(kFelder[i].next, order[i + 1]);
  }
  for (const auto& f : kFelder) {
    SCOPED_TRACE(f.pickerCaption);
    ScriptHost host;
    host.type(f.id, "bamb")
        .key(VK_RETURN)
        .expectDialog(IDD_BAHNHOF)
        .check([&](CDialog& p) { EXPECT_EQ(p.title(), f.pickerCaption); })
        .key(VK_ESCAPE)
        .check([&](CDialog& d) {
          EXPECT_EQ(d.templateId(), IDD_ZOLMA_DIALOG);
          EXPECT_EQ(d.focusId(), f.next);
          EXPECT_EQ(text(d, f.id), "bamb");
        })
        .key(VK_ESCAPE);
    run(host);
  }
}

// Station name resolution on the sample data set, for today.
struct SuchCase {
  std::string text;
  int exactOnly;
  int nummer;
  std::string name;  // checked when nummer >= 0
};

TEST_F(AppDialog, StationNameResolution) {
  const SuchCase cases[] = {
      {"1104", 1, 1104, "Ottensoos"},               // 1 to 4 digits: a station number
      {"1104", 0, -1, ""},                          // ... only with exactOnly
      {"10005", 1, -1, ""},                         // five digits are a name
      {"9999", 1, -1, ""},                          // a number without a station
      {"bamberg", 1, 1005, "Bamberg"},              // exact, any case
      {"ottensoos ", 1, 1104, "Ottensoos"},         // trailing blank
      {"bamb", 1, -1, ""},                          // no prefix with exactOnly
      {"bamb", 0, 1005, "Bamberg"},                 // the first name with the prefix
      {"f\xFCrth", 1, 1002, "F\xFCrth (Bay) Hbf"},  // a second name of the station
      // The first match is a second name; the retry with the canonical
      // name finds the station under its own name.
      {"n\xFCrnberg-du", 0, 1106, "Nbg-Dutzendteich"},
      // 21 characters: the first 20 are looked up.
      {"N\xFCrnberg-Dutzendteich", 1, 1106, "Nbg-Dutzendteich"},
      {"   ", 1, -1, ""},
      {"   ", 0, 1127, "Altdorf (b N\xFCrnberg)"},  // blanks: the first name of all
      {std::string(60, 'x'), 0, -1, ""},            // longer than any buffer
      {"Bamberg" + std::string(60, ' '), 0, 1005, "Bamberg"},
  };
  ScriptHost host;
  host.check([&](CDialog&) {
        for (const auto& c : cases) {
          SCOPED_TRACE("\"" + c.text + "\" exactOnly " + std::to_string(c.exactOnly));
          char name[21];
          int nr = BhfSuchen(c.text.c_str(), name, c.exactOnly);
          EXPECT_EQ(nr, c.nummer);
          if (nr >= 0 && c.nummer >= 0) {
            EXPECT_EQ(std::string(name), c.name);
          }
        }
        char name[21];
        EXPECT_EQ(BhfPrefixSuchen("bamb", name), 0);
        EXPECT_STREQ(name, "Bamberg");
        EXPECT_EQ(BhfPrefixSuchen(std::string(21, 'B').c_str(), name), -1);
        EXPECT_EQ(BhfPrefixSuchen(nullptr, name), -1);
        EXPECT_EQ(BhfPrefixAnzahl("bamb"), 2);
        EXPECT_EQ(BhfPrefixAnzahl("qqq"), 0);
        EXPECT_EQ(BhfPrefixAnzahl(std::string(60, 'x').c_str()), 0);
      })
      .key(VK_ESCAPE);
  run(host);
  // Without the tables nothing resolves.
  char name[21];
  EXPECT_EQ(BhfPrefixAnzahl("bamb"), -1);
  EXPECT_EQ(BhfSuchen("Bamberg", name, 0), -1);
  EXPECT_EQ(BhfPrefixSuchen("bamb", name), -1);
}

// A station-name table with a name whose station the station table does
// not know: the name resolves to nothing and the picker does not list it.
TEST_F(AppDialog, ANameWithoutItsStationIsNoStation) {
  DataCopy data("geist");
  std::vector<dmw::PbhfRecord> names;
  for (auto [name, nr] :
       std::initializer_list<std::pair<const char*, std::uint32_t>>{{"BAMBERG", 1005},
                                                                    {"BAMBERG HBF", 1005},
                                                                    {"BAMBERG GEIST", 99999},
                                                                    {"OTTENSOOS", 1104}}) {
    dmw::PbhfRecord r;
    r.station_name = name;
    r.station_number = nr;
    names.push_back(r);
  }
  dmw::pbhfFile(names).write(data.dir() / "DMPBHF");
  ScriptHost host;
  host.check([](CDialog&) {
        char name[21];
        EXPECT_EQ(BhfSuchen("Bamberg Geist", name, 1), -1);
        EXPECT_EQ(BhfSuchen("Bamberg Geist", name, 0), -1);
        EXPECT_EQ(BhfPrefixSuchen("bamberg g", name), -1);
        EXPECT_EQ(BhfPrefixAnzahl("bamberg"), 3);
      })
      .type(IDC_ABGANG, "bamberg")
      .key(VK_RETURN, MOD_CONTROL_KEY)
      .expectDialog(IDD_BAHNHOF)
      .check([](CDialog& p) {
        // Two names of one station give one entry; the ghost gives none.
        EXPECT_EQ(p.control(IDC_BHF_LISTE)->items, (std::vector<std::string>{"Bamberg"}));
      })
      .key(VK_ESCAPE)
      // One name begins with the text, but it names no station: the picker
      // opens, with nothing to choose.
      .type(IDC_ZIEL, "bamberg g")
      .key(VK_RETURN)
      .expectDialog(IDD_BAHNHOF)
      .check([](CDialog& p) {
        EXPECT_EQ(text(p, IDC_BHF_EDIT), "bamberg g");
        EXPECT_TRUE(p.control(IDC_BHF_LISTE)->items.empty());
      })
      .key(VK_ESCAPE)
      .key(VK_ESCAPE);
  startApp(data.dir());
  EXPECT_EQ(host.remaining(), 0u);
}

// A stand-in for the engine: it records the request and answers as a test
// sets it up.
struct StandIn {
  static inline EbAnfrage anfrage{};
  static inline bool abschnitteLeer = false;
  static inline std::uint32_t flags = 99;
  static inline int calls = 0;
  static inline int code = 0;
  static inline bool raise = false;
  static inline std::string wegetext;
  static inline std::uint32_t km[4] = {0, 0, 0, 0};

  static std::int32_t run(EbErgebnis* e, EbAbschnitte* a, EbAnfrage* r, std::uint32_t f) {
    ++calls;
    anfrage = *r;
    flags = f;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(a);
    abschnitteLeer = std::all_of(bytes, bytes + sizeof *a, [](unsigned char b) { return b == 0; });
    if (raise) MsgRaise(1999, "EB", 1000, 0, "");
    std::memset(e, 0, sizeof *e);
    std::memset(e->hin.wegetext, ' ', sizeof e->hin.wegetext);
    std::memcpy(e->hin.wegetext, wegetext.data(),
                std::min(wegetext.size(), sizeof e->hin.wegetext));
    e->hin.kmWzVxt = km[0];
    e->hin.kmDrVxt = km[1];
    e->hin.kmWz = km[2];
    e->hin.kmDr = km[3];
    return code;
  }
  static void answer(int c, const std::string& text, std::uint32_t a, std::uint32_t b,
                     std::uint32_t k, std::uint32_t d) {
    code = c;
    raise = false;
    wegetext = text;
    km[0] = a;
    km[1] = b;
    km[2] = k;
    km[3] = d;
  }
};

class StandInScope {
 public:
  StandInScope() {
    StandIn::calls = 0;
    StandIn::answer(0, "", 0, 0, 0, 0);
    ZolmaTestSetEngine(&StandIn::run);
  }
  ~StandInScope() { ZolmaTestSetEngine(nullptr); }
};

// The request that "&Berechnen" sends.
TEST_F(AppDialog, CalculateSendsATypeOneRequestWithFixedVias) {
  StandInScope standIn;
  StandIn::answer(0, "*Ottensoos$Erlangen", 10, 0, 20, 0);
  ScriptHost host;
  host.type(IDC_ABGANG, "Ottensoos")
      .type(IDC_ZIEL, "Bamberg")
      .type(IDC_UEBER2, "Erlangen")
      .click(IDC_BERECHNEN)
      .check([](CDialog&) {
        const EbAnfrage& r = StandIn::anfrage;
        EXPECT_EQ(StandIn::calls, 1);
        EXPECT_EQ(StandIn::flags, 0u);
        EXPECT_TRUE(StandIn::abschnitteLeer);
        EXPECT_EQ(std::string(r.itId, 6), "XXXXXX");
        EXPECT_EQ(r.anfrageTyp, '1');
        EXPECT_EQ(r.textBreite, 100);
        EXPECT_EQ(r.textFlag, '1');
        EXPECT_EQ(r.fahrtCode, '1');
        EXPECT_EQ(r.zweiWege, 'N');
        EXPECT_EQ(r.datum, UtToday());
        EXPECT_EQ(r.hin.optionFlag, 'N');
        EXPECT_EQ(r.hin.ibv, 1104);
        EXPECT_EQ(r.hin.ibn, 1005);
        EXPECT_EQ(r.hin.relSchluessel1, 1);
        EXPECT_EQ(r.hin.relSchluessel2, 0);
        EXPECT_EQ(r.hin.relRichtung, 0);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(r.hin.relBhf[i], 0);
        EXPECT_EQ(r.hin.bpVor, 0);  // empty via 1
        EXPECT_EQ(r.hin.bpNach, 1003);
        EXPECT_EQ(r.hin.reserviert2, 'K');
        EXPECT_EQ(r.rueck.ibv, 0);
        EXPECT_EQ(r.rueck.ibn, 0);
        EXPECT_EQ(r.rueck.relSchluessel1, 1);
        EXPECT_EQ(r.rueck.relSchluessel2, 0);
        EXPECT_EQ(r.rueck.bpVor, 0);
        EXPECT_EQ(r.rueck.bpNach, 0);
        EXPECT_EQ(r.rueck.reserviert2, ' ');
        EXPECT_EQ(r.optionen[0], 'N');
        EXPECT_EQ(r.optionen[1], 'N');
        EXPECT_EQ(r.profilKey, 0);
        EXPECT_EQ(r.festeFolge, 1);
      })
      .key(VK_ESCAPE);
  run(host);
}

// What the dialog shows for an answer. Every row first shows a success
// with the route text "Vorher", so that a failure can be seen to leave the
// route text alone.
struct AnzeigeCase {
  const char* name;
  int code;
  bool raise;
  std::string wegetext;
  std::uint32_t km[4];
  std::string box;       // empty: no message box
  std::string route;     // 1037 afterwards
  std::string distance;  // 1031 afterwards
};

TEST_F(AppDialog, CalculateShowsTheAnswerOrTheError) {
  const AnzeigeCase cases[] = {
      {"route markers", 0, false, "*A$B", {120, 0, 35, 0}, "", "A*B", "155 km"},
      {"only one leading marker is dropped", 0, false, "**A", {1, 2, 3, 4}, "", "*A", "10 km"},
      {"DOS umlauts",
       0,
       false,
       "*N\x81rnberg$F\x81rth",
       {0, 0, 0, 0},
       "",
       "N\xFCrnberg*F\xFCrth",
       "0 km"},
      {"a full route text",
       0,
       false,
       std::string(184, 'x'),
       {0, 7, 0, 0},
       "",
       std::string(184, 'x'),
       "7 km"},
      {"absurd kilometres wrap", 0, false, "*A", {0xFFFFFFFFu, 0, 0, 0}, "", "A", "-1 km"},
      {"unknown relation", 1103, false, "", {}, "Unbekannte VXT-Relation", "Vorher", ""},
      {"no relation", 1404, false, "", {}, "Keine VXT-Relation gefunden", "Vorher", ""},
      {"text from the message table",
       1105,
       false,
       "",
       {},
       "Keine Entfernung zwischen zwei Knotenbahnh\xF6"
       "fen gefunden",
       "Vorher",
       ""},
      {"a number without a message text",
       1717,
       false,
       "",
       {},
       "Fehler in EB, ErrCode 1717\n",
       "Vorher",
       ""},
      {"a raise past the engine", 0, true, "", {}, "Fehler in EB", "Vorher", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    StandInScope standIn;
    MsgTrapFrame* top = nullptr;
    ScriptHost host;
    host.type(IDC_ABGANG, "Ottensoos")
        .type(IDC_ZIEL, "Bamberg")
        .type(IDC_UEBER1, "Erlangen")
        .check([](CDialog&) { StandIn::answer(0, "*Vorher", 1, 0, 0, 0); })
        .click(IDC_BERECHNEN)
        .check([&](CDialog& d) {
          EXPECT_EQ(text(d, IDC_WEGETEXT1), "Vorher");
          EXPECT_TRUE(d.control(IDC_U1_LABEL)->visible);
          EXPECT_TRUE(d.control(IDC_DRUCKEN)->enabled);  // a success enables printing
          StandIn::answer(c.code, c.wegetext, c.km[0], c.km[1], c.km[2], c.km[3]);
          StandIn::raise = c.raise;
          top = MsgTopFrame();
        })
        .click(IDC_BERECHNEN);
    if (!c.box.empty()) host.expectBox(c.box, kKrv);
    host.check([&](CDialog& d) {
          // The handler's own frame is gone, the frames below it are intact.
          EXPECT_EQ(MsgTopFrame(), top);
          EXPECT_EQ(text(d, IDC_WEGETEXT1), c.route);
          EXPECT_EQ(text(d, IDC_ENTFERNUNG), c.distance);
          if (c.box.empty()) {
            EXPECT_EQ(text(d, IDC_VON), "Ottensoos");
            EXPECT_EQ(text(d, IDC_NACH), "Bamberg");
            EXPECT_EQ(text(d, IDC_U1), "Erlangen");
          } else {
            EXPECT_EQ(text(d, IDC_VON), "");
            EXPECT_EQ(text(d, IDC_NACH), "");
            EXPECT_EQ(text(d, IDC_U1), "");
            EXPECT_FALSE(d.control(IDC_U1_LABEL)->visible);
            EXPECT_FALSE(d.control(IDC_U2_LABEL)->visible);
          }
          for (int id = IDC_WEGETEXT2; id <= IDC_WEGETEXT4; ++id) EXPECT_EQ(text(d, id), "");
          EXPECT_TRUE(d.control(IDC_DRUCKEN)->enabled);  // and a failure leaves it so
        })
        .key(VK_ESCAPE);
    run(host);
    EXPECT_EQ(MsgTopFrame(), nullptr);
  }
  MsgFormatTestReset();
}

// The 50 km list of an origin typed in lower case, with the engine on the
// sample data.
TEST_F(AppDialog, FiftyKmListOfAnOrigin) {
  ScriptHost host;
  host.type(IDC_ABGANG, "n\xFCrnberg hbf")
      .click(IDC_50KM)
      .expectDialog(IDD_PREVIEW)
      .check([](CDialog& p) {
        // The origin as typed, not its canonical name.
        EXPECT_EQ(p.title(), "50km Liste Vorschau f\xFCr n\xFCrnberg hbf");
        ControlState* list = p.control(IDC_LISTE);
        ASSERT_EQ(list->columns.size(), 2u);
        EXPECT_EQ(list->columns[0].text, "Ziel");
        EXPECT_EQ(list->columns[1].text, "km");
        EXPECT_TRUE(list->style & LVS_REPORT);
        std::map<std::string, int> rows;
        for (const auto& r : list->rows) {
          ASSERT_EQ(r.size(), 2u);
          rows[r[0]] = std::atoi(r[1].c_str());
          EXPECT_LE(std::atoi(r[1].c_str()), 50) << r[0];
        }
        EXPECT_EQ(rows.count("Erlangen"), 1u);
        if (rows.count("Erlangen")) {
          EXPECT_EQ(rows["Erlangen"], 24);
        }
        EXPECT_EQ(rows.count(kNuernberg), 0u);            // the origin itself
        EXPECT_EQ(rows.count("N\xFCrnberg Rbf"), 0u);     // its list flag keeps it off
        EXPECT_EQ(rows.count("Bamberg"), 0u);             // 62 km
        EXPECT_EQ(rows.count("F\xFCrth (Bay) Hbf"), 1u);  // DOS umlauts converted
        EXPECT_TRUE(p.control(IDOK)->enabled);
      })
      // The list's keys: End, Home, a page down, a letter.
      .focus(IDC_LISTE)
      .key(VK_END)
      .check([](CDialog& p) {
        const ControlState* list = p.control(IDC_LISTE);
        EXPECT_EQ(list->curSel, static_cast<int>(list->rows.size()) - 1);
        EXPECT_EQ(list->topIndex, static_cast<int>(list->rows.size()) - list->cy / 8 + 1);
      })
      .key(VK_HOME)
      .chars("e")  // the first name with E, after those with A to D
      .check([](CDialog& p) {
        const ControlState* list = p.control(IDC_LISTE);
        ASSERT_GE(list->curSel, 0);
        EXPECT_EQ(list->rows[static_cast<size_t>(list->curSel)][0], "Eckersm\xFChlen");
      })
      .key(VK_HOME)
      .key(VK_NEXT)
      .check([](CDialog& p) {
        const ControlState* list = p.control(IDC_LISTE);
        EXPECT_EQ(list->curSel, list->cy / 8 - 1);  // a page of the list view's rows
        EXPECT_EQ(list->topIndex, 1);
      })
      .key(VK_ESCAPE)
      .check([](CDialog& d) {
        EXPECT_EQ(d.templateId(), IDD_ZOLMA_DIALOG);
        EXPECT_EQ(text(d, IDC_ABGANG), "n\xFCrnberg hbf");  // not written back
      })
      .key(VK_ESCAPE);
  run(host);
  EXPECT_EQ(host.dialogsRun(), (std::vector<int>{IDD_ZOLMA_DIALOG, IDD_PREVIEW}));
}

TEST_F(AppDialog, FiftyKmListNeedsAnOrigin) {
  const struct {
    const char* typed;
    const char* box;  // null: none
  } cases[] = {
      {"", "Bitte Abgang eingeben"},
      {"Xyzzy", "Abgang unbekannt"},
      {"   ", nullptr},  // resolves by prefix, but is nothing once trimmed
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("\"") + c.typed + "\"");
    ScriptHost host;
    host.type(IDC_ABGANG, c.typed).click(IDC_50KM);
    if (c.box) host.expectBox(c.box, kUnvollstaendig);
    host.check([&](CDialog& d) {
          EXPECT_EQ(d.focusId(), IDC_ABGANG);
          ControlState* f = d.control(IDC_ABGANG);
          if (!c.box) {
            EXPECT_EQ(f->text, "");
          }
          if (!c.box || std::string(c.box) == "Abgang unbekannt") {
            EXPECT_EQ(f->selStart, 0);
            EXPECT_EQ(f->selEnd, static_cast<int>(f->text.size()));
            EXPECT_TRUE(f->caretScrolled);
          }
        })
        .key(VK_ESCAPE);
    run(host);
    EXPECT_EQ(host.dialogsRun(), (std::vector<int>{IDD_ZOLMA_DIALOG}));
  }
}

// The list's tests against the stand-in engine: the border at 50 km, a
// request that fails, and a raise that ends the loop.
std::int32_t g_raiseAt = -1;  // the station whose request raises, -1 none

std::int32_t fiftyKmStandIn(EbErgebnis* e, EbAbschnitte* a, EbAnfrage* r, std::uint32_t f) {
  StandIn::wegetext.clear();
  std::uint32_t km = 1000;
  StandIn::code = 0;
  StandIn::raise = false;
  switch (r->hin.ibn) {
    case 1104:
      km = 50;
      break;  // Ottensoos: listed
    case 1105:
      km = 51;
      break;  // Henfenfeld: too far
    case 1103:
      StandIn::code = 1101;
      break;  // an engine code: left out
    case 1106:
      StandIn::raise = g_raiseAt == 1106;
      break;
    case 1107:
      km = 10;
      break;  // Nuernberg-Fischbach
    default:
      break;
  }
  for (auto& k : StandIn::km) k = 0;
  StandIn::km[2] = km;
  return StandIn::run(e, a, r, f);
}

TEST_F(AppDialog, FiftyKmListAgainstTheStandIn) {
  for (bool raise : {false, true}) {
    SCOPED_TRACE(raise ? "with a raise at station 1106" : "without a raise");
    StandInScope standIn;
    ZolmaTestSetEngine(&fiftyKmStandIn);
    g_raiseAt = raise ? 1106 : -1;
    MsgTrapFrame* top = nullptr;
    ScriptHost host;
    host.type(IDC_ABGANG, "Bamberg").check([&](CDialog&) { top = MsgTopFrame(); }).click(IDC_50KM);
    if (raise) host.expectBox("Fehler in EB", kKrv);
    host.expectDialog(IDD_PREVIEW)
        .check([&](CDialog& p) {
          EXPECT_EQ(MsgTopFrame(), top);
          const EbAnfrage& r = StandIn::anfrage;
          EXPECT_EQ(r.textFlag, '0');
          EXPECT_EQ(r.anfrageTyp, '1');
          EXPECT_EQ(r.hin.ibv, 1005);
          EXPECT_EQ(r.hin.bpVor, 0);
          EXPECT_EQ(r.hin.bpNach, 0);
          EXPECT_EQ(r.festeFolge, 1);
          EXPECT_EQ(StandIn::flags, 0u);
          std::vector<std::vector<std::string>> want{{"Ottensoos", "50"}};
          if (!raise) want.insert(want.begin(), {"N\xFCrnberg-Fischbach", "10"});
          EXPECT_EQ(p.control(IDC_LISTE)->rows, want);
        })
        .key(VK_ESCAPE)
        .key(VK_ESCAPE);
    run(host);
    if (raise) {
      ASSERT_EQ(host.boxes().size(), 1u);
      EXPECT_TRUE(host.boxes()[0].owned);
    }
  }
}

// A list that runs across midnight tests its stations on the day its
// requests are computed on, the day taken once when the list starts: the
// clock moves to the next day with the first request, and Hartershofen,
// withdrawn from that next day on, is still asked for and listed.
std::time_t g_listClock = 0;
std::time_t listClock() { return g_listClock; }
std::vector<std::int32_t> g_listAsked;
std::vector<UtDayNumber> g_listDays;

std::int32_t midnightStandIn(EbErgebnis* e, EbAbschnitte* a, EbAnfrage* r, std::uint32_t f) {
  g_listClock = 1781395230;  // 14.6.2026 00:00:30 UTC
  g_listAsked.push_back(r->hin.ibn);
  g_listDays.push_back(r->datum);
  StandIn::answer(0, "", 0, 0, 10, 0);
  return StandIn::run(e, a, r, f);
}

TEST_F(AppDialog, FiftyKmListTakesItsDayOnceAcrossMidnight) {
  UtTestSetTimeZone("UTC");
  g_listClock = 1781395170;  // 13.6.2026 23:59:30 UTC
  UtTestSetClock(&listClock);
  g_listAsked.clear();
  g_listDays.clear();
  StandInScope standIn;
  ZolmaTestSetEngine(&midnightStandIn);
  ScriptHost host;
  host.type(IDC_ABGANG, "Bamberg")
      .click(IDC_50KM)
      .expectDialog(IDD_PREVIEW)
      .check([&](CDialog& p) {
        bool listed = false;
        for (const auto& row : p.control(IDC_LISTE)->rows) listed |= row[0] == "Hartershofen";
        EXPECT_TRUE(listed);
      })
      .key(VK_ESCAPE)
      .key(VK_ESCAPE);
  run(host);
  UtTestSetTimeZone(nullptr);
  EXPECT_NE(std::find(g_listAsked.begin(), g_listAsked.end(), 9115), g_listAsked.end());
  ASSERT_FALSE(g_listDays.empty());
  for (UtDayNumber d : g_listDays) EXPECT_EQ(d, 16965);  // 13.6.2026
}

}  // namespace
