// Tests of the dialog model: key routing, data exchange, notifications,
// nested modals and the scripted host's failure reports.
#include <gtest/gtest.h>

#include <functional>

#include "platform/ui/afxwin.h"
#include "platform/ui/scripthost.h"

namespace {

enum { kTmpl = 900, kChild = 901, kEdit = 10, kEdit2 = 11, kList = 12, kGo = 13, kHidden = 14 };

void registerTemplates() {
  AfxRegisterTemplate(
      DlgTemplate{kTmpl,
                  "Test",
                  200,
                  100,
                  "MS Sans Serif",
                  {{-1, CtlClass::Static, "&Name:", 5, 5, 30, 8, 0},
                   {kEdit, CtlClass::Edit, "", 40, 5, 60, 14, ES_AUTOHSCROLL},
                   {-1, CtlClass::Static, "&Ort:", 5, 25, 30, 8, 0},
                   {kEdit2, CtlClass::Edit, "", 40, 25, 60, 14, 0},
                   {kList, CtlClass::ListBox, "", 40, 45, 60, 40, LBS_SORT | LBS_NOTIFY},
                   {kGo, CtlClass::Button, "&Los", 120, 5, 40, 14, 0},
                   {IDOK, CtlClass::Button, "OK", 120, 25, 40, 14, BS_DEFPUSHBUTTON, true},
                   {IDCANCEL, CtlClass::Button, "Abbrechen", 120, 45, 40, 14, 0}}});
  AfxRegisterTemplate(
      DlgTemplate{kChild,
                  "Kind",
                  100,
                  50,
                  "MS Sans Serif",
                  {{IDOK, CtlClass::Button, "OK", 5, 5, 40, 14, BS_DEFPUSHBUTTON}}});
}

class TestDlg : public CDialog {
 public:
  TestDlg() : CDialog(kTmpl) {}
  CString name, ort, sel;
  CEdit edit;
  CListBox list;
  int okCount = 0, goCount = 0, changes = 0, selChanges = 0;
  bool ctrlAtGo = false;
  void DoDataExchange(CDataExchange* dx) override {
    DDX_Control(dx, kEdit, edit);
    DDX_Control(dx, kList, list);
    DDX_Text(dx, kEdit, name);
    DDV_MaxChars(dx, name, 5);
    DDX_Text(dx, kEdit2, ort);
    DDX_LBString(dx, kList, sel);
  }
  void OnOK() override {
    ++okCount;
    UpdateData(TRUE);
  }
  void OnGo() {
    ++goCount;
    ctrlAtGo = GetKeyState(VK_CONTROL) < 0;
  }
  void OnChange() { ++changes; }
  void OnSel() { ++selChanges; }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TestDlg, CDialog)
ON_BN_CLICKED(kGo, OnGo)
ON_EN_CHANGE(kEdit, OnChange)
ON_LBN_SELCHANGE(kList, OnSel)
END_MESSAGE_MAP()

class UiFramework : public ::testing::Test {
 protected:
  void SetUp() override { registerTemplates(); }
};

TEST_F(UiFramework, EnterRoutesToFocusedButtonElseDefault) {
  ScriptHost host;
  TestDlg dlg;
  host.type(kEdit, "abc")
      .key(VK_RETURN)  // edit focused: default button (hidden IDOK) -> OnOK
      .focus(kGo)
      .key(VK_RETURN, MOD_CONTROL_KEY)  // focused push button is pressed
      .check([&](CDialog&) {
        EXPECT_EQ(dlg.okCount, 1);
        EXPECT_EQ(dlg.goCount, 1);
        EXPECT_TRUE(dlg.ctrlAtGo);
        EXPECT_EQ(dlg.name, "abc");
      })
      .key(VK_ESCAPE);
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_EQ(host.remaining(), 0u);
  EXPECT_FALSE(GetKeyState(VK_CONTROL) < 0);  // modifiers belong to one event
}

TEST_F(UiFramework, MaxCharsLimitsTypingAndChangeNotifiesOutsideExchange) {
  ScriptHost host;
  TestDlg dlg;
  host.type(kEdit, "abcdefgh")
      .check([&](CDialog& d) {
        EXPECT_EQ(d.control(kEdit)->text, "abcde");
        EXPECT_EQ(dlg.changes, 5);
        dlg.name = "xy";
        dlg.UpdateData(FALSE);  // no notification during data exchange
        EXPECT_EQ(dlg.changes, 5);
        dlg.edit.SetWindowText("zz");  // outside it, one
        EXPECT_EQ(dlg.changes, 6);
      })
      .close();
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
}

TEST_F(UiFramework, SortedListSelectionAndTabOrder) {
  ScriptHost host;
  TestDlg dlg;
  host.check([&](CDialog& d) {
        EXPECT_EQ(d.focusId(), kEdit);  // first tab stop
        dlg.list.AddString("Mainz");
        dlg.list.AddString("Aachen");
        EXPECT_EQ(dlg.list.AddString("Köln"), 1);
      })
      .select(kList, 2)
      .check([&](CDialog& d) {
        EXPECT_EQ(dlg.selChanges, 1);
        dlg.UpdateData(TRUE);
        EXPECT_EQ(dlg.sel, "Mainz");
        EXPECT_EQ(d.focusId(), kList);
      })
      .key(VK_TAB)
      .check([](CDialog& d) { EXPECT_EQ(d.focusId(), kGo); })
      .key(VK_TAB, MOD_SHIFT_KEY)
      .key(VK_TAB, MOD_SHIFT_KEY)
      .check([](CDialog& d) { EXPECT_EQ(d.focusId(), kEdit2); })
      .access('N')
      .check([](CDialog& d) { EXPECT_EQ(d.focusId(), kEdit); })
      .access('l')
      .check([&](CDialog&) { EXPECT_EQ(dlg.goCount, 1); })
      .access('l', MOD_CONTROL_KEY)  // a modifier held with Alt reaches the handler
      .check([&](CDialog&) {
        EXPECT_EQ(dlg.goCount, 2);
        EXPECT_TRUE(dlg.ctrlAtGo);
      })
      .close();
  dlg.DoModal();
}

// Focus that moves into a field selects its text, so typing replaces it;
// a dialog that opens in a field with text puts the caret after the text.
TEST_F(UiFramework, FocusIntoAFieldSelectsItsTextButAnOpeningDialogDoesNot) {
  ScriptHost host;
  TestDlg dlg;
  dlg.name = "abc";
  host.check([](CDialog& d) {
        ControlState* e = d.control(kEdit);
        EXPECT_EQ(d.focusId(), kEdit);
        EXPECT_EQ(e->selStart, 3);
        EXPECT_EQ(e->selEnd, 3);
        d.control(kEdit2)->text = "Ort";
        d.GetDlgItem(kEdit2)->SetFocus();
        ControlState* e2 = d.control(kEdit2);
        EXPECT_EQ(e2->selStart, 0);
        EXPECT_EQ(e2->selEnd, 3);
        e2->selStart = e2->selEnd = 1;
        d.GetDlgItem(kEdit2)->SetFocus();  // already there: the caret stays
        EXPECT_EQ(e2->selStart, 1);
        d.GetDlgItem(kEdit)->SetFocus();
        d.GetDlgItem(kEdit2)->SetFocus();
      })
      .chars("Xy")
      .check([](CDialog& d) { EXPECT_EQ(d.control(kEdit2)->text, "Xy"); })
      .close();
  dlg.DoModal();
}

// A dialog with an edit, a list box and a list view, each list 5 entries
// a page (40 units high; the list view's heading takes a row of its 48).
enum { kListTmpl = 902, kLvEdit = 20, kLb = 21, kLv = 22, kEmptyLb = 23 };

class ListDlg : public CDialog {
 public:
  ListDlg() : CDialog(kListTmpl) {}
  CListBox lb;
  CListCtrl lv;
  int selChanges = 0;
  void DoDataExchange(CDataExchange* dx) override {
    DDX_Control(dx, kLb, lb);
    DDX_Control(dx, kLv, lv);
  }
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    for (const char* s : {"Ulm", "Aachen", "Bamberg", "Berlin", "Bonn", "Dresden", "Erfurt",
                          "Essen", "Hamburg", "Kiel",
                          "K\xF6"
                          "ln",
                          "Mainz"}) {
      lb.AddString(s);
      lv.InsertItem(0, s);
    }
    return TRUE;
  }
  void OnSel() { ++selChanges; }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ListDlg, CDialog)
