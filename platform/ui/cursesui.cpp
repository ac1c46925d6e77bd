// cursesui.cpp - the ncurses front end of the dialog model.
#include "platform/ui/cursesui.h"

#include <curses.h>
#include <termcap.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "platform/ui/cp1252.h"
#include "platform/ui/termkeys.h"
#include "platform/ui/termtext.h"

namespace {

// The locale's character set: the screen's table and the keyboard's
// decoder, set up by the host.
std::unique_ptr<TermOutput> g_out;
TermScrollGlyphs g_bar;

// Placement of a dialog on the screen. Columns are 4 dialog units, with
// one blank column inside the border at either side. Rows follow the
// lines of the template (see layoutLines): 8 units a row, or up to 10
// when the terminal is too short for 8.
constexpr int kPad = 1;
constexpr int kMaxVUnit = 10;

// The middle of a control's first text line (a line is at most
// kLineUnits high), in dialog units from the dialog's top.
constexpr int kLineUnits = 14;
int anchorOf(const ControlState& c) { return c.y + std::min(c.cy, kLineUnits) / 2; }

// One line of the template: the anchor of its first control, and its row.
struct Line {
  int anchor, row;
};

struct Frame {
  int top = 0, left = 0;   // of the box, border included
  int rows = 0, cols = 0;  // inside the border
  int vunit = 8;
  bool fits = true;
  int needRows = 0, needCols = 0;
  std::vector<Line> lines;
};

// Controls whose anchors lie at most kSameLine units apart stand on one
// line of the template; a line at most kNextLine units below the one
// before it (the next line of a text, 10 units in the templates) takes the
// row right below that one's row.
constexpr int kSameLine = 5;
constexpr int kNextLine = 10;

int scaledRow(int units, int vunit) { return (2 * units + vunit) / (2 * vunit); }

// The one rule for every terminal size: each line of the template gets a
// row of its own, in the template's order; a line close below the one
// before it follows that row directly, any other line takes the row its
// distance from the top scales to, or the next free one. Hidden controls
// count too, so that showing one never moves the others.
std::vector<Line> layoutLines(CDialog& dlg, int vunit) {
  std::vector<int> anchors;
  for (const auto& c : dlg.controls()) anchors.push_back(anchorOf(c));
  std::sort(anchors.begin(), anchors.end());
  std::vector<Line> lines;
  for (int a : anchors) {
    if (!lines.empty() && a - lines.back().anchor <= kSameLine) continue;
    int row = scaledRow(a, vunit);
    if (!lines.empty()) {
      int after = lines.back().row + 1;
      row = a - lines.back().anchor <= kNextLine ? after : std::max(row, after);
    }
    lines.push_back(Line{a, row});
  }
  return lines;
}

// The rows inside the border: the template's height, or as many as its
// lines need.
int frameRows(int cy, int vunit, const std::vector<Line>& lines) {
  int rows = (cy + vunit - 1) / vunit;
  if (!lines.empty()) rows = std::max(rows, lines.back().row + 1);
  return rows;
}

Frame place(CDialog& dlg) {
  const DlgTemplate* t = dlg.dlgTemplate();
  Frame f;
  int cx = t ? t->cx : 40, cy = t ? t->cy : 20;
  f.cols = (cx + 3) / 4 + 2 * kPad;
  int avail = LINES - 3;  // border and the status line
  for (f.vunit = 8;; ++f.vunit) {
    f.lines = layoutLines(dlg, f.vunit);
    f.rows = frameRows(cy, f.vunit, f.lines);
    if (f.rows <= avail || f.vunit == kMaxVUnit) break;
  }
  f.needCols = f.cols + 2;
  f.fits = f.rows + 3 <= LINES && f.cols + 2 <= COLS;
  // The size to ask for, only where the message asking for it shows: the
  // rows at the densest layout.
  if (!f.fits)
    f.needRows =
        (f.vunit == kMaxVUnit ? f.rows : frameRows(cy, kMaxVUnit, layoutLines(dlg, kMaxVUnit))) + 3;
  f.top = std::max(0, (LINES - 1 - (f.rows + 2)) / 2);
  f.left = std::max(0, (COLS - (f.cols + 2)) / 2);
  return f;
}

// True when every dialog of the stack fits the terminal.
bool stackFits(const std::vector<CDialog*>& stack, Frame* tooSmall = nullptr) {
  for (CDialog* d : stack) {
    Frame f = place(*d);
    if (!f.fits) {
      if (tooSmall) *tooSmall = f;
      return false;
    }
  }
  return true;
}

// The first and the last column inside the padding.
int innerLeft(const Frame& f) { return f.left + 1 + kPad; }
int innerRight(const Frame& f) { return f.left + f.cols - kPad; }

struct Cell {
  int row, col, width, height;
};

// The row of the template line a control stands on.
int rowOf(const Frame& f, const ControlState& c) {
  int a = anchorOf(c);
  auto it = std::upper_bound(f.lines.begin(), f.lines.end(), a,
                             [](int x, const Line& l) { return x < l.anchor; });
  return it == f.lines.begin() ? scaledRow(a, f.vunit) : std::prev(it)->row;
}

// A control's cells: its line's row, columns from x / 4; lists reach down
// over the rows their height covers.
Cell cellOf(const Frame& f, const ControlState& c) {
  Cell r;
  r.col = innerLeft(f) + c.x / 4;
  r.width = std::max(1, (c.cx + 2) / 4);
  r.row = std::min(f.top + 1 + rowOf(f, c), f.top + f.rows);
  r.height = 1;
  if (c.cls == CtlClass::ListBox || c.cls == CtlClass::ListView)
    r.height = std::min(std::max(2, c.cy / f.vunit), f.top + f.rows + 1 - r.row);
  r.width = std::max(1, std::min(r.width, innerRight(f) + 1 - r.col));
  return r;
}

// Writes code page 1252 text in the terminal's character set, at most
// `width` cells.
void put(int row, int col, const std::string& text, int width) {
  if (width <= 0) return;
  mvaddstr(row, col, g_out->Convert(g_out->Fit(text, width)).c_str());
}

int cells(const std::string& text) { return g_out->Cells(text); }

// A caption without its '&' marks, and the position of the access letter.
std::string stripAmp(const std::string& caption, int& accessPos) {
  std::string out;
  accessPos = -1;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) {
      if (caption[i + 1] != '&' && accessPos < 0) accessPos = static_cast<int>(out.size());
      ++i;
    }
    out += caption[i];
  }
  return out;
}

