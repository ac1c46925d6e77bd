// termtext.cpp - the terminal's character set: output table and input decoder.
#include "platform/ui/termtext.h"

#include <iconv.h>
#include <langinfo.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <vector>

#include "platform/ui/uihost.h"

namespace {

constexpr const char* kModelSet = "WINDOWS-1252";

bool valid(iconv_t cd) { return cd != reinterpret_cast<iconv_t>(-1); }

// A conversion from one set to another. One that cannot be set up is a
// failure of the front end, never a quiet step down to ASCII: a set iconv
// does not know is a UiError naming it, no memory for it std::bad_alloc.
iconv_t openIconv(const std::string& to, const std::string& from) {
  iconv_t cd = iconv_open(to.c_str(), from.c_str());
  if (valid(cd)) return cd;
  if (errno == ENOMEM) throw std::bad_alloc();
  throw UiError("Zeichensatz-Umwandlung von " + from + " nach " + to +
                " nicht moeglich (iconv_open: " + std::strerror(errno) + ")");
}

// Converts the whole input; false with errno's value in `err` (EILSEQ:
// an invalid or unconvertible character, EINVAL: input ends inside one).
bool convert(iconv_t cd, const std::string& in, std::string& out, int& err) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  out.clear();
  err = 0;
  std::string src = in;
  char* ip = src.data();
  size_t il = src.size();
  char buf[64];
  while (il > 0) {
    char* op = buf;
    size_t ol = sizeof buf;
    size_t r = iconv(cd, &ip, &il, &op, &ol);
    out.append(buf, static_cast<size_t>(op - buf));
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      err = errno;
      return false;
    }
  }
  char* op = buf;
  size_t ol = sizeof buf;
  iconv(cd, nullptr, nullptr, &op, &ol);  // the closing shift sequence, if any
  out.append(buf, static_cast<size_t>(op - buf));
  return true;
}

// The program's own stand-ins for the German letters a set lacks.
const char* germanStandIn(unsigned char c) {
  switch (c) {
    case 0xC4:
      return "Ae";
    case 0xD6:
      return "Oe";
    case 0xDC:
      return "Ue";
    case 0xE4:
      return "ae";
    case 0xF6:
      return "oe";
    case 0xFC:
      return "ue";
    case 0xDF:
      return "ss";
    default:
      return nullptr;
  }
}

bool isUtf8(const std::string& codeset) {
  std::string s;
  for (char ch : codeset)
    if (ch != '-' && ch != '_')
      s += static_cast<char>(ch >= 'a' && ch <= 'z' ? ch - 'a' + 'A' : ch);
  return s == "UTF8";
}

}  // namespace

std::string TermCodeset() {
  const char* cs = nl_langinfo(CODESET);
  return cs && *cs ? cs : "ANSI_X3.4-1968";
}

// --- Output --------------------------------------------------------------------

TermOutput::TermOutput(const std::string& codeset) {
  iconv_t cd = openIconv(codeset, kModelSet);
  for (int b = 0; b < 256; ++b) {
    unsigned char c = static_cast<unsigned char>(b);
    std::string out;
    int err = 0;
    if (convert(cd, std::string(1, static_cast<char>(c)), out, err) && !out.empty()) {
      bytes_[c] = out;
      cells_[c] = 1;  // Windows-1252 holds no double-width characters
    } else if (const char* s = germanStandIn(c)) {
      bytes_[c] = s;
      cells_[c] = 2;
    } else {
      bytes_[c] = "?";
      cells_[c] = 1;
    }
  }
  iconv_close(cd);
}

std::string TermOutput::Convert(const std::string& cp1252) const {
  std::string out;
  out.reserve(cp1252.size() * 2);
  for (unsigned char c : cp1252) out += bytes_[c];
  return out;
}

int TermOutput::Cells(const std::string& cp1252) const {
  int n = 0;
  for (unsigned char c : cp1252) n += cells_[c];
  return n;
}

