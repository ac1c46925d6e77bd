// cp1252.cpp - Windows-1252 <-> UTF-8, by the terminal's conversion tables.
#include "platform/ui/cp1252.h"

#include "platform/ui/termtext.h"

std::string Cp1252ToUtf8(const std::string& text) {
  static const TermOutput utf8("UTF-8");
  return utf8.Convert(text);
}

std::string Utf8ToCp1252(const std::string& text) {
  // One decoder for the process, set up at the first call and never freed
  // (the hint line converts on every redraw): it needs no destructor, whose
  // registration could fail for want of memory and end the process. A
  // failed set-up throws, and the next call tries again.
  static TermInput* decoder = new TermInput("UTF-8");
  TermInput& in = *decoder;
  in.Reset();
  std::string out;
  for (unsigned char b : text) {
    bool broken = in.Pending() && (b < 0x80 || b > 0xBF);
    unsigned char c = 0;
    TermInput::Result r = in.Feed(b, c);
    if (broken) out += '?';
    if (r == TermInput::kChar) out += static_cast<char>(c);
    if (r == TermInput::kDropped) out += '?';
  }
  if (in.Pending()) out += '?';
  return out;
}
