// afxwin.cpp - the headless dialog model behind afxwin.h.
//
// Owns the resource registry (templates, strings, icons), the modal stack,
// the modifier state of the event being handled, and the behaviour of
// dialogs and controls: focus, key routing, data exchange and
// notifications. Drawing and input belong to the installed UiHost.
#include "platform/ui/afxwin.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/ui/uihost.h"

namespace {

std::map<int, DlgTemplate>& templates() {
  static std::map<int, DlgTemplate> t;
  return t;
}
std::map<int, std::string>& strings() {
  static std::map<int, std::string> s;
  return s;
}
std::vector<CDialog*> g_modal;
UiHost* g_host = nullptr;
unsigned g_mods = 0;  // modifiers of the event being handled
CWinApp* g_app = nullptr;
std::string g_appName = "zolma";

// Sets the event's modifier state for the duration of one handler.
class ModScope {
 public:
  explicit ModScope(unsigned m) : saved_(g_mods) { g_mods = m; }
  ~ModScope() { g_mods = saved_; }
  ModScope(const ModScope&) = delete;
  ModScope& operator=(const ModScope&) = delete;

 private:
  unsigned saved_;
};

bool isWhite(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

unsigned char upper(unsigned char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c;
}

// The sort key of one code page 1252 character for sorted lists: letters
// compare without regard to case, and the accented letters of the code page
// sort with their base letter (ä with a, ö with o, ü with u; ß as s), the
// way a reader of a German list expects. Ties are broken by the bytes.
unsigned char sortBase(unsigned char c) {
  static const char kBase[64 + 1] =
      "AAAAAAACEEEEIIII"   // 0xC0 - 0xCF
      "DNOOOOO*OUUUUYTS"   // 0xD0 - 0xDF
      "AAAAAAACEEEEIIII"   // 0xE0 - 0xEF
      "DNOOOOO/OUUUUYTY";  // 0xF0 - 0xFF
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
  if (c >= 0xC0) {
    char b = kBase[c - 0xC0];
    if (b != '*' && b != '/') return static_cast<unsigned char>(b);
  }
  return c;
}

int compareNoCase(const std::string& a, const std::string& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = sortBase(static_cast<unsigned char>(a[i]));
    unsigned char y = sortBase(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = upper(static_cast<unsigned char>(a[i]));
    unsigned char y = upper(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}

bool isTabStop(const ControlState& c) {
  switch (c.cls) {
    case CtlClass::Edit:
    case CtlClass::Button:
    case CtlClass::ListBox:
    case CtlClass::ListView:
      return true;
    default:
      return false;
  }
}

// The text an entry of a list begins with: a list box's entry, the first
// column of a list view's row.
const std::string& listEntry(const ControlState& c, int i) {
  static const std::string none;
  size_t k = static_cast<size_t>(i);
  if (c.cls == CtlClass::ListView) return c.rows[k].empty() ? none : c.rows[k][0];
  return c.items[k];
}

// The entries a page of the list shows: as the host last drew it, else
// from the template's height (a list view's heading takes one row).
int listPage(const ControlState& c) {
  if (c.pageRows > 0) return c.pageRows;
  return std::max(1, c.cy / 8 - (c.cls == CtlClass::ListView ? 1 : 0));
}

// Scrolls the list so that entry i is in view, the page filled as far as
// the entries reach.
void showEntry(ControlState& c, int i) {
  int page = listPage(c);
  if (i >= 0 && i < c.topIndex) c.topIndex = i;
  if (i >= c.topIndex + page) c.topIndex = i - page + 1;
  c.topIndex = std::clamp(c.topIndex, 0, std::max(0, ListEntryCount(c) - page));
}

// The next entry after the selection, going round, that begins with the
// letter typed (letters as the sorted list orders them: without regard to
// case, umlauts with their base letter); -1 when none does.
int nextEntryWith(const ControlState& c, unsigned char letter) {
  int n = ListEntryCount(c);
  for (int k = 1; k <= n; ++k) {
    int i = ((c.curSel < 0 ? -1 : c.curSel) + k) % n;
    const std::string& e = listEntry(c, i);
    if (!e.empty() && sortBase(static_cast<unsigned char>(e[0])) == sortBase(letter)) return i;
  }
  return -1;
}

UiHost& host() {
  if (!g_host) throw UiError("no user interface host is installed");
  return *g_host;
}

// The access-key letter of a caption ("&Berechnen" -> 'B'), 0 if none.
char accessLetter(const std::string& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] == '&') {
      if (caption[i + 1] == '&') {
        ++i;
        continue;
      }
      return static_cast<char>(upper(static_cast<unsigned char>(caption[i + 1])));
    }
  }
  return 0;
}

}  // namespace