void putCaption(int row, int col, const std::string& caption, int width, bool prefix,
                bool rightAlign) {
  int pos = -1;
  std::string t = prefix ? stripAmp(caption, pos) : caption;
  t = g_out->Fit(t, width);
  if (rightAlign) col += width - cells(t);
  put(row, col, t, width);
  if (pos >= 0 && pos < static_cast<int>(t.size())) {
    std::string letter = t.substr(static_cast<size_t>(pos), 1);
    attron(A_UNDERLINE);
    put(row, col + cells(t.substr(0, static_cast<size_t>(pos))), letter, cells(letter));
    attroff(A_UNDERLINE);
  }
}

void box(int top, int left, int rows, int cols, const std::string& title) {
  for (int r = 0; r < rows + 2; ++r) mvhline(top + r, left, ' ', cols + 2);
  mvaddch(top, left, ACS_ULCORNER);
  mvhline(top, left + 1, ACS_HLINE, cols);
  mvaddch(top, left + cols + 1, ACS_URCORNER);
  for (int r = 1; r <= rows; ++r) {
    mvaddch(top + r, left, ACS_VLINE);
    mvaddch(top + r, left + cols + 1, ACS_VLINE);
  }
  mvaddch(top + rows + 1, left, ACS_LLCORNER);
  mvhline(top + rows + 1, left + 1, ACS_HLINE, cols);
  mvaddch(top + rows + 1, left + cols + 1, ACS_LRCORNER);
  if (!title.empty()) {
    std::string t = " " + title + " ";
    int w = std::min(cells(t), cols);
    attron(A_BOLD);
    put(top, left + 1 + (cols - w) / 2, t, w);
    attroff(A_BOLD);
  }
}

// The first entry a list shows on `page` rows. The host tells the model
// the page it draws; when that changes (the terminal was resized), the
// selection is scrolled back into view.
int shownTop(ControlState& c, int page, int count) {
  if (c.pageRows != page) {
    c.pageRows = page;
    if (c.curSel >= 0 && c.curSel >= c.topIndex + page) c.topIndex = c.curSel - page + 1;
  }
  c.topIndex = std::clamp(c.topIndex, 0, std::max(0, count - page));
  return c.topIndex;
}

// The first column, right of a label, where another visible control
// stands on the label's row; 0 when none does.
int nextColumnRight(const Frame& f, CDialog& dlg, const ControlState& label, const Cell& at) {
  int next = 0;
  for (const auto& o : dlg.controls()) {
    if (&o == &label || !o.visible) continue;
    if (o.cls == CtlClass::Static && o.text.empty()) continue;
    Cell r = cellOf(f, o);
    if (at.row >= r.row && at.row < r.row + r.height && r.col > at.col)
      next = next ? std::min(next, r.col) : r.col;
  }
  return next;
}

// The rows a label without access key may fill: its own, and those of the
// empty labels without access key stacked right below it in the template
// with its position and width (a text spread over several label lines, of
// which the program writes the first).
std::vector<int> continuationRows(const Frame& f, CDialog& dlg, const ControlState& c,
                                  const Cell& at) {
  std::vector<int> rows{at.row};
  if (!(c.style & SS_NOPREFIX)) return rows;
  const auto& cs = dlg.controls();
  int i = dlg.indexOf(&c);
  if (i < 0) return rows;
  for (size_t j = static_cast<size_t>(i) + 1; j < cs.size(); ++j) {
    const ControlState& o = cs[j];
    if (o.cls != CtlClass::Static || !(o.style & SS_NOPREFIX) || !o.visible || !o.text.empty() ||
        o.x != c.x || o.cx != c.cx || o.y <= c.y)
      break;
    int row = cellOf(f, o).row;
    if (row <= rows.back()) break;
    rows.push_back(row);
  }
  return rows;
}

// Where the terminal's cursor goes: the focused control's caret.
struct Caret {
  int row = -1, col = -1;
};

// How far a left-aligned label moves left so that a blank stays between
// it and the control to its right on its row, as far as the padding; 0
// when it need not move.
int labelShift(const Frame& f, CDialog& dlg, const ControlState& c) {
  Cell r = cellOf(f, c);
  int next = nextColumnRight(f, dlg, c, r);
  if (next <= 0) return 0;
  int pos = -1;
  std::string shown = (c.style & SS_NOPREFIX) ? c.text : stripAmp(c.text, pos);
  return std::clamp(r.col + cells(shown) - (next - 1), 0, r.col - innerLeft(f));
}