std::string TermOutput::Fit(const std::string& cp1252, int cells) const {
  int n = 0;
  size_t i = 0;
  for (; i < cp1252.size(); ++i) {
    int w = cells_[static_cast<unsigned char>(cp1252[i])];
    if (n + w > cells) break;
    n += w;
  }
  return cp1252.substr(0, i);
}

// --- Wrapping ------------------------------------------------------------------

namespace {

// The separators between the names of a route text: a row ends after one.
bool routeSeparator(char ch) { return ch == '*' || ch == '^' || ch == '$'; }

// Word ends of other texts: a row ends after one, or before a blank.
bool wordSeparator(char ch) {
  return ch == ' ' || ch == '/' || ch == ',' || ch == '-' || ch == ')' || ch == '#';
}

// The length of the row that `rest` starts with, given that its first n
// characters fit: after the last route separator among them (or before
// one right after them: a name that fills the row exactly), so that no
// name of a route text is torn; in a row that holds no name whole (a name longer
// than the row, or a text without separators), after the last word end;
// else the row is full.
size_t rowLength(const std::string& rest, size_t n) {
  for (size_t k = n; k > 1; --k)
    if (routeSeparator(rest[k - 1])) return k;
  if (n < rest.size() && routeSeparator(rest[n])) return n;
  for (size_t k = n; k > 0; --k) {
    if (k < rest.size() && rest[k] == ' ') return k;  // the blank is dropped
    if (rest[k - 1] != ' ' && wordSeparator(rest[k - 1])) return k;
  }
  return std::max<size_t>(n, 1);
}

}  // namespace

std::vector<std::string> TermWrap(const TermOutput& out, const std::string& text, int width,
                                  size_t lines) {
  std::vector<std::string> rows;
  std::string rest = text;
  while (!rest.empty() && rows.size() < lines) {
    if (rows.size() + 1 == lines || out.Cells(rest) <= width) {
      rows.push_back(rest);
      break;
    }
    size_t cut = rowLength(rest, out.Fit(rest, width).size());
    rows.push_back(rest.substr(0, cut));
    rest.erase(0, cut);
    // The break takes the place of a blank, or of the '*' after a name
    // that fills its row exactly.
    if (!rest.empty() && (rest[0] == ' ' || routeSeparator(rest[0]))) rest.erase(0, 1);
  }
  return rows;
}

std::string TermFitNote(const TermOutput& out, const std::string& note, int width) {
  if (out.Cells(note) <= width) return note;
  const std::string dots = "...";
  size_t colon = note.rfind(": ");
  if (colon == std::string::npos) return out.Fit(note, width);
  std::string head = note.substr(0, colon + 2);
  int room = width - out.Cells(head) - out.Cells(dots);
  if (room <= 0) return out.Fit(note, width);
  // The longest end of the rest that fits the room left.
  std::string rest = note.substr(colon + 2);
  size_t from = rest.size();
  int used = 0;
  while (from > 0) {
    int w = out.Cells(rest.substr(from - 1, 1));
    if (used + w > room) break;
    used += w;
    --from;
  }
  return head + dots + rest.substr(from);
}

// --- Scroll bar ---------------------------------------------------------------

TermScrollGlyphs TermScrollBarGlyphs(const std::string& codeset) {
  iconv_t cd = openIconv(codeset, "UTF-8");
  // Both glyphs of a pair in the set, or both stand-ins: never an arrow
  // of one kind beside one of the other.
  auto pair = [cd](const char* a, const char* b, const char* fa, const char* fb, std::string& oa,
                   std::string& ob) {
    int err = 0;
    if (convert(cd, a, oa, err) && convert(cd, b, ob, err) && !oa.empty() && !ob.empty()) return;
    oa = fa;
    ob = fb;
  };
  TermScrollGlyphs g;
  pair("\xE2\x86\x91", "\xE2\x86\x93", "^", "v", g.up, g.down);     // arrows up, down
  pair("\xE2\x96\x92", "\xE2\x96\x88", ":", "#", g.track, g.thumb);  // shade, full block
  iconv_close(cd);
  return g;
}