struct IconTag {
  int id;
};

short GetKeyState(int vk) {
  unsigned bit = 0;
  if (vk == VK_SHIFT) bit = MOD_SHIFT_KEY;
  if (vk == VK_CONTROL) bit = MOD_CONTROL_KEY;
  if (vk == VK_MENU) bit = MOD_ALT_KEY;
  return (g_mods & bit) ? static_cast<short>(-32768) : 0;
}

// --- CString ---------------------------------------------------------------

void CString::TrimLeft() {
  size_t i = 0;
  while (i < s_.size() && isWhite(s_[i])) ++i;
  s_.erase(0, i);
}

void CString::TrimRight() {
  while (!s_.empty() && isWhite(s_.back())) s_.pop_back();
}

CString CString::Left(int n) const {
  if (n <= 0) return CString();
  return CString(s_.substr(0, static_cast<size_t>(n)));
}

void CString::Format(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  va_list ap2;
  va_copy(ap2, ap);
  int n = std::vsnprintf(nullptr, 0, fmt, ap);
  va_end(ap);
  if (n < 0) {
    va_end(ap2);
    s_.clear();
    return;
  }
  std::string out(static_cast<size_t>(n) + 1, '\0');
  std::vsnprintf(out.data(), out.size(), fmt, ap2);
  va_end(ap2);
  out.resize(static_cast<size_t>(n));
  s_ = std::move(out);
}

// --- Resources ---------------------------------------------------------------

void AfxRegisterTemplate(const DlgTemplate& t) { templates()[t.id] = t; }

const DlgTemplate* AfxFindTemplate(int id) {
  auto it = templates().find(id);
  return it == templates().end() ? nullptr : &it->second;
}

void AfxRegisterString(int id, const char* text) { strings()[id] = text ? text : ""; }

BOOL AfxLoadString(int id, CString& out) {
  auto it = strings().find(id);
  if (it == strings().end()) {
    out.Empty();
    return FALSE;
  }
  out = it->second.c_str();
  return TRUE;
}

HICON AfxLoadIcon(int resourceId) {
  static std::map<int, std::unique_ptr<IconTag>> icons;
  auto& slot = icons[resourceId];
  if (!slot) slot = std::make_unique<IconTag>(IconTag{resourceId});
  return slot.get();
}

UiHost* AfxSetHost(UiHost* h) {
  UiHost* old = g_host;
  g_host = h;
  return old;
}

const std::vector<CDialog*>& AfxModalStack() { return g_modal; }

int AfxMessageBox(const char* text, UINT type, const char* caption) {
  return host().MessageBox(nullptr, text ? text : "", caption ? caption : g_appName, type);
}

// --- CWnd --------------------------------------------------------------------

void CWnd::Attach(CDialog* dlg, int id) {
  dlg_ = dlg;
  id_ = id;
}

ControlState* CWnd::state() const {
  if (!dlg_ || id_ == 0) return nullptr;
  return dlg_->control(id_);
}

void CWnd::SetWindowText(const char* text) {
  std::string t = text ? text : "";
  if (dlg_ && id_ == 0) {
    dlg_->setTitle(t);
    return;
  }
  ControlState* c = state();
  if (!c) return;
  bool changed = c->text != t;
  c->text = t;
  if (c->cls == CtlClass::Edit) {
    c->selStart = c->selEnd = 0;
    if (changed && !dlg_->inDataExchange()) dlg_->notify(Notify::EditChange, id_);
  }
  if (g_host) g_host->Invalidate();
}

void CWnd::GetWindowText(CString& out) const {
  if (dlg_ && id_ == 0) {
    out = dlg_->title().c_str();
    return;
  }
  ControlState* c = state();
  out = c ? c->text.c_str() : "";
}

int CWnd::GetWindowTextLength() const {
  CString s;
  GetWindowText(s);
  return s.GetLength();
}

BOOL CWnd::ShowWindow(int cmd) {
  ControlState* c = state();
  if (!c) return FALSE;
  BOOL was = c->visible;
  c->visible = cmd != SW_HIDE;
  if (!c->visible && dlg_->focusId() == id_) dlg_->setFocusIndex(-1);
  return was;
}

BOOL CWnd::EnableWindow(BOOL enable) {
  ControlState* c = state();
  if (!c) return FALSE;
  BOOL wasDisabled = !c->enabled;
  c->enabled = enable != FALSE;
  if (!c->enabled && dlg_->focusId() == id_) dlg_->setFocusIndex(-1);
  return wasDisabled;
}

