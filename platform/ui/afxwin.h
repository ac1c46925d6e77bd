// afxwin.h - our small dialog framework.
//
// The dialog application is written as classes of a dialog framework:
// an application object, modal dialogs built from templates, data exchange
// between controls and members, control wrappers, message boxes and a
// system menu. This header is that framework, written for this program and
// nothing more. It is headless: dialogs, their controls, focus, visibility,
// enabled state and key routing live in plain objects here. What the user
// sees and types comes from a UiHost (uihost.h): the terminal front end for
// a person, the scripted host for tests.
//
// Texts inside the model are bytes in the Windows character set (code page
// 1252), as the application produces them; a host converts at its edge.
#ifndef ZOLMA_PLATFORM_UI_AFXWIN_H
#define ZOLMA_PLATFORM_UI_AFXWIN_H

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

typedef int BOOL;
typedef unsigned int UINT;
typedef std::uintptr_t WPARAM;
typedef std::intptr_t LPARAM;
typedef long LRESULT;
#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

// Standard command ids and message box results.
enum : int { IDOK = 1, IDCANCEL = 2 };
enum : int { ID_HELP = 0xE146 };

// Message box types (only OK is used by the application).
enum : UINT {
  MB_OK = 0x0,
  MB_ICONEXCLAMATION = 0x30,
  MB_ICONSTOP = 0x10,
  MB_ICONINFORMATION = 0x40
};

// ShowWindow commands.
enum : int { SW_HIDE = 0, SW_SHOW = 5 };

// Virtual key codes the framework routes.
enum : int {
  VK_BACK = 0x08,
  VK_TAB = 0x09,
  VK_RETURN = 0x0D,
  VK_SHIFT = 0x10,
  VK_CONTROL = 0x11,
  VK_MENU = 0x12,
  VK_ESCAPE = 0x1B,
  VK_PRIOR = 0x21,
  VK_NEXT = 0x22,
  VK_END = 0x23,
  VK_HOME = 0x24,
  VK_LEFT = 0x25,
  VK_UP = 0x26,
  VK_RIGHT = 0x27,
  VK_DOWN = 0x28,
  VK_DELETE = 0x2E
};

// Modifier bits of an input event.
enum : unsigned { MOD_SHIFT_KEY = 1, MOD_CONTROL_KEY = 2, MOD_ALT_KEY = 4 };

// The key state of the event being handled: negative while the key is down.
short GetKeyState(int vk);

// System menu flags and commands.
enum : UINT { MF_STRING = 0x0, MF_SEPARATOR = 0x800 };
enum : UINT { SC_CLOSE = 0xF060 };
enum : UINT { WM_ICONERASEBKGND = 0x0027 };
// Control messages the model understands through SendMessage.
enum : UINT {
  EM_SETSEL = 0x00B1,
  EM_SCROLLCARET = 0x00B7,
  EM_LIMITTEXT = 0x00C5,
  LVM_DELETEALLITEMS = 0x1009,
  LVM_SETEXTENDEDLISTVIEWSTYLE = 0x1036
};

// Window and control styles kept by the model (values as the templates use
// them; the model reads only the ones it acts on).
enum : std::uint32_t {
  WS_TABSTOP = 0x00010000,
  WS_VISIBLE = 0x10000000,
  WS_DISABLED = 0x08000000,
  WS_BORDER = 0x00800000,
  WS_VSCROLL = 0x00200000,
  ES_AUTOHSCROLL = 0x0080,
  BS_DEFPUSHBUTTON = 0x0001,
  SS_RIGHT = 0x0002,
  SS_NOPREFIX = 0x0080,
  LBS_SORT = 0x0002,
  LBS_NOTIFY = 0x0001,
  LVS_REPORT = 0x0001,
  LVS_TYPEMASK = 0x0003,
  LVS_SORTASCENDING = 0x0010,
  LVS_ALIGNLEFT = 0x0800
};
enum : std::uint32_t { LVS_EX_FULLROWSELECT = 0x20 };
enum : int { LVCFMT_LEFT = 0 };
enum : UINT { LVIF_TEXT = 1 };

// List box results.
enum : int { LB_ERR = -1 };