// A label. Dialog units are narrower than terminal cells: a label may run
// past its rectangle up to the dialog's padding (controls drawn later
// win). A label that would touch the control to its right on its row
// moves left, as far as the padding, to keep a blank before it, and is
// cut where even that leaves no blank; the left-aligned labels that start
// in its column of the template move with it, so that a column of labels
// ("Abgang:" over "Ueber 1:") stays one column. A text without access key
// spread over continuation lines is wrapped onto their rows.
void drawLabel(const Frame& f, CDialog& dlg, const ControlState& c, Cell r) {
  bool right = (c.style & SS_RIGHT) != 0;
  bool prefix = (c.style & SS_NOPREFIX) == 0;
  int room = innerRight(f) + 1 - r.col;
  int w = right ? r.width : std::max(r.width, room);
  if (!right) {
    int shift = 0;
    for (const auto& o : dlg.controls())
      if (o.visible && o.cls == CtlClass::Static && !(o.style & SS_RIGHT) && o.x == c.x)
        shift = std::max(shift, labelShift(f, dlg, o));
    r.col -= shift;
    int next = nextColumnRight(f, dlg, c, r);
    if (next > 0) w = std::min(w, next - 1 - r.col);
  }
  std::vector<int> rows = continuationRows(f, dlg, c, r);
  if (rows.size() > 1 && cells(c.text) > w) {
    std::vector<std::string> lines = TermWrap(*g_out, c.text, w, rows.size());
    for (size_t i = 0; i < lines.size(); ++i) put(rows[i], r.col, lines[i], w);
    return;
  }
  putCaption(r.row, r.col, c.text, w, prefix, right);
}

// An edit field, scrolled so that the caret stands inside it; the
// selection shown reversed while it has the focus.
void drawEdit(const ControlState& c, const Cell& r, bool focus, Caret& caret) {
  int w = r.width;
  size_t scroll = 0;
  size_t at = static_cast<size_t>(std::clamp(c.selEnd, 0, static_cast<int>(c.text.size())));
  while (scroll < at && cells(c.text.substr(scroll, at - scroll)) > w - 1) ++scroll;
  std::string shown = c.text.substr(std::min(scroll, c.text.size()));
  attron(A_UNDERLINE);
  mvhline(r.row, r.col, ' ', w);
  put(r.row, r.col, shown, w);
  attroff(A_UNDERLINE);
  auto colOf = [&](int index) {
    size_t i = static_cast<size_t>(std::max(index, static_cast<int>(scroll)));
    return cells(c.text.substr(scroll, i - scroll));
  };
  if (!focus) return;
  if (c.selEnd > c.selStart) {
    attron(A_REVERSE);
    size_t from = static_cast<size_t>(std::max(c.selStart, static_cast<int>(scroll)));
    int s = colOf(c.selStart);
    if (s < w && from < c.text.size() && from < static_cast<size_t>(c.selEnd))
      put(r.row, r.col + s, c.text.substr(from, static_cast<size_t>(c.selEnd) - from), w - s);
    attroff(A_REVERSE);
  }
  caret.row = r.row;
  caret.col = r.col + std::min(colOf(static_cast<int>(at)), w - 1);
}

// A push button: its caption in brackets, centred, the access letter
// underlined; reversed with the focus, bold as the default button.
void drawButton(const ControlState& c, const Cell& r, bool focus) {
  int pos = -1;
  std::string t = stripAmp(c.text, pos);
  std::string label = "[" + t + "]";
  int w = std::min(cells(label), r.width);
  int col = r.col + (r.width - w) / 2;
  if (focus) attron(A_REVERSE);
  if (c.isDefault) attron(A_BOLD);
  put(r.row, col, label, w);
  if (pos >= 0 && cells(t.substr(0, static_cast<size_t>(pos) + 1)) + 1 < w) {
    std::string letter = t.substr(static_cast<size_t>(pos), 1);
    attron(A_UNDERLINE);
    put(r.row, col + 1 + cells(t.substr(0, static_cast<size_t>(pos))), letter, cells(letter));
    attroff(A_UNDERLINE);
  }
  attroff(A_REVERSE | A_BOLD);
}

// The vertical scroll bar of a list with more entries than its page
// shows: in the list's right column beside its entry rows, an arrow at
// either end and between them the track with the thumb (TermScrollThumb).
struct ScrollBar {
  bool shown = false;
  int col = 0, top = 0, rows = 0;   // the bar's column and rows, arrows included
  int thumbTop = 0, thumbRows = 0;  // the thumb, in rows of the track
};

// The bar as the list stands (its first entry and page as last drawn).
ScrollBar scrollBarOf(const ControlState& c, const Cell& r) {
  ScrollBar b;
  int heading = c.cls == CtlClass::ListView ? 1 : 0;
  int page = r.height - heading;
  int n = ListEntryCount(c);
  if (n <= page || page < 2 || r.width < 2) return b;
  b.shown = true;
  b.col = r.col + r.width - 1;
  b.top = r.row + heading;
  b.rows = page;
  TermThumb t = TermScrollThumb(n, page, c.topIndex, page - 2);
  b.thumbTop = t.top;
  b.thumbRows = t.rows;
  return b;
}

void drawScrollBar(const ScrollBar& b) {
  if (!b.shown) return;
  mvaddstr(b.top, b.col, g_bar.up.c_str());
  for (int i = 0; i + 2 < b.rows; ++i) {
    bool thumb = i >= b.thumbTop && i < b.thumbTop + b.thumbRows;
    mvaddstr(b.top + 1 + i, b.col, (thumb ? g_bar.thumb : g_bar.track).c_str());
  }
  mvaddstr(b.top + b.rows - 1, b.col, g_bar.down.c_str());
}