BOOL CWnd::IsWindowEnabled() const {
  if (dlg_ && id_ == 0) return dlg_->enabledAsOwner();
  ControlState* c = state();
  return c && c->enabled;
}

BOOL CWnd::IsWindowVisible() const {
  if (dlg_ && id_ == 0) return dlg_->running();
  ControlState* c = state();
  return c && c->visible;
}

CWnd* CWnd::SetFocus() {
  CWnd* before = GetFocus();
  if (!dlg_) return before;
  if (id_ == 0) return before;
  ControlState* c = state();
  if (!c) return before;
  bool moved = dlg_->focusId() != id_;
  dlg_->setFocusIndex(dlg_->indexOf(c));
  // Focus that moves into an edit selects its whole text, as Tab does, so
  // that typing replaces what the field held.
  if (moved && c->cls == CtlClass::Edit) {
    c->selStart = 0;
    c->selEnd = static_cast<int>(c->text.size());
  }
  return before;
}

int CWnd::GetDlgCtrlID() const { return id_; }

void CWnd::GetClientRect(CRect* rect) const {
  if (!rect) return;
  *rect = CRect{};
  if (dlg_ && id_ == 0) {
    if (const DlgTemplate* t = dlg_->dlgTemplate()) {
      rect->right = t->cx;
      rect->bottom = t->cy;
    }
    return;
  }
  if (ControlState* c = state()) {
    rect->right = c->cx;
    rect->bottom = c->cy;
  }
}

int GetSystemMetrics(int index) {
  // An icon covers 8 x 8 dialog units, about 32 x 32 pixels.
  return index == SM_CXICON || index == SM_CYICON ? 8 : 0;
}

CWnd* CWnd::GetDlgItem(int id) const {
  CDialog* d = dlg_;
  if (!d || id_ != 0) return nullptr;
  if (!d->control(id)) return nullptr;
  auto& w = d->wrappers_[id];
  if (!w) {
    w = std::make_unique<CWnd>();
    w->Attach(d, id);
  }
  return w.get();
}

CWnd* GetFocus() {
  if (g_modal.empty()) return nullptr;
  CDialog* d = g_modal.back();
  if (d->focusId() == 0) return nullptr;
  return d->GetDlgItem(d->focusId());
}

int CWnd::MessageBox(const char* text, const char* caption, UINT type) {
  CDialog* owner = dlg_;
  bool was = owner ? owner->enabledAsOwner() : false;
  if (owner) owner->setOwnerEnabled(false);
  struct Restore {
    CDialog* d;
    bool was;
    ~Restore() {
      if (d) d->setOwnerEnabled(was);
    }
  } restore{owner, was};
  return host().MessageBox(owner, text ? text : "", caption ? caption : g_appName, type);
}

LRESULT CWnd::SendMessage(UINT msg, WPARAM w, LPARAM l) {
  ControlState* c = state();
  switch (msg) {
    case EM_SETSEL:
      if (c) static_cast<CEdit*>(this)->SetSel(static_cast<int>(w), static_cast<int>(l));
      return 0;
    case EM_SCROLLCARET:
      if (c) c->caretScrolled = true;
      return 1;
    case EM_LIMITTEXT:
      if (c) c->limitText = static_cast<int>(w);
      return 0;
    case LVM_DELETEALLITEMS:
      if (c) {
        c->rows.clear();
        c->curSel = -1;
        c->topIndex = 0;
      }
      return 1;
    case LVM_SETEXTENDEDLISTVIEWSTYLE:
      if (c) {
        std::uint32_t old = c->exStyle;
        std::uint32_t mask = w ? static_cast<std::uint32_t>(w) : 0xFFFFFFFFu;
        c->exStyle = (c->exStyle & ~mask) | (static_cast<std::uint32_t>(l) & mask);
        return static_cast<LRESULT>(old);
      }
      return 0;
    default:
      return 0;
  }
}

// --- CEdit -------------------------------------------------------------------

void CEdit::SetSel(int start, int end) {
  ControlState* c = state();
  if (!c) return;
  int len = static_cast<int>(c->text.size());
  if (end < 0 || end > len) end = len;
  if (start < 0) {
    start = end = len;  // start -1 removes the selection
  }
  if (start > len) start = len;
  c->selStart = std::min(start, end);
  c->selEnd = std::max(start, end);
  c->caretScrolled = false;
}

void CEdit::GetSel(int& start, int& end) const {
  ControlState* c = state();
  start = c ? c->selStart : 0;
  end = c ? c->selEnd : 0;
}