// ---------------------------------------------------------------------------
// CString: the framework's string, a byte string in code page 1252.
class CString {
 public:
  CString() = default;
  CString(const char* s) : s_(s ? s : "") {}
  CString(const std::string& s) : s_(s) {}
  operator const char*() const { return s_.c_str(); }
  const std::string& str() const { return s_; }
  int GetLength() const { return static_cast<int>(s_.size()); }
  bool IsEmpty() const { return s_.empty(); }
  void Empty() { s_.clear(); }
  // Removes white space (blank, tab, CR, LF, VT, FF) at either end.
  void TrimLeft();
  void TrimRight();
  CString Left(int n) const;
  void Format(const char* fmt, ...);
  CString& operator=(const char* s) {
    s_ = s ? s : "";
    return *this;
  }
  CString& operator+=(const char* s) {
    s_ += s ? s : "";
    return *this;
  }
  bool operator==(const char* s) const { return s_ == (s ? s : ""); }
  bool operator==(const CString& o) const { return s_ == o.s_; }
  bool operator!=(const char* s) const { return !(*this == s); }

 private:
  std::string s_;
};

// ---------------------------------------------------------------------------
// Dialog templates.
enum class CtlClass { Static, Edit, Button, ListBox, ListView, Bitmap, Icon };

struct DlgItemTemplate {
  int id;  // -1 for a plain label without id
  CtlClass cls;
  std::string caption;  // label or button text; bitmap/icon resource number as text
  int x, y, cx, cy;     // dialog units
  std::uint32_t style;  // WS_VISIBLE is implied unless `hidden`
  bool hidden = false;
};

struct DlgTemplate {
  int id;
  std::string caption;
  int cx, cy;  // dialog units
  std::string font;
  std::vector<DlgItemTemplate> items;  // template order is tab order
};

// The application registers its templates and string resources here.
void AfxRegisterTemplate(const DlgTemplate& t);
const DlgTemplate* AfxFindTemplate(int id);
void AfxRegisterString(int id, const char* text);
BOOL AfxLoadString(int id, CString& out);

typedef struct IconTag* HICON;
HICON AfxLoadIcon(int resourceId);

// ---------------------------------------------------------------------------
// Control state held by a running dialog.
struct ListViewColumn {
  std::string text;
  int width;
};

struct ControlState {
  int id = -1;
  CtlClass cls = CtlClass::Static;
  std::string text;
  int x = 0, y = 0, cx = 0, cy = 0;
  std::uint32_t style = 0;
  bool visible = true;
  bool enabled = true;
  bool isDefault = false;          // BS_DEFPUSHBUTTON
  int limitText = 0;               // edit: maximum characters, 0 = none
  int selStart = 0, selEnd = 0;    // edit selection; caret at selEnd
  bool caretScrolled = false;      // edit: caret scrolled into view after a selection
  std::vector<std::string> items;  // list box entries (sorted when LBS_SORT)
  int curSel = -1;
  // Lists: the first entry shown, and how many entries a page shows (set
  // by the host that draws the list; 0 until then, when the height of the
  // template counts, 8 dialog units an entry).
  int topIndex = 0;
  int pageRows = 0;
  // List view.
  std::vector<ListViewColumn> columns;
  std::vector<std::vector<std::string>> rows;
  std::uint32_t exStyle = 0;
};

// A list box or a list view, and the number of its entries.
inline bool IsListControl(const ControlState& c) {
  return c.cls == CtlClass::ListBox || c.cls == CtlClass::ListView;
}
inline int ListEntryCount(const ControlState& c) {
  return static_cast<int>(c.cls == CtlClass::ListView ? c.rows.size() : c.items.size());
}

class CDialog;
class CDataExchange;

// A rectangle; the model measures windows in dialog units.
struct CRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

// System metrics: the size of an icon (in the model's units).
enum : int { SM_CXICON = 11, SM_CYICON = 12 };
int GetSystemMetrics(int index);

// ---------------------------------------------------------------------------
// CWnd: a window of the model, either a dialog or one of its controls.
class CWnd {
 public:
  CWnd() = default;
  virtual ~CWnd() = default;

  void SetWindowText(const char* text);
  void GetWindowText(CString& out) const;
  int GetWindowTextLength() const;
  BOOL ShowWindow(int cmd);
  BOOL EnableWindow(BOOL enable = TRUE);
  BOOL IsWindowEnabled() const;
  BOOL IsWindowVisible() const;
  CWnd* SetFocus();
  int GetDlgCtrlID() const;
  CWnd* GetDlgItem(int id) const;
  BOOL IsIconic() const { return FALSE; }
  // The client area: origin 0, 0 and the template's size.
  void GetClientRect(CRect* rect) const;
  int MessageBox(const char* text, const char* caption = nullptr, UINT type = MB_OK);
  LRESULT SendMessage(UINT msg, WPARAM w = 0, LPARAM l = 0);