ON_LBN_SELCHANGE(kLb, OnSel)
END_MESSAGE_MAP()

void registerListTemplate() {
  AfxRegisterTemplate(DlgTemplate{
      kListTmpl,
      "Listen",
      200,
      150,
      "MS Sans Serif",
      {{kLvEdit, CtlClass::Edit, "", 5, 5, 60, 14, 0},
       {kLb, CtlClass::ListBox, "", 5, 25, 60, 40, LBS_SORT | LBS_NOTIFY},
       {kLv, CtlClass::ListView, "", 70, 25, 100, 48, LVS_SORTASCENDING},
       {kEmptyLb, CtlClass::ListBox, "", 5, 80, 60, 40, LBS_NOTIFY},
       {IDCANCEL, CtlClass::Button, "Abbrechen", 120, 5, 40, 14, 0}}});
}

// Both kinds of list: the keys move the selection and scroll it into view,
// a typed letter jumps to the next entry beginning with it, the wheel
// scrolls without selecting. Entries: 0 Aachen, 1 Bamberg, 2 Berlin,
// 3 Bonn, 4 Dresden, 5 Erfurt, 6 Essen, 7 Hamburg, 8 Kiel, 9 Köln,
// 10 Mainz, 11 Ulm.
TEST_F(UiFramework, ListKeysLettersAndWheel) {
  registerListTemplate();
  const struct {
    const char* what;
    std::function<void(ScriptHost&, int)> act;
    int sel, top;
  } steps[] = {
      {"Down into a list without selection", [](ScriptHost& h, int) { h.key(VK_DOWN); }, 0, 0},
      {"End", [](ScriptHost& h, int) { h.key(VK_END); }, 11, 7},
      {"PgUp", [](ScriptHost& h, int) { h.key(VK_PRIOR); }, 6, 6},
      {"PgUp again", [](ScriptHost& h, int) { h.key(VK_PRIOR); }, 1, 1},
      {"PgUp at the top", [](ScriptHost& h, int) { h.key(VK_PRIOR); }, 0, 0},
      {"PgDn", [](ScriptHost& h, int) { h.key(VK_NEXT); }, 5, 1},
      {"Up", [](ScriptHost& h, int) { h.key(VK_UP); }, 4, 1},
      {"Home", [](ScriptHost& h, int) { h.key(VK_HOME); }, 0, 0},
      {"Up at the top stays", [](ScriptHost& h, int) { h.key(VK_UP); }, 0, 0},
      {"a letter", [](ScriptHost& h, int) { h.chars("k"); }, 8, 4},
      {"the same letter: the next entry, umlaut with its base letter",
       [](ScriptHost& h, int) { h.chars("k"); }, 9, 5},
      {"the letter again goes round", [](ScriptHost& h, int) { h.chars("K"); }, 8, 5},
      {"a letter before the selection", [](ScriptHost& h, int) { h.chars("b"); }, 1, 1},
      {"a letter no entry begins with", [](ScriptHost& h, int) { h.chars("x"); }, 1, 1},
      {"the wheel scrolls, the selection stays",
       [](ScriptHost& h, int id) { h.wheel(id, 3); }, 1, 4},
      {"the wheel stops at the end", [](ScriptHost& h, int id) { h.wheel(id, 30); }, 1, 7},
      {"and at the top", [](ScriptHost& h, int id) { h.wheel(id, -30); }, 1, 0},
      {"PgDn at the end", [](ScriptHost& h, int) { h.key(VK_END).key(VK_NEXT); }, 11, 7},
  };
  for (int id : {kLb, kLv}) {
    SCOPED_TRACE(id == kLb ? "list box" : "list view");
    ScriptHost host;
    ListDlg dlg;
    if (id == kLv) host.focus(kLb).key(VK_TAB);  // the list box keeps its selection
    for (const auto& s : steps) {
      s.act(host, id);
      host.check([&s, id](CDialog& d) {
        SCOPED_TRACE(s.what);
        const ControlState* c = d.control(id);
        EXPECT_EQ(d.focusId(), id);
        EXPECT_EQ(c->curSel, s.sel);
        EXPECT_EQ(c->topIndex, s.top);
      });
    }
    host.check([&](CDialog& d) {
      // A list box tells its handler about every selection that changed,
      // and only then.
      EXPECT_EQ(dlg.selChanges, id == kLb ? 13 : 0);
      EXPECT_EQ(d.control(kLb)->curSel, id == kLb ? 11 : -1);
    });
    host.close();
    dlg.DoModal();
  }
}