void CEdit::LimitText(int n) {
  ControlState* c = state();
  if (c) c->limitText = n;
}

void CEdit::ReplaceSel(const char* text) {
  ControlState* c = state();
  if (!c) return;
  std::string t = text ? text : "";
  int s = std::clamp(c->selStart, 0, static_cast<int>(c->text.size()));
  int e = std::clamp(c->selEnd, s, static_cast<int>(c->text.size()));
  std::string next =
      c->text.substr(0, static_cast<size_t>(s)) + t + c->text.substr(static_cast<size_t>(e));
  if (c->limitText > 0 && static_cast<int>(next.size()) > c->limitText) {
    // The edit takes only as much as its limit leaves room for.
    int room = c->limitText - (static_cast<int>(c->text.size()) - (e - s));
    if (room <= 0) return;
    t.resize(static_cast<size_t>(room));
    next = c->text.substr(0, static_cast<size_t>(s)) + t + c->text.substr(static_cast<size_t>(e));
  }
  c->text = next;
  c->selStart = c->selEnd = s + static_cast<int>(t.size());
  if (!dlg_->inDataExchange()) dlg_->notify(Notify::EditChange, id_);
}

// --- CListBox ----------------------------------------------------------------

int CListBox::AddString(const char* s) {
  ControlState* c = state();
  if (!c) return LB_ERR;
  std::string t = s ? s : "";
  size_t pos = c->items.size();
  if (c->style & LBS_SORT) {
    pos = 0;
    while (pos < c->items.size() && compareNoCase(c->items[pos], t) <= 0) ++pos;
  }
  c->items.insert(c->items.begin() + static_cast<std::ptrdiff_t>(pos), t);
  if (c->curSel >= static_cast<int>(pos)) ++c->curSel;
  return static_cast<int>(pos);
}

void CListBox::ResetContent() {
  ControlState* c = state();
  if (!c) return;
  c->items.clear();
  c->curSel = -1;
  c->topIndex = 0;
}

int CListBox::GetCount() const {
  ControlState* c = state();
  return c ? static_cast<int>(c->items.size()) : 0;
}

int CListBox::GetCurSel() const {
  ControlState* c = state();
  return c ? c->curSel : LB_ERR;
}

int CListBox::SetCurSel(int i) {
  ControlState* c = state();
  if (!c) return LB_ERR;
  if (i < 0 || i >= static_cast<int>(c->items.size())) {
    c->curSel = -1;
    return i == -1 ? 0 : LB_ERR;
  }
  c->curSel = i;
  showEntry(*c, i);
  return i;
}

int CListBox::GetText(int i, CString& out) const {
  ControlState* c = state();
  if (!c || i < 0 || i >= static_cast<int>(c->items.size())) return LB_ERR;
  out = c->items[static_cast<size_t>(i)].c_str();
  return out.GetLength();
}

int CListBox::SelectString(int after, const char* prefix) {
  ControlState* c = state();
  if (!c) return LB_ERR;
  std::string p = prefix ? prefix : "";
  int n = static_cast<int>(c->items.size());
  for (int k = 0; k < n; ++k) {
    int i = (after + 1 + k) % n;
    if (i < 0) i += n;
    const std::string& item = c->items[static_cast<size_t>(i)];
    if (item.size() >= p.size() && compareNoCase(item.substr(0, p.size()), p) == 0) {
      c->curSel = i;
      showEntry(*c, i);
      return i;
    }
  }
  return LB_ERR;
}

// --- CListCtrl ---------------------------------------------------------------

BOOL CListCtrl::DeleteAllItems() { return SendMessage(LVM_DELETEALLITEMS) != 0; }

int CListCtrl::InsertColumn(int col, const char* heading, int, int width, int) {
  ControlState* c = state();
  if (!c) return -1;
  col = std::clamp(col, 0, static_cast<int>(c->columns.size()));
  c->columns.insert(c->columns.begin() + col, ListViewColumn{heading ? heading : "", width});
  for (auto& r : c->rows)
    r.insert(r.begin() + std::min<std::ptrdiff_t>(col, static_cast<std::ptrdiff_t>(r.size())), "");
  return col;
}

int CListCtrl::InsertItem(const LVITEM* item) {
  if (!item) return -1;
  return InsertItem(item->iItem, (item->mask & LVIF_TEXT) && item->pszText ? item->pszText : "");
}