// The attribute of a list's row: the selection reversed with the focus,
// bold without.
attr_t rowAttr(const ControlState& c, int idx, bool focus) {
  if (idx != c.curSel) return A_NORMAL;
  return focus ? A_REVERSE : A_BOLD;
}

// True when nothing of the dialog stands left of a list on its rows, from
// the first column inside the padding: the list stands at the dialog's
// left, and its left border goes into the column before it. A list with
// labels to its left (the printer's settings) keeps the blank between.
bool leftBorderFree(const Frame& f, const Cell& r) {
  for (int i = 0; i < r.height; ++i)
    for (int col = innerLeft(f); col < r.col; ++col)
      if ((mvinch(r.row + i, col) & A_CHARTEXT) != ' ') return false;
  return innerLeft(f) < r.col;
}

// A list box: a page of entries from the first one shown, the selected
// row highlighted across the list's width, a line at either edge (at the
// left where the list stands at the dialog's left) and the scroll bar
// when there are more entries than rows.
void drawListBox(const Frame& f, ControlState& c, const Cell& r, bool focus, Caret& caret) {
  int n = static_cast<int>(c.items.size());
  int top = shownTop(c, r.height, n);
  ScrollBar bar = scrollBarOf(c, r);
  int w = bar.shown ? r.width - 1 : r.width;
  for (int i = 0; i < r.height; ++i) {
    int idx = top + i;
    attr_t a = idx < n ? rowAttr(c, idx, focus) : A_NORMAL;
    attron(a);
    mvhline(r.row + i, r.col, ' ', w);
    if (idx < n) put(r.row + i, r.col, c.items[static_cast<size_t>(idx)], w);
    attroff(a);
  }
  drawScrollBar(bar);
  if (leftBorderFree(f, r)) mvvline(r.row, r.col - 1, ACS_VLINE, r.height);
  mvvline(r.row, r.col + r.width, ACS_VLINE, r.height);
  if (focus) {
    caret.row = c.curSel >= top && c.curSel < top + r.height ? r.row + c.curSel - top : r.row;
    caret.col = r.col;
  }
}

// A list view in report view: the column headings on the first row, then
// a page of rows, each column cut to its width (8 pixels a cell), the
// selected row highlighted across the list's width, and the scroll bar
// beside the rows when there are more than a page.
void drawListView(ControlState& c, const Cell& r, bool focus, Caret& caret) {
  int body = r.height - 1;
  int n = static_cast<int>(c.rows.size());
  int top = shownTop(c, body, n);
  ScrollBar bar = scrollBarOf(c, r);
  int right = r.col + (bar.shown ? r.width - 1 : r.width);  // the first column past the rows
  int col = r.col;
  attron(A_BOLD | A_UNDERLINE);
  mvhline(r.row, r.col, ' ', r.width);
  std::vector<int> widths;
  for (const auto& h : c.columns) {
    int w = std::max(3, h.width / 8);
    widths.push_back(w);
    put(r.row, col, h.text, std::min(w, r.col + r.width - col));
    col += w + 1;
    if (col >= r.col + r.width) break;
  }
  attroff(A_BOLD | A_UNDERLINE);
  for (int i = 0; i < body; ++i) {
    int idx = top + i;
    attr_t a = idx < n ? rowAttr(c, idx, focus) : A_NORMAL;
    attron(a);
    mvhline(r.row + 1 + i, r.col, ' ', right - r.col);
    if (idx < n) {
      col = r.col;
      const auto& row = c.rows[static_cast<size_t>(idx)];
      for (size_t k = 0; k < row.size() && k < widths.size() && col < right; ++k) {
        put(r.row + 1 + i, col, row[k], std::min(widths[k], right - col));
        col += widths[k] + 1;
      }
    }
    attroff(a);
  }
  drawScrollBar(bar);
  if (focus) {
    caret.row = r.row + 1 + (c.curSel >= top && c.curSel < top + body ? c.curSel - top : 0);
    caret.col = r.col;
  }
}

// The logo bitmap and the icon, as text.
void drawPicture(const ControlState& c, const Cell& r) {
  if (c.cls == CtlClass::Bitmap) {
    attron(A_BOLD | A_REVERSE);
    put(r.row, r.col + std::max(0, (r.width - 7) / 2), " ZOLMA ", r.width);
    attroff(A_BOLD | A_REVERSE);
  } else {
    attron(A_BOLD);
    put(r.row, r.col, "[Z]", r.width);
    attroff(A_BOLD);
  }
}

// One control at its cells, dimmed while disabled.
void drawControl(const Frame& f, CDialog& dlg, ControlState& c, bool active, Caret& caret) {
  if (!c.visible) return;
  Cell r = cellOf(f, c);
  bool focus = active && dlg.focusId() == c.id && c.id > 0;
  if (!c.enabled) attron(A_DIM);
  switch (c.cls) {
    case CtlClass::Static:
      drawLabel(f, dlg, c, r);
      break;
    case CtlClass::Edit:
      drawEdit(c, r, focus, caret);
      break;
    case CtlClass::Button:
      drawButton(c, r, focus);
      break;
    case CtlClass::ListBox:
      drawListBox(f, c, r, focus, caret);
      break;
    case CtlClass::ListView:
      drawListView(c, r, focus, caret);
      break;
    case CtlClass::Bitmap:
    case CtlClass::Icon:
      drawPicture(c, r);
      break;
  }
  attroff(A_DIM);
}

