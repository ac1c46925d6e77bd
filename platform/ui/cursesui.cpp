// cursesui.cpp - the ncurses front end of the dialog model.
#include "platform/ui/cursesui.h"

#include <curses.h>

#include <algorithm>
#include <clocale>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/cp1252.h"
#include "platform/ui/termkeys.h"
#include "platform/ui/termtext.h"

namespace {

// The locale's character set: the screen's table and the keyboard's
// decoder, set up by the host.
std::unique_ptr<TermOutput> g_out;

// Placement of a dialog on the screen. Columns are 4 dialog units; rows
// are 8 units, or up to 10 when the terminal is too short for 8.
struct Frame {
  int top = 0, left = 0;   // of the box, border included
  int rows = 0, cols = 0;  // inside the border
  int vunit = 8;
  bool fits = true;
  int needRows = 0, needCols = 0;
};

constexpr int kMaxVUnit = 10;

Frame place(const CDialog& dlg) {
  const DlgTemplate* t = dlg.dlgTemplate();
  Frame f;
  int cx = t ? t->cx : 40, cy = t ? t->cy : 20;
  f.cols = (cx + 3) / 4;
  int avail = LINES - 3;  // border and the status line
  f.vunit = 8;
  while (f.vunit < kMaxVUnit && (cy + f.vunit - 1) / f.vunit > avail) ++f.vunit;
  f.rows = (cy + f.vunit - 1) / f.vunit;
  f.needRows = (cy + kMaxVUnit - 1) / kMaxVUnit + 3;
  f.needCols = f.cols + 2;
  f.fits = f.rows + 3 <= LINES && f.cols + 2 <= COLS;
  f.top = std::max(0, (LINES - 1 - (f.rows + 2)) / 2);
  f.left = std::max(0, (COLS - (f.cols + 2)) / 2);
  return f;
}

struct Cell {
  int row, col, width, height;
};

// One rule for every control: it stands on the row of the middle of its
// first text line (a line is at most kLineUnits high), rounded to the
// nearest row, so a label and the field beside it share a row; columns
// start at x / 4. Lists reach down over the rows their height covers.
constexpr int kLineUnits = 14;

int rowOf(const Frame& f, int units) { return (2 * units + f.vunit) / (2 * f.vunit); }

Cell cellOf(const Frame& f, const ControlState& c) {
  Cell r;
  r.col = f.left + 1 + c.x / 4;
  r.width = std::max(1, (c.cx + 2) / 4);
  r.row = f.top + 1 + rowOf(f, c.y + std::min(c.cy, kLineUnits) / 2);
  r.row = std::min(r.row, f.top + f.rows);
  r.height = 1;
  if (c.cls == CtlClass::ListBox || c.cls == CtlClass::ListView)
    r.height = std::min(std::max(2, c.cy / f.vunit), f.top + f.rows + 1 - r.row);
  r.width = std::min(r.width, f.left + f.cols + 1 - r.col);
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

int listTop(const ControlState& c, int height) {
  if (c.curSel < height) return 0;
  return c.curSel - height + 1;
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

std::vector<std::string> wrapText(const std::string& text, int width, size_t lines) {
  return TermWrap(*g_out, text, width, lines);
}

void drawControl(const Frame& f, CDialog& dlg, const ControlState& c, bool active, int& caretRow,
                 int& caretCol) {
  if (!c.visible) return;
  Cell r = cellOf(f, c);
  bool focus = active && dlg.focusId() == c.id && c.id > 0;
  if (!c.enabled) attron(A_DIM);
  switch (c.cls) {
    case CtlClass::Static: {
      // Dialog units are narrower than terminal cells: a label may run past
      // its rectangle up to the dialog's border (controls drawn later win).
      // A label that would touch the control to its right on its row moves
      // left, as far as the dialog's inner edge, to keep a blank before it.
      if (!(c.style & SS_RIGHT)) {
        int pos = -1;
        std::string shown = (c.style & SS_NOPREFIX) ? c.text : stripAmp(c.text, pos);
        int next = nextColumnRight(f, dlg, c, r);
        int over = r.col + cells(shown) - (next - 1);
        if (next > 0 && over > 0) r.col -= std::min(over, r.col - (f.left + 1));
      }
      int room = f.left + f.cols + 1 - r.col;
      int w = (c.style & SS_RIGHT) ? r.width : std::max(r.width, room);
      std::vector<int> rows = continuationRows(f, dlg, c, r);
      if (rows.size() > 1 && cells(c.text) > w) {
        std::vector<std::string> lines = wrapText(c.text, w, rows.size());
        for (size_t i = 0; i < lines.size(); ++i) put(rows[i], r.col, lines[i], w);
        break;
      }
      putCaption(r.row, r.col, c.text, w, (c.style & SS_NOPREFIX) == 0, (c.style & SS_RIGHT) != 0);
      break;
    }
    case CtlClass::Edit: {
      // Scrolled so that the caret stands inside the field.
      int w = r.width;
      size_t scroll = 0;
      size_t caret = static_cast<size_t>(std::clamp(c.selEnd, 0, static_cast<int>(c.text.size())));
      while (scroll < caret && cells(c.text.substr(scroll, caret - scroll)) > w - 1) ++scroll;
      std::string shown = c.text.substr(std::min(scroll, c.text.size()));
      attron(A_UNDERLINE);
      mvhline(r.row, r.col, ' ', w);
      put(r.row, r.col, shown, w);
      attroff(A_UNDERLINE);
      auto colOf = [&](int index) {
        size_t i = static_cast<size_t>(std::max(index, static_cast<int>(scroll)));
        return cells(c.text.substr(scroll, i - scroll));
      };
      if (focus && c.selEnd > c.selStart) {
        attron(A_REVERSE);
        size_t from = static_cast<size_t>(std::max(c.selStart, static_cast<int>(scroll)));
        int s = colOf(c.selStart);
        if (s < w && from < c.text.size() && from < static_cast<size_t>(c.selEnd))
          put(r.row, r.col + s, c.text.substr(from, static_cast<size_t>(c.selEnd) - from), w - s);
        attroff(A_REVERSE);
      }
      if (focus) {
        caretRow = r.row;
        caretCol = r.col + std::min(colOf(static_cast<int>(caret)), w - 1);
      }
      break;
    }
    case CtlClass::Button: {
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
      break;
    }
    case CtlClass::ListBox: {
      int top = listTop(c, r.height);
      for (int i = 0; i < r.height; ++i) {
        int idx = top + i;
        mvhline(r.row + i, r.col, ' ', r.width);
        if (idx < static_cast<int>(c.items.size())) {
          if (idx == c.curSel) attron(focus ? A_REVERSE : A_BOLD);
          put(r.row + i, r.col, c.items[static_cast<size_t>(idx)], r.width);
          attroff(A_REVERSE | A_BOLD);
        }
      }
      mvvline(r.row, r.col + r.width, ACS_VLINE, r.height);
      if (focus) {
        caretRow = r.row + std::max(0, c.curSel - top);
        caretCol = r.col;
      }
      break;
    }
    case CtlClass::ListView: {
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
      int body = r.height - 1;
      int top = listTop(c, body);
      for (int i = 0; i < body; ++i) {
        int idx = top + i;
        mvhline(r.row + 1 + i, r.col, ' ', r.width);
        if (idx >= static_cast<int>(c.rows.size())) continue;
        if (idx == c.curSel) attron(focus ? A_REVERSE : A_BOLD);
        col = r.col;
        const auto& row = c.rows[static_cast<size_t>(idx)];
        for (size_t k = 0; k < row.size() && k < widths.size(); ++k) {
          put(r.row + 1 + i, col, row[k], std::min(widths[k], r.col + r.width - col));
          col += widths[k] + 1;
          if (col >= r.col + r.width) break;
        }
        attroff(A_REVERSE | A_BOLD);
      }
      if (focus) {
        caretRow = r.row + 1 + std::max(0, c.curSel - top);
        caretCol = r.col;
      }
      break;
    }
    case CtlClass::Bitmap:
      attron(A_BOLD | A_REVERSE);
      put(r.row, r.col + std::max(0, (r.width - 7) / 2), " ZOLMA ", r.width);
      attroff(A_BOLD | A_REVERSE);
      break;
    case CtlClass::Icon:
      attron(A_BOLD);
      put(r.row, r.col, "[Z]", r.width);
      attroff(A_BOLD);
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

void drawAll(const std::vector<CDialog*>& stack, const Popup* popup, unsigned mods,
             const std::string& note = "") {
  erase();
  int caretRow = -1, caretCol = -1;
  for (size_t i = 0; i < stack.size(); ++i) {
    CDialog& d = *stack[i];
    Frame f = place(d);
    bool active = i + 1 == stack.size() && !popup;
    if (!f.fits) {
      erase();
      std::string msg = "Das Terminal ist zu klein: " + std::to_string(f.needCols) + " x " +
                        std::to_string(f.needRows) + " Zeichen werden gebraucht, " +
                        std::to_string(COLS) + " x " + std::to_string(LINES) +
                        " sind da. Bitte vergrößern.";
      mvaddstr(0, 0, g_out->Convert(Utf8ToCp1252(msg)).c_str());
      refresh();
      return;
    }
    box(f.top, f.left, f.rows, f.cols, d.title());
    // Labels first, so that a long label never covers a field or a button.
    for (const auto& c : d.controls())
      if (c.cls == CtlClass::Static) drawControl(f, d, c, active, caretRow, caretCol);
    for (const auto& c : d.controls())
      if (c.cls != CtlClass::Static) drawControl(f, d, c, active, caretRow, caretCol);
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
    caretRow = -1;
  }
  std::string status = note.empty() ? hintLine(stack, popup, mods) : " " + note;
  attron(A_REVERSE);
  mvhline(LINES - 1, 0, ' ', COLS);
  put(LINES - 1, 0, status, COLS);
  attroff(A_REVERSE);
  if (caretRow >= 0) {
    curs_set(1);
    move(caretRow, caretCol);
  } else {
    curs_set(0);
  }
  refresh();
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
      if (it->cls == CtlClass::ListBox) listIndex = listTop(*it, r.height) + (row - r.row);
      if (it->cls == CtlClass::ListView && row > r.row)
        listIndex = listTop(*it, r.height - 1) + (row - r.row - 1);
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

Key readKey() {
  Key k = g_keys->Next();
  if (k.none()) k.isKey = true;
  return k;
}

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
    std::string hint = Utf8ToCp1252(" Pfeile=wählen  Enter=ausführen  Esc Esc=zurück");
    attron(A_REVERSE);
    mvhline(LINES - 1, 0, ' ', COLS);
    put(LINES - 1, 0, hint, COLS);
    attroff(A_REVERSE);
    refresh();
    Key k = readKey();
    if (k.none()) return;  // the input is gone: the dialog's loop sees it too
    if (k.isKey && k.code == KEY_UP)
      sel = std::max(0, sel - 1);
    else if (k.isKey && k.code == KEY_DOWN)
      sel = std::min(static_cast<int>(items.size()) - 1, sel + 1);
    else if ((!k.isKey && (k.code == '\n' || k.code == '\r')) || (k.isKey && k.code == KEY_ENTER)) {
      d.SysCommand(items[static_cast<size_t>(sel)].id);
      return;
    } else if (!k.isKey && k.code == 27) {
      return;
    }
  }
}

void handleKey(CDialog& d, const Key& k, unsigned mods) {
  ControlState* f = d.focused();
  if (k.alt) {
    d.AccessKey(static_cast<char>(k.code), mods);
    return;
  }
  if (k.isKey) {
    switch (k.code) {
      case KEY_ENTER:
        d.KeyDown(VK_RETURN, mods);
        return;
      case KEY_F(2):
        d.KeyDown(VK_RETURN, mods | MOD_CONTROL_KEY);
        return;
      case KEY_BTAB:
        d.KeyDown(VK_TAB, MOD_SHIFT_KEY);
        return;
      case KEY_BACKSPACE:
        d.KeyDown(VK_BACK, mods);
        return;
      case KEY_DC:
        d.KeyDown(VK_DELETE, mods);
        return;
      case KEY_LEFT:
        d.KeyDown(VK_LEFT, mods);
        return;
      case KEY_RIGHT:
        d.KeyDown(VK_RIGHT, mods);
        return;
      case KEY_HOME:
        d.KeyDown(VK_HOME, mods);
        return;
      case KEY_END:
        d.KeyDown(VK_END, mods);
        return;
      case KEY_UP:
      case KEY_DOWN: {
        bool down = k.code == KEY_DOWN;
        if (f && f->cls == CtlClass::ListBox) {
          d.KeyDown(down ? VK_DOWN : VK_UP, mods);
        } else if (f && f->cls == CtlClass::ListView) {
          int n = static_cast<int>(f->rows.size());
          if (n) f->curSel = std::clamp(f->curSel + (down ? 1 : -1), 0, n - 1);
        } else {
          d.KeyDown(VK_TAB, down ? 0u : static_cast<unsigned>(MOD_SHIFT_KEY));
        }
        return;
      }
      case KEY_NPAGE:
      case KEY_PPAGE:
        if (f && (f->cls == CtlClass::ListView || f->cls == CtlClass::ListBox)) {
          int n = static_cast<int>(f->cls == CtlClass::ListView ? f->rows.size() : f->items.size());
          if (n) f->curSel = std::clamp(f->curSel + (k.code == KEY_NPAGE ? 10 : -10), 0, n - 1);
          if (f->cls == CtlClass::ListBox) d.notify(Notify::SelChange, f->id);
        }
        return;
      default:
        return;
    }
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

}  // namespace

CursesHost::CursesHost() : previous_(AfxSetHost(this)) {
  std::setlocale(LC_ALL, "");
  std::string codeset = TermCodeset();
  g_out = std::make_unique<TermOutput>(codeset);
  g_in = std::make_unique<TermInput>(codeset);
  g_keys = std::make_unique<TermKeyReader>(cursesUnit, *g_in);
  initscr();
  raw();
  noecho();
  keypad(stdscr, TRUE);
  set_escdelay(25);
  mousemask(BUTTON1_CLICKED | BUTTON1_PRESSED, nullptr);
  mouseinterval(0);
}

CursesHost::~CursesHost() {
  endwin();
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
    note_.clear();  // a note stays until the next key
    if (!place(dlg).fits) {
      // Only Escape works while the dialog cannot be shown.
      if (!k.isKey && k.code == 27) dlg.KeyDown(VK_ESCAPE);
      continue;
    }
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
      int idx = -1;
      ControlState* c = hit(dlg, ev.y, ev.x, idx);
      if (!c) continue;
      if (c->cls == CtlClass::ListBox && idx >= 0 && idx < static_cast<int>(c->items.size()))
        dlg.SelectListItem(c->id, idx);
      else if (c->cls == CtlClass::ListView && idx >= 0 && idx < static_cast<int>(c->rows.size()))
        c->curSel = idx, dlg.Click(c->id, mods);
      else
        dlg.Click(c->id, mods);
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
    if (k.isKey && (k.code == KEY_ENTER || k.code == KEY_F(2))) break;
    if (k.isKey && k.code == KEY_MOUSE) {
      MEVENT ev;
      if (getmouse(&ev) == OK) break;
      continue;
    }
    if (!k.isKey && (k.code == '\n' || k.code == '\r' || k.code == ' ' || k.code == 27)) break;
  }
  return IDOK;
}