// Down from a field into a list box selects its first entry with that one
// key, unless the list already has a selection or no entries; Up goes
// back as Shift+Tab does.
TEST_F(UiFramework, DownFromAFieldIntoAListSelectsItsFirstEntry) {
  registerListTemplate();
  ScriptHost host;
  ListDlg dlg;
  host.check([](CDialog& d) { EXPECT_EQ(d.focusId(), kLvEdit); })
      .key(VK_DOWN)
      .check([&](CDialog& d) {
        EXPECT_EQ(d.focusId(), kLb);
        EXPECT_EQ(d.control(kLb)->curSel, 0);
        EXPECT_EQ(dlg.selChanges, 1);
      })
      .key(VK_DOWN)  // inside the list: the next entry
      .key(VK_TAB, MOD_SHIFT_KEY)
      .check([](CDialog& d) { EXPECT_EQ(d.focusId(), kLvEdit); })
      .key(VK_DOWN)
      .check([&](CDialog& d) {
        EXPECT_EQ(d.control(kLb)->curSel, 1);  // kept
        EXPECT_EQ(dlg.selChanges, 2);
      })
      .focus(kLv)
      .key(VK_TAB)
      .check([](CDialog& d) { EXPECT_EQ(d.focusId(), kEmptyLb); })
      .key(VK_UP)  // an empty list: no entry to move to, the focus stays
      .check([](CDialog& d) { EXPECT_EQ(d.focusId(), kEmptyLb); })
      .focus(kLv)
      .key(VK_HOME)
      .focus(IDCANCEL)
      .key(VK_UP)
      .check([](CDialog& d) { EXPECT_EQ(d.focusId(), kEmptyLb); })
      .key(VK_TAB, MOD_SHIFT_KEY)
      .key(VK_TAB)
      .check([](CDialog& d) { EXPECT_EQ(d.control(kEmptyLb)->curSel, -1); })
      .close();
  dlg.DoModal();
}