  // The model's view of this window.
  ControlState* state() const;
  CDialog* dialog() const { return dlg_; }
  bool attached() const { return dlg_ != nullptr; }
  void Attach(CDialog* dlg, int id);  // a control of dlg; id 0 = the dialog itself

 protected:
  CDialog* dlg_ = nullptr;
  int id_ = 0;
};

CWnd* GetFocus();

class CStatic : public CWnd {};

class CButton : public CWnd {};

class CEdit : public CWnd {
 public:
  void SetSel(int start, int end);  // -1 as end selects to the end
  void LimitText(int n);
  void ReplaceSel(const char* text);
  void GetSel(int& start, int& end) const;
};

class CListBox : public CWnd {
 public:
  int AddString(const char* s);  // returns the index where it went
  void ResetContent();
  int GetCount() const;
  int GetCurSel() const;
  int SetCurSel(int i);
  int GetText(int i, CString& out) const;
  int SelectString(int after, const char* prefix);
};

struct LVITEM {
  UINT mask;
  int iItem;
  int iSubItem;
  const char* pszText;
};

class CListCtrl : public CWnd {
 public:
  BOOL DeleteAllItems();
  int InsertColumn(int col, const char* heading, int format = LVCFMT_LEFT, int width = -1,
                   int subItem = -1);
  int InsertItem(const LVITEM* item);
  int InsertItem(int pos, const char* text);
  BOOL SetItemText(int item, int sub, const char* text);
  int GetItemCount() const;
  CString GetItemText(int item, int sub) const;
  BOOL ModifyStyle(std::uint32_t remove, std::uint32_t add);
  std::uint32_t SetExtendedStyle(std::uint32_t ex);
};

class CMenu {
 public:
  struct Item {
    UINT flags;
    UINT id;
    std::string text;
  };
  BOOL AppendMenu(UINT flags, UINT id = 0, const char* text = nullptr);
  const std::vector<Item>& items() const { return items_; }

 private:
  std::vector<Item> items_;
};

class CPaintDC {
 public:
  explicit CPaintDC(CWnd*) {}
  void DrawIcon(int, int, HICON) {}
  void* GetSafeHdc() const { return nullptr; }
};

// ---------------------------------------------------------------------------
// Data exchange.
class CDataExchange {
 public:
  CDataExchange(CDialog* dlg, BOOL save) : m_pDlgWnd(dlg), m_bSaveAndValidate(save) {}
  CDialog* m_pDlgWnd;
  BOOL m_bSaveAndValidate;
  int m_idLastControl = 0;  // the control DDV_MaxChars applies to
};

void DDX_Control(CDataExchange* dx, int id, CWnd& control);
void DDX_Text(CDataExchange* dx, int id, CString& value);
void DDX_LBString(CDataExchange* dx, int id, CString& value);
void DDV_MaxChars(CDataExchange* dx, const CString& value, int maxChars);

// ---------------------------------------------------------------------------
// Message maps: one entry per notification the class handles.
enum class Notify { Clicked, EditChange, SelChange, SelCancel };

struct MsgMapEntry {
  Notify code;
  int id;
  void (CDialog::*handler)();
};

#define DECLARE_MESSAGE_MAP() \
 public:                      \
  const std::vector<MsgMapEntry>& GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(cls, base)                           \
  const std::vector<MsgMapEntry>& cls::GetMessageMap() const { \
    typedef cls ThisClass;                                     \
    static const std::vector<MsgMapEntry> entries = {
#define ON_BN_CLICKED(id, fn) \
  {Notify::Clicked, id, static_cast<void (CDialog::*)()>(&ThisClass::fn)},
#define ON_EN_CHANGE(id, fn) \
  {Notify::EditChange, id, static_cast<void (CDialog::*)()>(&ThisClass::fn)},
#define ON_LBN_SELCHANGE(id, fn) \
  {Notify::SelChange, id, static_cast<void (CDialog::*)()>(&ThisClass::fn)},
#define ON_LBN_SELCANCEL(id, fn) \
  {Notify::SelCancel, id, static_cast<void (CDialog::*)()>(&ThisClass::fn)},
#define END_MESSAGE_MAP() \
  }                       \
  ;                       \
  return entries;         \
  }

// ---------------------------------------------------------------------------
// CDialog: a modal dialog built from a template.
class CDialog : public CWnd {
 public:
  explicit CDialog(int templateId, CWnd* parent = nullptr);
  ~CDialog() override;

  // Runs the dialog modally: builds its controls, calls OnInitDialog, hands
  // the dialog to the host's modal loop and returns the EndDialog result.
  virtual int DoModal();
  void EndDialog(int result);
  BOOL UpdateData(BOOL save = TRUE);