int CListCtrl::InsertItem(int pos, const char* text) {
  ControlState* c = state();
  if (!c) return -1;
  std::vector<std::string> row(std::max<size_t>(c->columns.size(), 1));
  row[0] = text ? text : "";
  size_t at;
  if (c->style & LVS_SORTASCENDING) {
    at = 0;
    while (at < c->rows.size() && compareNoCase(c->rows[at][0], row[0]) <= 0) ++at;
  } else {
    at = static_cast<size_t>(std::clamp(pos, 0, static_cast<int>(c->rows.size())));
  }
  c->rows.insert(c->rows.begin() + static_cast<std::ptrdiff_t>(at), std::move(row));
  return static_cast<int>(at);
}

BOOL CListCtrl::SetItemText(int item, int sub, const char* text) {
  ControlState* c = state();
  if (!c || item < 0 || item >= static_cast<int>(c->rows.size()) || sub < 0) return FALSE;
  auto& r = c->rows[static_cast<size_t>(item)];
  if (static_cast<size_t>(sub) >= r.size()) r.resize(static_cast<size_t>(sub) + 1);
  r[static_cast<size_t>(sub)] = text ? text : "";
  return TRUE;
}

int CListCtrl::GetItemCount() const {
  ControlState* c = state();
  return c ? static_cast<int>(c->rows.size()) : 0;
}

CString CListCtrl::GetItemText(int item, int sub) const {
  ControlState* c = state();
  if (!c || item < 0 || item >= static_cast<int>(c->rows.size()) || sub < 0) return CString();
  const auto& r = c->rows[static_cast<size_t>(item)];
  if (static_cast<size_t>(sub) >= r.size()) return CString();
  return CString(r[static_cast<size_t>(sub)]);
}

BOOL CListCtrl::ModifyStyle(std::uint32_t remove, std::uint32_t add) {
  ControlState* c = state();
  if (!c) return FALSE;
  c->style = (c->style & ~remove) | add;
  return TRUE;
}

std::uint32_t CListCtrl::SetExtendedStyle(std::uint32_t ex) {
  return static_cast<std::uint32_t>(
      SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(ex)));
}

// --- CMenu -------------------------------------------------------------------

BOOL CMenu::AppendMenu(UINT flags, UINT id, const char* text) {
  items_.push_back(Item{flags, id, text ? text : ""});
  return TRUE;
}

// --- Data exchange -------------------------------------------------------------

namespace {

ControlState& exchangeControl(CDataExchange* dx, int id) {
  ControlState* c = dx->m_pDlgWnd->control(id);
  if (!c)
    throw UiError("data exchange with control " + std::to_string(id) +
                  ", which the dialog does not have");
  dx->m_idLastControl = id;
  return *c;
}

}  // namespace

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
  exchangeControl(dx, id);
  if (!control.attached()) control.Attach(dx->m_pDlgWnd, id);
}

void DDX_Text(CDataExchange* dx, int id, CString& value) {
  ControlState& c = exchangeControl(dx, id);
  if (dx->m_bSaveAndValidate) {
    value = c.text.c_str();
  } else {
    c.text = value.str();
    if (c.cls == CtlClass::Edit) c.selStart = c.selEnd = 0;
  }
}

void DDX_LBString(CDataExchange* dx, int id, CString& value) {
  ControlState& c = exchangeControl(dx, id);
  CListBox lb;
  lb.Attach(dx->m_pDlgWnd, id);
  if (dx->m_bSaveAndValidate) {
    if (c.curSel >= 0 && c.curSel < static_cast<int>(c.items.size()))
      value = c.items[static_cast<size_t>(c.curSel)].c_str();
    else
      value.Empty();
  } else if (lb.SelectString(-1, value) == LB_ERR) {
    c.curSel = -1;
  }
}

void DDV_MaxChars(CDataExchange* dx, const CString& value, int maxChars) {
  ControlState* c = dx->m_pDlgWnd->control(dx->m_idLastControl);
  if (!dx->m_bSaveAndValidate) {
    if (c) c->limitText = maxChars;
  } else if (value.GetLength() > maxChars) {
    throw UiError("field " + std::to_string(dx->m_idLastControl) + " holds more than its " +
                  std::to_string(maxChars) + " characters");
  }
}

// --- CDialog -------------------------------------------------------------------

CDialog::CDialog(int templateId, CWnd* parent) : parent_(parent), templateId_(templateId) {
  Attach(this, 0);
}

CDialog::~CDialog() {
  auto it = std::find(g_modal.begin(), g_modal.end(), this);
  if (it != g_modal.end()) g_modal.erase(it);
}

const std::vector<MsgMapEntry>& CDialog::GetMessageMap() const {
  static const std::vector<MsgMapEntry> none;
  return none;
}