TEST_F(UiFramework, SortedListsPutUmlautsWithTheirBaseLetter) {
  ScriptHost host;
  TestDlg dlg;
  host.check([&](CDialog& d) {
        for (const char* s : {"Buttenheim",
                              "B\xFC"
                              "chenbach",
                              "Bamberg",
                              "\xC4"
                              "rzen",
                              "Zirndorf", "bad"})
          dlg.list.AddString(s);
        const std::vector<std::string> want = {
            "\xC4"
            "rzen",
            "bad",
            "Bamberg",
            "B\xFC"
            "chenbach",
            "Buttenheim",
            "Zirndorf"};
        EXPECT_EQ(d.control(kList)->items, want);
      })
      .close();
  dlg.DoModal();
}

TEST_F(UiFramework, NestedModalDisablesOwnerAndBoxesAreChecked) {
  ScriptHost host;
  TestDlg dlg;
  host.check([&](CDialog&) {
        CDialog child(kChild, &dlg);
        EXPECT_EQ(child.DoModal(), IDOK);
        EXPECT_TRUE(dlg.enabledAsOwner());
        EXPECT_EQ(dlg.MessageBox("Hallo", "Titel"), IDOK);
      })
      .expectDialog(kChild)
      .check([&](CDialog&) { EXPECT_FALSE(dlg.enabledAsOwner()); })
      .key(VK_RETURN)
      .expectBox("Hallo", "Titel")
      .close();
  dlg.DoModal();
  ASSERT_EQ(host.boxes().size(), 1u);
  EXPECT_TRUE(host.boxes()[0].owned);
  EXPECT_EQ(AfxModalStack().size(), 0u);
}

TEST_F(UiFramework, ScriptMismatchesFailClearly) {
  {
    ScriptHost host;
    TestDlg dlg;
    host.type(kEdit, "a");
    try {
      dlg.DoModal();
      FAIL() << "no error";
    } catch (const UiError& e) {
      EXPECT_NE(std::string(e.what()).find("still waits for input"), std::string::npos);
    }
    EXPECT_TRUE(AfxModalStack().empty());
  }
  {
    ScriptHost host;
    TestDlg dlg;
    host.check([&](CDialog&) { dlg.MessageBox("Unerwartet", "X"); }).close();
    EXPECT_THROW(dlg.DoModal(), UiError);
  }
  {
    ScriptHost host;
    TestDlg dlg;
    host.check([&](CDialog&) { dlg.MessageBox("A", "B"); }).expectBox("A", "C").close();
    EXPECT_THROW(dlg.DoModal(), UiError);
  }
  {
    ScriptHost host;
    TestDlg dlg;
    host.click(kHidden);  // no such control
    EXPECT_THROW(dlg.DoModal(), UiError);
  }
}

}  // namespace

#include "platform/ui/cp1252.h"

namespace {
TEST(UiCp1252, RoundTripsGermanLettersAndMarksWhatItCannotHold) {
  const std::string cp = "M\xFCnchen \xC4\xD6\xDC\xE4\xF6\xDF \x80";
  const std::string utf = Cp1252ToUtf8(cp);
  EXPECT_EQ(utf, "M\xC3\xBCnchen \xC3\x84\xC3\x96\xC3\x9C\xC3\xA4\xC3\xB6\xC3\x9F \xE2\x82\xAC");
  EXPECT_EQ(Utf8ToCp1252(utf), cp);
  EXPECT_EQ(Utf8ToCp1252("\xE2\x86\x92"), "?");  // an arrow is not in the code page
  EXPECT_EQ(Utf8ToCp1252("a\xC3"), "a?");        // cut sequence
  EXPECT_EQ(Cp1252ToUtf8("\x81"), "?");          // hole of the code page
}
}  // namespace