TermThumb TermScrollThumb(int entries, int page, int first, int track) {
  TermThumb t;
  if (track <= 0 || entries <= 0) return t;
  if (page >= entries) return TermThumb{0, track};
  t.rows = std::clamp((track * page + entries / 2) / entries, 1, track);
  int span = entries - page;  // the last entry a page can start at
  first = std::clamp(first, 0, span);
  int room = track - t.rows;  // the last row the thumb can start at
  t.top = (first * room + span / 2) / span;
  if (room >= 2 && first > 0 && first < span) t.top = std::clamp(t.top, 1, room - 1);
  return t;
}

// --- Input ---------------------------------------------------------------------

TermInput::TermInput(const std::string& codeset) : utf8_(isUtf8(codeset)) {
  // Characters reach Windows-1252 through UTF-8: UTF-8 input is split into
  // characters here, any other set is decoded to UTF-8 by iconv first.
  toCp_ = openIconv(kModelSet, "UTF-8");
  if (!utf8_) {
    try {
      toUtf8_ = openIconv("UTF-8", codeset);
    } catch (...) {
      iconv_close(static_cast<iconv_t>(toCp_));
      throw;
    }
  }
}

TermInput::~TermInput() {
  iconv_close(static_cast<iconv_t>(toCp_));
  if (toUtf8_) iconv_close(static_cast<iconv_t>(toUtf8_));
}

bool TermInput::toCp1252(const std::string& character, unsigned char& out) {
  std::string cp;
  int err = 0;
  if (!convert(static_cast<iconv_t>(toCp_), character, cp, err) || cp.size() != 1) return false;
  out = static_cast<unsigned char>(cp[0]);
  return true;
}

TermInput::Result TermInput::Feed(unsigned char byte, unsigned char& out) {
  return utf8_ ? feedUtf8(byte, out) : feedOther(byte, out);
}

TermInput::Result TermInput::feedUtf8(unsigned char b, unsigned char& out) {
  if (need_ > 0) {
    if (b >= lo_ && b <= hi_) {
      held_ += static_cast<char>(b);
      lo_ = 0x80;
      hi_ = 0xBF;
      if (--need_ > 0) return kMore;
      std::string ch;
      ch.swap(held_);
      return toCp1252(ch, out) ? kChar : kDropped;
    }
    // The byte breaks the sequence: the bytes before it go, the byte
    // itself starts afresh.
    held_.clear();
    need_ = 0;
  }
  lo_ = 0x80;
  hi_ = 0xBF;
  if (b < 0x80) {
    out = b;
    return kChar;
  }
  if (b >= 0xC2 && b <= 0xDF) {
    need_ = 1;
  } else if (b >= 0xE0 && b <= 0xEF) {
    need_ = 2;
    if (b == 0xE0) lo_ = 0xA0;  // no overlong forms
    if (b == 0xED) hi_ = 0x9F;  // no surrogates
  } else if (b >= 0xF0 && b <= 0xF4) {
    need_ = 3;
    if (b == 0xF0) lo_ = 0x90;
    if (b == 0xF4) hi_ = 0x8F;  // nothing beyond U+10FFFF
  } else {
    return kDropped;  // 0x80-0xC1, 0xF5-0xFF start nothing
  }
  held_.assign(1, static_cast<char>(b));
  return kMore;
}

TermInput::Result TermInput::feedOther(unsigned char b, unsigned char& out) {
  // A character of a multi-byte set is never longer than this; more held
  // bytes mean the input is not in the set at all.
  constexpr size_t kMaxHeld = 8;
  held_ += static_cast<char>(b);
  std::string utf8;
  int err = 0;
  if (!convert(static_cast<iconv_t>(toUtf8_), held_, utf8, err)) {
    if (err == EINVAL && held_.size() < kMaxHeld) return kMore;
    bool broke = held_.size() > 1 && err == EILSEQ;
    held_.clear();
    // The byte broke the character begun before it: decode it afresh.
    return broke ? feedOther(b, out) : kDropped;
  }
  held_.clear();
  return toCp1252(utf8, out) ? kChar : kDropped;
}