struct Popup {
  std::string text, caption;
};

// The key-hint line: what the keys do in the dialog shown, as many hints
// as fit into 80 columns (or the terminal's width), the most needed first.
std::string hintLine(const std::vector<CDialog*>& stack, const Popup* popup, unsigned mods) {
  struct Hint {
    int rank;  // lower: kept first
    std::string text;
  };
  std::vector<Hint> hints;
  auto add = [&hints](int rank, const std::string& utf8) {
    hints.push_back(Hint{rank, Utf8ToCp1252(utf8)});
  };
  if (mods & MOD_SHIFT_KEY) add(0, "[Umschalt gehalten]");
  if (popup || stack.empty()) {
    add(1, "Enter=OK");
    add(1, "Esc Esc=OK");
  } else {
    CDialog& d = *stack.back();
    const ControlState* focus = d.focused();
    const ControlState* def = nullptr;
    const ControlState* cancel = d.control(IDCANCEL);
    for (const auto& c : d.controls())
      if (c.isDefault) def = &c;
    int pos = -1;
    std::string enter;
    if (focus && focus->cls == CtlClass::Button)
      enter = stripAmp(focus->text, pos);
    else if (def && def->visible && def->enabled)
      enter = stripAmp(def->text, pos);
    // A hidden default button carries Enter in a field: the main window
    // looks up the station typed there.
    else if (focus && focus->cls == CtlClass::Edit && def && !def->visible)
      enter = "suchen";
    // Escape cancels the dialog; in the program's main window that ends
    // the program.
    std::string esc = stack.size() == 1           ? "Ende"
                      : cancel && cancel->visible ? stripAmp(cancel->text, pos)
                                                  : Utf8ToCp1252("schließen");
    add(5, "Tab=Feld");
    if (!enter.empty()) hints.push_back(Hint{2, "Enter=" + enter});
    if (stack.size() == 1 && focus && focus->cls == CtlClass::Edit) add(3, "F2=Auswahl");
    add(4, "F3=Umschalt");
    add(4, "F10=Menü");
    add(1, "Esc x=Alt+x");
    hints.push_back(Hint{1, "Esc Esc=" + esc});
  }
  int room = std::min(COLS, 80);
  for (int rank = 5; rank > 0; --rank) {
    int n = 0;
    for (const auto& h : hints) n += 2 + cells(h.text);
    if (n <= room) break;
    hints.erase(std::remove_if(hints.begin(), hints.end(),
                               [rank](const Hint& h) { return h.rank == rank; }),
                hints.end());
  }
  std::string line;
  for (const auto& h : hints) line += (line.empty() ? " " : "  ") + h.text;
  return line;
}

// The message shown in place of dialogs that do not fit, spread over the
// rows at word ends (the sizes stay whole) and centred; rows the terminal
// lacks are left out. Its last sentence starts a row of its own: Ctrl+C,
// the one key that still acts, ends the program.
void drawTooSmall(const Frame& f) {
  const std::string kNewRow;  // starts a row of its own
  std::vector<std::string> words = {
      "Das",        "Terminal",
      "ist",        "zu",
      "klein:",     std::to_string(f.needCols) + " x " + std::to_string(f.needRows),
      "Zeichen",    "werden",
      "gebraucht,", std::to_string(COLS) + " x " + std::to_string(LINES),
      "sind",       "da.",
      "Bitte",      Utf8ToCp1252("vergrößern."),
      kNewRow,      "Strg+C",
      "beendet",    "das",
      "Programm."};
  std::vector<std::string> lines;
  bool fresh = false;
  for (const auto& w : words) {
    if (w.empty()) {
      fresh = true;
    } else if (!fresh && !lines.empty() && cells(lines.back()) + 1 + cells(w) <= COLS) {
      lines.back() += " " + w;
    } else {
      lines.push_back(w);
      fresh = false;
    }
  }
  int top = std::max(0, (LINES - static_cast<int>(lines.size())) / 2);
  for (size_t i = 0; i < lines.size() && top + static_cast<int>(i) < LINES; ++i) {
    int w = std::min(cells(lines[i]), COLS);
    put(top + static_cast<int>(i), (COLS - w) / 2, lines[i], w);
  }
}

// Draws the dialogs of the stack, the innermost last, and a message box
// over them; returns where the caret stands (row -1: nowhere). Nothing is
// sent to the terminal yet.
Caret drawScreen(const std::vector<CDialog*>& stack, const Popup* popup) {
  erase();
  Caret caret;
  Frame small;
  if (!stackFits(stack, &small)) {
    drawTooSmall(small);
    return caret;
  }
  for (size_t i = 0; i < stack.size(); ++i) {
    CDialog& d = *stack[i];
    Frame f = place(d);
    bool active = i + 1 == stack.size() && !popup;
    box(f.top, f.left, f.rows, f.cols, d.title());
    // Labels first, so that a long label never covers a field or a button.
    for (auto& c : d.controls())
      if (c.cls == CtlClass::Static) drawControl(f, d, c, active, caret);
    for (auto& c : d.controls())
      if (c.cls != CtlClass::Static) drawControl(f, d, c, active, caret);
  }
  if (popup) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= popup->text.size()) {
      size_t nl = popup->text.find('\n', start);
      if (nl == std::string::npos) nl = popup->text.size();
      lines.push_back(popup->text.substr(start, nl - start));
      start = nl + 1;
    }
    while (lines.size() > 1 && lines.back().empty()) lines.pop_back();
    int w = cells(popup->caption) + 4;
    for (const auto& l : lines) w = std::max(w, cells(l) + 4);
    w = std::min(std::max(w, 12), COLS - 2);
    int h = static_cast<int>(lines.size()) + 2;
    int top = std::max(0, (LINES - 1 - (h + 2)) / 2), left = std::max(0, (COLS - (w + 2)) / 2);
    box(top, left, h, w, popup->caption);
    for (size_t i = 0; i < lines.size(); ++i)
      put(top + 1 + static_cast<int>(i), left + 2, lines[i], w - 2);
    attron(A_REVERSE);
    put(top + h, left + 1 + (w - 6) / 2, "[ OK ]", 6);
    attroff(A_REVERSE);
    caret = Caret{};
  }
  return caret;
}

