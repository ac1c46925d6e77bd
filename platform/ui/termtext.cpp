// termtext.cpp - the terminal's character set: output table and input decoder.
#include "platform/ui/termtext.h"

#include <iconv.h>
#include <langinfo.h>

#include <cerrno>
#include <vector>

namespace {

constexpr const char* kModelSet = "WINDOWS-1252";

iconv_t openIconv(const std::string& to, const std::string& from) {
  return iconv_open(to.c_str(), from.c_str());
}

bool valid(iconv_t cd) { return cd != reinterpret_cast<iconv_t>(-1); }

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
    bool ok = false;
    if (valid(cd)) {
      ok = convert(cd, std::string(1, static_cast<char>(c)), out, err) && !out.empty();
    } else if (c < 0x80) {
      out.assign(1, static_cast<char>(c));
      ok = true;
    }
    if (ok) {
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
  if (valid(cd)) iconv_close(cd);
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

std::vector<std::string> TermWrap(const TermOutput& out, const std::string& text, int width,
                                  size_t lines) {
  auto cellsOf = [&out](const std::string& t) { return out.Cells(t); };
  // Separators of route texts and names: a line may end after one of them.
  auto separator = [](char ch) {
    return ch == ' ' || ch == '*' || ch == '^' || ch == '$' || ch == '#' || ch == '/' ||
           ch == ',' || ch == '-' || ch == ')';
  };
  std::vector<std::string> rows;
  std::string rest = text;
  while (!rest.empty() && rows.size() < lines) {
    if (rows.size() + 1 == lines || cellsOf(rest) <= width) {
      rows.push_back(rest);
      break;
    }
    size_t n = out.Fit(rest, width).size();
    size_t cut = n;
    // A separator in the line's last third ends it; else the line is full.
    for (size_t k = n; k > n - n / 3 && k > 0; --k) {
      if (separator(rest[k - 1])) {
        cut = k;
        break;
      }
    }
    if (cut == 0) cut = 1;
    rows.push_back(rest.substr(0, cut));
    rest.erase(0, cut);
    if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
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

// --- Input ---------------------------------------------------------------------

TermInput::TermInput(const std::string& codeset) : utf8_(isUtf8(codeset)) {
  // Characters reach Windows-1252 through UTF-8: UTF-8 input is split into
  // characters here, any other set is decoded to UTF-8 by iconv first.
  iconv_t toCp = openIconv(kModelSet, "UTF-8");
  toCp_ = valid(toCp) ? toCp : nullptr;
  if (!utf8_) {
    iconv_t toUtf8 = openIconv("UTF-8", codeset);
    if (!valid(toUtf8)) toUtf8 = openIconv("UTF-8", "ANSI_X3.4-1968");
    toUtf8_ = valid(toUtf8) ? toUtf8 : nullptr;
  }
}

TermInput::~TermInput() {
  if (toCp_) iconv_close(static_cast<iconv_t>(toCp_));
  if (toUtf8_) iconv_close(static_cast<iconv_t>(toUtf8_));
}

bool TermInput::toCp1252(const std::string& character, unsigned char& out) {
  if (!toCp_) {
    if (character.size() != 1 || static_cast<unsigned char>(character[0]) >= 0x80) return false;
    out = static_cast<unsigned char>(character[0]);
    return true;
  }
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
  if (!toUtf8_) {
    // No decoder for the set: ASCII alone.
    if (b >= 0x80) {
      held_.clear();
      return kDropped;
    }
    utf8 = held_;
  } else if (!convert(static_cast<iconv_t>(toUtf8_), held_, utf8, err)) {
    if (err == EINVAL && held_.size() < kMaxHeld) return kMore;
    bool broke = held_.size() > 1 && err == EILSEQ;
    held_.clear();
    // The byte broke the character begun before it: decode it afresh.
    return broke ? feedOther(b, out) : kDropped;
  }
  held_.clear();
  return toCp1252(utf8, out) ? kChar : kDropped;
}