void CDialog::buildControls() {
  controls_.clear();
  wrappers_.clear();
  for (const auto& it : tmpl_->items) {
    ControlState c;
    c.id = it.id;
    c.cls = it.cls;
    c.text = it.caption;
    c.x = it.x;
    c.y = it.y;
    c.cx = it.cx;
    c.cy = it.cy;
    c.style = it.style;
    c.visible = !it.hidden;
    c.enabled = (it.style & WS_DISABLED) == 0;
    c.isDefault = it.cls == CtlClass::Button && (it.style & BS_DEFPUSHBUTTON);
    controls_.push_back(std::move(c));
  }
  focusId_ = 0;
}

int CDialog::DoModal() {
  tmpl_ = AfxFindTemplate(templateId_);
  if (!tmpl_)
    throw UiError("dialog template " + std::to_string(templateId_) + " is not registered");
  buildControls();
  title_ = tmpl_->caption;
  ended_ = false;
  result_ = -1;
  ownerEnabled_ = true;
  sysMenu_ = CMenu();
  // The owner: the parent given, else the dialog running below this one.
  ownerDlg_ = nullptr;
  if (parent_ && parent_->dialog() && parent_->dialog() != this) {
    ownerDlg_ = parent_->dialog();
  } else if (!g_modal.empty()) {
    ownerDlg_ = g_modal.back();
  }
  bool ownerWas = ownerDlg_ ? ownerDlg_->enabledAsOwner() : false;
  if (ownerDlg_) ownerDlg_->setOwnerEnabled(false);
  g_modal.push_back(this);
  running_ = true;
  struct Unwind {
    CDialog* self;
    bool ownerWas;
    ~Unwind() {
      auto it = std::find(g_modal.begin(), g_modal.end(), self);
      if (it != g_modal.end()) g_modal.erase(it);
      self->running_ = false;
      if (self->ownerDlg_) self->ownerDlg_->setOwnerEnabled(ownerWas);
      self->controls_.clear();
      self->wrappers_.clear();
      self->focusId_ = 0;
      if (g_host) g_host->Invalidate();
    }
  } unwind{this, ownerWas};

  if (OnInitDialog() && focusId_ == 0) {
    moveFocus(false);
    // A dialog that opens in a field holding text puts the caret after the
    // text, nothing selected, so that typing goes on from there.
    ControlState* f = focused();
    if (f && f->cls == CtlClass::Edit) f->selStart = f->selEnd = static_cast<int>(f->text.size());
  }
  if (!ended_) host().RunModalLoop(*this);
  return result_;
}

void CDialog::EndDialog(int result) {
  ended_ = true;
  result_ = result;
}