void drawStatus(const std::string& text) {
  attron(A_REVERSE);
  mvhline(LINES - 1, 0, ' ', COLS);
  put(LINES - 1, 0, text, COLS);
  attroff(A_REVERSE);
}

// Shows the cursor at the caret, or hides it, and sends the screen.
void show(const Caret& caret) {
  if (caret.row >= 0) {
    curs_set(1);
    move(caret.row, caret.col);
  } else {
    curs_set(0);
  }
  refresh();
}

void drawAll(const std::vector<CDialog*>& stack, const Popup* popup, unsigned mods,
             const std::string& note = "") {
  Caret caret = drawScreen(stack, popup);
  if (stackFits(stack))
    drawStatus(note.empty() ? hintLine(stack, popup, mods)
                            : " " + TermFitNote(*g_out, note, COLS - 1));
  show(caret);
}

// The control of the dialog under a screen cell, with the list row hit.
ControlState* hit(CDialog& d, int row, int col, int& listIndex) {
  Frame f = place(d);
  listIndex = -1;
  auto& cs = d.controls();
  for (auto it = cs.rbegin(); it != cs.rend(); ++it) {
    if (!it->visible || it->id <= 0) continue;
    Cell r = cellOf(f, *it);
    if (row >= r.row && row < r.row + r.height && col >= r.col && col < r.col + r.width) {
      if (it->cls == CtlClass::ListBox) listIndex = it->topIndex + (row - r.row);
      if (it->cls == CtlClass::ListView && row > r.row)
        listIndex = it->topIndex + (row - r.row - 1);
      return &*it;
    }
  }
  return nullptr;
}

// The keyboard: bytes and function keys from the curses library, turned
// into keys by the locale's decoder and the Escape rules (termkeys.h).
std::unique_ptr<TermInput> g_in;
std::unique_ptr<TermKeyReader> g_keys;

int cursesUnit(int waitMs) {
  timeout(waitMs);
  int c = getch();
  timeout(-1);
  return c == ERR ? -1 : c;
}

using Key = TermKey;

// The next key. Ctrl+C ends the program wherever a key is awaited (a
// dialog, a message box, the system menu, the too-small message): it is
// thrown as UiInterrupt, never handed on.
Key readKey() {
  Key k = g_keys->Next();
  if (k.none()) k.isKey = true;
  if (k.is(TermKeyReader::kCtrlC)) throw UiInterrupt{};
  return k;
}

bool isEnter(const Key& k) {
  return (!k.isKey && (k.code == '\n' || k.code == '\r')) || (k.isKey && k.code == KEY_ENTER);
}

// The system menu of the dialog on top, over the screen as it stands. F10
// closes it as it opened it, and so does Escape; Enter runs the entry
// chosen. While the terminal is too small for the dialogs, no key acts.
void systemMenu(CDialog& d) {
  std::vector<CMenu::Item> items;
  for (const auto& it : d.systemMenu().items())
    if (!(it.flags & MF_SEPARATOR)) items.push_back(it);
  items.push_back(CMenu::Item{MF_STRING, SC_CLOSE, "Schließen"});
  // The menu's own texts are code page 1252 like the model's.
  for (auto& it : items)
    if (it.id == SC_CLOSE) it.text = Utf8ToCp1252(it.text);
  int sel = 0;
  for (;;) {
    drawScreen(AfxModalStack(), nullptr);
    bool fits = stackFits(AfxModalStack());
    if (fits) {
      Frame f = place(d);
      int w = 8;
      for (const auto& it : items) w = std::max(w, cells(it.text) + 2);
      int top = f.top + 1, left = f.left + 1;
      box(top, left, static_cast<int>(items.size()), w, "");
      for (size_t i = 0; i < items.size(); ++i) {
        if (static_cast<int>(i) == sel) attron(A_REVERSE);
        mvhline(top + 1 + static_cast<int>(i), left + 1, ' ', w);
        int pos = -1;
        put(top + 1 + static_cast<int>(i), left + 2, stripAmp(items[i].text, pos), w - 1);
        attroff(A_REVERSE);
      }
      drawStatus(Utf8ToCp1252(" Pfeile=wählen  Enter=ausführen  F10/Esc Esc=zurück"));
    }
    show(Caret{});
    Key k = readKey();
    if (k.none()) return;  // the input is gone: the dialog's loop sees it too
    if (!fits) continue;
    if (k.isKey && k.code == KEY_UP)
      sel = std::max(0, sel - 1);
    else if (k.isKey && k.code == KEY_DOWN)
      sel = std::min(static_cast<int>(items.size()) - 1, sel + 1);
    else if (isEnter(k)) {
      d.SysCommand(items[static_cast<size_t>(sel)].id);
      return;
    } else if ((k.isKey && k.code == KEY_F(10)) || (!k.isKey && k.code == 27)) {
      return;
    }
  }
}