  virtual const std::vector<MsgMapEntry>& GetMessageMap() const;
  virtual void DoDataExchange(CDataExchange*) {}
  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();
  virtual void OnSysCommand(UINT id, LPARAM param);
  virtual void OnPaint() {}

  CMenu* GetSystemMenu(BOOL revert);
  void SetIcon(HICON icon, BOOL big);
  HICON GetIcon(BOOL big) const { return big ? bigIcon_ : smallIcon_; }

  // --- Input routing; the hosts call these for the event being handled. ---
  // Each sets the event's modifier state (GetKeyState) while it runs.
  void KeyDown(int vk, unsigned mods = 0);
  void Char(unsigned char ch, unsigned mods = 0);  // typed character, cp1252
  void AccessKey(char letter, unsigned mods = 0);  // Alt + letter (+ mods)
  void Click(int id, unsigned mods = 0);           // mouse click on a control
  void SelectListItem(int id, int index);          // user selection in a list
  void ScrollList(int id, int lines);              // mouse wheel over a list
  void CancelListSelection(int id);
  void SysCommand(UINT id);
  void TypeText(int id, const std::string& text);  // focus id, replace its text as typed

  // --- Model queries (hosts and tests). ---
  bool ended() const { return ended_; }
  int result() const { return result_; }
  bool running() const { return running_; }
  int templateId() const { return templateId_; }
  const DlgTemplate* dlgTemplate() const { return tmpl_; }
  std::vector<ControlState>& controls() { return controls_; }
  ControlState* control(int id);
  int focusId() const { return focusId_; }
  ControlState* focused();
  const std::string& title() const { return title_; }
  CWnd* owner() const { return parent_; }
  bool enabledAsOwner() const { return ownerEnabled_; }
  const CMenu& systemMenu() const { return sysMenu_; }

  // Used by the framework's own functions.
  void setTitle(const std::string& t) { title_ = t; }
  void setFocusIndex(int index);
  int indexOf(const ControlState* c) const;
  void notify(Notify code, int id);
  bool inDataExchange() const { return inDataExchange_; }
  void setOwnerEnabled(bool e) { ownerEnabled_ = e; }

 protected:
  CWnd* parent_;

 private:
  void buildControls();
  void moveFocus(bool backwards);
  // The keys of a focused list box or list view; false for a key a list
  // does not take.
  bool listKey(ControlState& list, int vk);
  // Selects an entry of a list, scrolls it into view and tells a list box's
  // handler when the selection changed.
  void listSelect(ControlState& list, int index);
  void pressButton(int id);
  void onCommand(int id);

  int templateId_;
  const DlgTemplate* tmpl_ = nullptr;
  std::vector<ControlState> controls_;
  std::string title_;
  int focusId_ = 0;  // 0 = no focus
  bool ended_ = false;
  bool running_ = false;
  int result_ = -1;
  bool inDataExchange_ = false;
  bool ownerEnabled_ = true;
  CMenu sysMenu_;
  CDialog* ownerDlg_ = nullptr;                    // disabled while this dialog runs
  std::map<int, std::unique_ptr<CWnd>> wrappers_;  // GetDlgItem's objects
  friend class CWnd;
  HICON bigIcon_ = nullptr, smallIcon_ = nullptr;
};

// The stack of dialogs running modally; the innermost last.
const std::vector<CDialog*>& AfxModalStack();

// Ownerless message box.
int AfxMessageBox(const char* text, UINT type = MB_OK, const char* caption = nullptr);

// ---------------------------------------------------------------------------
// The application object.
class CWinApp {
 public:
  explicit CWinApp(const char* appName = nullptr);
  virtual ~CWinApp();
  virtual BOOL InitInstance() { return FALSE; }
  // Called by the framework after InitInstance; its result is the process
  // exit code.
  virtual int ExitInstance() { return 0; }
  void OnHelp() {}
  const char* m_pszAppName = nullptr;
  CWnd* m_pMainWnd = nullptr;

 private:
  std::string appName_;
};

CWinApp* AfxGetApp();
// Sets the application name as the framework takes it from the program's
// file name without extension.
void AfxSetAppName(const char* name);

// The framework's run: calls the application object's InitInstance, then
// its ExitInstance, and returns the latter's result as the process exit
// code; 130 when the person at the terminal ended the program with Ctrl+C
// (UiInterrupt, uihost.h).
int AfxWinMain();

#endif  // ZOLMA_PLATFORM_UI_AFXWIN_H