BOOL CDialog::UpdateData(BOOL save) {
  struct Flag {
    bool& f;
    bool was;
    ~Flag() { f = was; }
  } flag{inDataExchange_, inDataExchange_};
  inDataExchange_ = true;
  CDataExchange dx(this, save);
  DoDataExchange(&dx);
  if (g_host) g_host->Invalidate();
  return TRUE;
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  UpdateData(TRUE);
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::OnSysCommand(UINT id, LPARAM) {
  if ((id & 0xFFF0) == SC_CLOSE) onCommand(IDCANCEL);
}

CMenu* CDialog::GetSystemMenu(BOOL) { return &sysMenu_; }

void CDialog::SetIcon(HICON icon, BOOL big) {
  if (big)
    bigIcon_ = icon;
  else
    smallIcon_ = icon;
}

ControlState* CDialog::control(int id) {
  if (id <= 0) return nullptr;  // labels without id are never looked up
  for (auto& c : controls_)
    if (c.id == id) return &c;
  return nullptr;
}

ControlState* CDialog::focused() { return focusId_ ? control(focusId_) : nullptr; }

int CDialog::indexOf(const ControlState* c) const {
  for (size_t i = 0; i < controls_.size(); ++i)
    if (&controls_[i] == c) return static_cast<int>(i);
  return -1;
}

void CDialog::setFocusIndex(int index) {
  if (index < 0 || index >= static_cast<int>(controls_.size())) {
    focusId_ = 0;
  } else {
    focusId_ = controls_[static_cast<size_t>(index)].id;
  }
  if (g_host) g_host->Invalidate();
}

void CDialog::moveFocus(bool backwards) {
  int n = static_cast<int>(controls_.size());
  if (n == 0) return;
  ControlState* f = focused();
  int start = f ? indexOf(f) : (backwards ? 0 : n - 1);
  for (int k = 1; k <= n; ++k) {
    int i = backwards ? (start - k + n * 2) % n : (start + k) % n;
    const ControlState& c = controls_[static_cast<size_t>(i)];
    if (c.id > 0 && isTabStop(c) && c.visible && c.enabled) {
      setFocusIndex(i);
      ControlState* nf = focused();
      if (nf && nf->cls == CtlClass::Edit) {
        nf->selStart = 0;
        nf->selEnd = static_cast<int>(nf->text.size());
      }
      return;
    }
  }
}

void CDialog::notify(Notify code, int id) {
  for (const auto& e : GetMessageMap()) {
    if (e.code == code && e.id == id) {
      (this->*e.handler)();
      return;
    }
  }
}

void CDialog::onCommand(int id) {
  for (const auto& e : GetMessageMap()) {
    if (e.code == Notify::Clicked && e.id == id) {
      (this->*e.handler)();
      return;
    }
  }
  if (id == IDOK)
    OnOK();
  else if (id == IDCANCEL)
    OnCancel();
}

void CDialog::pressButton(int id) {
  ControlState* c = control(id);
  if (c && !c->enabled) return;
  onCommand(id);
}

void CDialog::KeyDown(int vk, unsigned mods) {
  ModScope scope(mods);
  ControlState* f = focused();
  switch (vk) {
    case VK_RETURN: {
      if (f && f->cls == CtlClass::Button) {
        pressButton(f->id);
        return;
      }
      int def = IDOK;
      for (const auto& c : controls_)
        if (c.isDefault) def = c.id;
      pressButton(def);
      return;
    }
    case VK_ESCAPE:
      onCommand(IDCANCEL);
      return;
    case VK_TAB:
      moveFocus((mods & MOD_SHIFT_KEY) != 0);
      return;
    default:
      break;
  }
  if (!f) return;
  if (IsListControl(*f) && listKey(*f, vk)) return;
  if (vk == VK_UP || vk == VK_DOWN) {
    // Outside a list the arrows move through the dialog as Tab does; Down
    // into a list box that has no selection yet selects its first entry.
    moveFocus(vk == VK_UP);
    ControlState* nf = focused();
    if (vk == VK_DOWN && nf && nf != f && nf->cls == CtlClass::ListBox && nf->curSel < 0 &&
        !nf->items.empty())
      listSelect(*nf, 0);
    return;
  }
  if (f->cls != CtlClass::Edit) return;
  int len = static_cast<int>(f->text.size());
  CEdit e;
  e.Attach(this, f->id);
  switch (vk) {
    case VK_LEFT:
      e.SetSel(std::max(0, f->selEnd - 1), std::max(0, f->selEnd - 1));
      break;
    case VK_RIGHT:
      e.SetSel(std::min(len, f->selEnd + 1), std::min(len, f->selEnd + 1));
      break;
    case VK_HOME:
      e.SetSel(0, 0);
      break;
    case VK_END:
      e.SetSel(len, len);
      break;
    case VK_BACK:
      if (f->selStart == f->selEnd) {
        if (f->selStart == 0) return;
        f->selStart -= 1;
      }
      e.ReplaceSel("");
      break;
    case VK_DELETE:
      if (f->selStart == f->selEnd) {
        if (f->selEnd >= len) return;
        f->selEnd += 1;
      }
      e.ReplaceSel("");
      break;
    default:
      break;
  }
}

bool CDialog::listKey(ControlState& list, int vk) {
  int n = ListEntryCount(list);
  int sel = list.curSel, page = listPage(list);
  int next;
  switch (vk) {
    case VK_UP:
      next = sel < 0 ? 0 : sel - 1;
      break;
    case VK_DOWN:
      next = sel < 0 ? 0 : sel + 1;
      break;
    case VK_HOME:
      next = 0;
      break;
    case VK_END:
      next = n - 1;
      break;
    case VK_PRIOR:
      next = std::max(sel, 0) - page;
      break;
    case VK_NEXT:
      next = std::max(sel, 0) + page;
      break;
    default:
      return false;
  }
  if (n > 0) listSelect(list, std::clamp(next, 0, n - 1));
  return true;
}

void CDialog::listSelect(ControlState& list, int index) {
  bool changed = list.curSel != index;
  list.curSel = index;
  showEntry(list, index);
  if (changed && list.cls == CtlClass::ListBox) notify(Notify::SelChange, list.id);
}

void CDialog::Char(unsigned char ch, unsigned mods) {
  ModScope scope(mods);
  ControlState* f = focused();
  if (f && IsListControl(*f) && ch > 0x20) {
    int i = nextEntryWith(*f, ch);
    if (i >= 0) listSelect(*f, i);
    return;
  }
  if (!f || f->cls != CtlClass::Edit || ch < 0x20) return;
  CEdit e;
  e.Attach(this, f->id);
  char s[2] = {static_cast<char>(ch), 0};
  e.ReplaceSel(s);
}

void CDialog::AccessKey(char letter, unsigned mods) {
  ModScope scope(mods | MOD_ALT_KEY);
  char want = static_cast<char>(upper(static_cast<unsigned char>(letter)));
  for (size_t i = 0; i < controls_.size(); ++i) {
    const ControlState& c = controls_[i];
    if (!c.visible || (c.style & SS_NOPREFIX)) continue;
    if (c.cls != CtlClass::Static && c.cls != CtlClass::Button) continue;
    if (accessLetter(c.text) != want) continue;
    if (c.cls == CtlClass::Button) {
      if (!c.enabled) continue;
      setFocusIndex(static_cast<int>(i));
      pressButton(c.id);
      return;
    }
    // A label's access key moves the focus to the next control in tab order.
    for (size_t j = i + 1; j < controls_.size(); ++j) {
      const ControlState& t = controls_[j];
      if (t.id > 0 && isTabStop(t) && t.visible && t.enabled) {
        setFocusIndex(static_cast<int>(j));
        ControlState* nf = focused();
        if (nf && nf->cls == CtlClass::Edit) {
          nf->selStart = 0;
          nf->selEnd = static_cast<int>(nf->text.size());
        }
        return;
      }
    }
    return;
  }
}

void CDialog::Click(int id, unsigned mods) {
  ModScope scope(mods);
  ControlState* c = control(id);
  if (!c || !c->visible || !c->enabled) return;
  if (isTabStop(*c)) setFocusIndex(indexOf(c));
  if (c->cls == CtlClass::Button) pressButton(id);
}

void CDialog::SelectListItem(int id, int index) {
  ControlState* c = control(id);
  if (!c || !IsListControl(*c) || !c->visible || !c->enabled) return;
  if (index < 0 || index >= ListEntryCount(*c)) return;
  setFocusIndex(indexOf(c));
  c->curSel = index;
  showEntry(*c, index);
  notify(Notify::SelChange, id);
}

void CDialog::ScrollList(int id, int lines) {
  ControlState* c = control(id);
  if (!c || !IsListControl(*c) || !c->visible || !c->enabled) return;
  c->topIndex = std::clamp(c->topIndex + lines, 0, std::max(0, ListEntryCount(*c) - listPage(*c)));
  if (g_host) g_host->Invalidate();
}

void CDialog::CancelListSelection(int id) {
  ControlState* c = control(id);
  if (!c || c->cls != CtlClass::ListBox) return;
  c->curSel = -1;
  notify(Notify::SelCancel, id);
}

void CDialog::SysCommand(UINT id) { OnSysCommand(id, 0); }

void CDialog::TypeText(int id, const std::string& text) {
  ControlState* c = control(id);
  if (!c || c->cls != CtlClass::Edit || !c->visible || !c->enabled) return;
  setFocusIndex(indexOf(c));
  c = control(id);
  c->selStart = 0;
  c->selEnd = static_cast<int>(c->text.size());
  if (text.empty()) {
    CEdit e;
    e.Attach(this, id);
    e.ReplaceSel("");
    return;
  }
  for (unsigned char ch : text) Char(ch);
}

// --- CWinApp -------------------------------------------------------------------

CWinApp::CWinApp(const char* appName) {
  if (appName) g_appName = appName;
  appName_ = g_appName;
  m_pszAppName = appName_.c_str();
  g_app = this;
}

CWinApp::~CWinApp() {
  if (g_app == this) g_app = nullptr;
}

CWinApp* AfxGetApp() { return g_app; }

void AfxSetAppName(const char* name) {
  g_appName = name ? name : "";
  if (g_app) {
    // The application object keeps its own copy for m_pszAppName.
    g_app->m_pszAppName = nullptr;
  }
}

int AfxWinMain() {
  CWinApp* app = AfxGetApp();
  if (!app) return 1;
  if (!app->m_pszAppName) app->m_pszAppName = g_appName.c_str();
  try {
    app->InitInstance();
  } catch (const UiInterrupt&) {
    // Ctrl+C: the dialogs are gone; the program ends without the rest of
    // its shut-down, which only frees what the process gives back anyway.
    app->m_pMainWnd = nullptr;
    return kUiInterruptExitCode;
  }
  return app->ExitInstance();
}