// Keys of the curses library that the dialog model takes as they are.
int virtualKey(int code) {
  switch (code) {
    case KEY_ENTER:
      return VK_RETURN;
    case KEY_BACKSPACE:
      return VK_BACK;
    case KEY_DC:
      return VK_DELETE;
    case KEY_LEFT:
      return VK_LEFT;
    case KEY_RIGHT:
      return VK_RIGHT;
    case KEY_UP:
      return VK_UP;
    case KEY_DOWN:
      return VK_DOWN;
    case KEY_HOME:
      return VK_HOME;
    case KEY_END:
      return VK_END;
    case KEY_PPAGE:
      return VK_PRIOR;
    case KEY_NPAGE:
      return VK_NEXT;
    default:
      return 0;
  }
}

void handleKey(CDialog& d, const Key& k, unsigned mods) {
  if (k.alt) {
    d.AccessKey(static_cast<char>(k.code), mods);
    return;
  }
  if (k.isKey) {
    if (k.code == KEY_F(2))
      d.KeyDown(VK_RETURN, mods | MOD_CONTROL_KEY);
    else if (k.code == KEY_BTAB)
      d.KeyDown(VK_TAB, MOD_SHIFT_KEY);
    else if (int vk = virtualKey(k.code))
      d.KeyDown(vk, mods);
    return;
  }
  switch (k.code) {
    case '\n':
    case '\r':
      d.KeyDown(VK_RETURN, mods);
      return;
    case '\t':
      d.KeyDown(VK_TAB, mods);
      return;
    case 27:
      d.KeyDown(VK_ESCAPE, mods);
      return;
    case 127:
    case 8:
      d.KeyDown(VK_BACK, mods);
      return;
    default:
      break;
  }
  if (k.code >= 0x20 && k.code != 0x7F && k.code <= 0xFF)
    d.Char(static_cast<unsigned char>(k.code), mods);
}

// Entries the mouse wheel scrolls a list by, one notch.
constexpr int kWheelLines = 3;

// A click on a list's scroll bar, `row` rows below its top: an arrow
// scrolls by one entry, the track above or below the thumb by a page; the
// selection stays.
void barClick(CDialog& d, const ControlState& list, const ScrollBar& b, int row) {
  int page = b.rows;
  int lines = 0;
  if (row == 0)
    lines = -1;
  else if (row == b.rows - 1)
    lines = 1;
  else if (row - 1 < b.thumbTop)
    lines = -page;
  else if (row - 1 >= b.thumbTop + b.thumbRows)
    lines = page;
  if (lines != 0) d.ScrollList(list.id, lines);
}

// A mouse event: the wheel scrolls the list under it; a click selects the
// list entry under it, or clicks the control.
void handleMouse(CDialog& d, const MEVENT& ev, unsigned mods) {
  int idx = -1;
  ControlState* c = hit(d, ev.y, ev.x, idx);
  if (!c) return;
  bool list = IsListControl(*c);
  if (ev.bstate & (BUTTON4_PRESSED | BUTTON5_PRESSED)) {
    if (list) d.ScrollList(c->id, ev.bstate & BUTTON4_PRESSED ? -kWheelLines : kWheelLines);
    return;
  }
  if (list) {
    ScrollBar b = scrollBarOf(*c, cellOf(place(d), *c));
    if (b.shown && ev.x == b.col && ev.y >= b.top && ev.y < b.top + b.rows) {
      barClick(d, *c, b, ev.y - b.top);
      return;
    }
  }
  if (list && idx >= 0 && idx < ListEntryCount(*c))
    d.SelectListItem(c->id, idx);
  else
    d.Click(c->id, mods);
}

// The locale setting that decides the character set, as "NAME=value",
// in the order setlocale reads them; empty when none is set.
std::string localeSetting() {
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(name);
    if (value && *value) return std::string(name) + "=" + value;
  }
  return "";
}

// The start of every reason the front end gives for not starting; the
// program writes it after its name, as its other start-up reports.
const std::string kStartFailed = "Fehler bei der Initialisierung: ";

// The character type of the locale the environment names; only it is
// taken from the environment (the screen's and the keyboard's character
// set), so messages and numbers stay as the program writes them. A locale
// that is not installed is what most terminal programs meet with a warning:
// the program goes on in the C locale (ASCII, umlauts spelled out) and says
// so on standard error, where the line stays after the screen is given
// back. Running out of memory here is a failure like any other.
void setLocale() {
  errno = 0;
  if (std::setlocale(LC_CTYPE, "")) return;
  if (errno == ENOMEM) throw std::bad_alloc();
  std::string setting = localeSetting();
  std::fprintf(stderr,
               "zolma: Warnung: die Spracheinstellung %s ist auf diesem System nicht "
               "eingerichtet (\"locale -a\" nennt die eingerichteten); das Programm schreibt "
               "ASCII\n",
               setting.empty() ? "der Umgebung" : setting.c_str());
  std::setlocale(LC_CTYPE, "C");
}

// The terminal, as newterm sets it up. A terminal that cannot be set up
// is reported in the program's words, naming the terminal type (initscr
// would write the library's own line and end the program itself).
SCREEN* openTerminal() {
  const char* term = std::getenv("TERM");
  if (!term || !*term)
    throw UiError(kStartFailed + "kein Terminaltyp angegeben (die Umgebungsvariable TERM ist leer)");
  if (SCREEN* sp = newterm(nullptr, stdout, stdin)) return sp;
  // Why: the terminal description looked up once more (1 found, 0 no
  // such type, -1 no database).
  int err = tgetent(nullptr, term);
  std::string type = std::string("\"") + term + "\"";
  if (err == 0)
    throw UiError(kStartFailed + "unbekannter Terminaltyp " + type +
                  " (TERM): keine Beschreibung in der terminfo-Datenbank, oder der Typ kann "
                  "keinen Bildschirm steuern");
  if (err == -1)
    throw UiError(kStartFailed + "die terminfo-Datenbank ist nicht zu finden (Terminaltyp " +
                  type + ")");
  throw UiError(kStartFailed + "das Terminal (Terminaltyp " + type +
                ") laesst sich nicht einrichten (newterm)");
}

}  // namespace

CursesHost::CursesHost() {
  // Everything that may fail comes before the terminal is taken over, so
  // that a failure leaves it as it was.
  setLocale();
  std::string codeset = TermCodeset();
  auto out = std::make_unique<TermOutput>(codeset);
  auto in = std::make_unique<TermInput>(codeset);
  TermScrollGlyphs bar = TermScrollBarGlyphs(codeset);
  auto keys = std::make_unique<TermKeyReader>(cursesUnit, *in);
  screen_ = openTerminal();
  g_out = std::move(out);
  g_in = std::move(in);
  g_keys = std::move(keys);
  g_bar = std::move(bar);
  raw();  // Ctrl+C comes as a key (it ends the program through the dialogs)
  noecho();
  keypad(stdscr, TRUE);
  // Home and End as terminals send them whatever their terminfo entry
  // says (the VT220 and the xterm forms), so that the lists' keys work in
  // a terminal that names itself after another.
  define_key("\033[1~", KEY_HOME);
  define_key("\033[4~", KEY_END);
  define_key("\033[H", KEY_HOME);
  define_key("\033[F", KEY_END);
  define_key("\033OH", KEY_HOME);
  define_key("\033OF", KEY_END);
  set_escdelay(25);
  mousemask(BUTTON1_CLICKED | BUTTON1_PRESSED | BUTTON4_PRESSED | BUTTON5_PRESSED, nullptr);
  mouseinterval(0);
  previous_ = AfxSetHost(this);
}

CursesHost::~CursesHost() {
  endwin();
  delscreen(static_cast<SCREEN*>(screen_));
  g_keys.reset();
  g_in.reset();
  g_out.reset();
  AfxSetHost(previous_);
}

void CursesHost::RunModalLoop(CDialog& dlg) {
  while (!dlg.ended()) {
    drawAll(AfxModalStack(), nullptr, stickyMods_, note_);
    Key k = readKey();
    if (k.code == -1) {
      // A blocking read that keeps failing means the terminal is gone
      // (its input ended): cancel the dialog instead of spinning.
      if (inputLost()) dlg.KeyDown(VK_ESCAPE);
      continue;
    }
    readErrors_ = 0;
    if (k.isKey && k.code == KEY_RESIZE) continue;
    // While the dialogs cannot be shown, no key reaches them unseen.
    if (!stackFits(AfxModalStack())) continue;
    note_.clear();  // a note stays until the next key
    if (k.isKey && k.code == KEY_F(3)) {
      stickyMods_ ^= MOD_SHIFT_KEY;
      continue;
    }
    if (k.isKey && k.code == KEY_F(10)) {
      systemMenu(dlg);
      continue;
    }
    unsigned mods = stickyMods_;
    stickyMods_ = 0;
    if (k.isKey && k.code == KEY_MOUSE) {
      MEVENT ev;
      if (getmouse(&ev) != OK) continue;
      if (ev.bstate & BUTTON_SHIFT) mods |= MOD_SHIFT_KEY;
      if (ev.bstate & BUTTON_CTRL) mods |= MOD_CONTROL_KEY;
      handleMouse(dlg, ev, mods);
      takeNote();
      continue;
    }
    handleKey(dlg, k, mods);
    takeNote();
  }
  drawAll(AfxModalStack(), nullptr, 0, note_);
}

void CursesHost::takeNote() {
  // For example, where a document went that the event printed.
  std::string note;
  if (noteSource_ && noteSource_(note) && !note.empty()) note_ = note;
}

bool CursesHost::inputLost() {
  napms(10);
  return ++readErrors_ >= kLostInputReads;
}

int CursesHost::MessageBox(CWnd*, const std::string& text, const std::string& caption, UINT) {
  Popup p{text, caption};
  for (;;) {
    drawAll(AfxModalStack(), &p, 0);
    Key k = readKey();
    if (k.code == -1) {
      if (inputLost()) break;
      continue;
    }
    readErrors_ = 0;
    if (k.isKey && k.code == KEY_RESIZE) continue;
    if (!stackFits(AfxModalStack())) continue;
    if (k.isKey && (k.code == KEY_ENTER || k.code == KEY_F(2))) break;
    if (k.isKey && k.code == KEY_MOUSE) {
      MEVENT ev;
      if (getmouse(&ev) == OK && (ev.bstate & (BUTTON1_CLICKED | BUTTON1_PRESSED))) break;
      continue;
    }
    if (!k.isKey && (k.code == '\n' || k.code == '\r' || k.code == ' ' || k.code == 27)) break;
  }
  return IDOK;
}
