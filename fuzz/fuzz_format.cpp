/*
** Fuzz target: the message text formatter, pattern and parameters.
**
** Input, line by line:
**   "MODE SIZE VARIANT [NUMBER [SWAP]]"  placeholder mode, buffer size
**                                     (1 .. 4096), pattern variant letter,
**                                     message number, and 1 to hand the
**                                     record over in the other byte order
**   type letters                      as a raiser passes them
**   pattern                           up to 70 characters
**   one line per parameter            numbers in decimal; texts as they stand
** The pattern is expanded directly, and the record is formatted once more
** through the pattern lookup over the sample's message texts, whose
** references to further patterns ("%1:*d") this reaches too.
**
** What must hold: the formatter writes only inside the buffer it is given
** (the buffer is an allocation of exactly its size, and AddressSanitizer
** watches its end); the text is terminated inside it; the result is one of
** the defined codes; a text carries no trailing blank, and a failure leaves
** exactly the error line that names the message and the result. A record
** handed over in the other byte order whose mark its conversion does not
** give (MsgSwapContext turns a record of this host only approximately into
** the other order, so such records arise) fails with "Byteanordnung nicht
** erkennbar" and is named as handed over: its number unconverted.
*/
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/dtacc/dm/dm.h"
#include "fuzz/fuzz_common.h"
#include "msgtext/msgformat.h"
#include "support/utname.h"

namespace {

long long Num(const std::string& s) { return std::strtoll(s.c_str(), nullptr, 10); }

/* Checks one formatted line. raised is the record as the raiser built it
** (this host's byte order), handed the record as the formatter was given
** it. The result is 1 exactly when the handed record's mark is still not 1
** after its conversion: such a record is not trusted, and its error line
** names the message as handed over; any other failure's error line names
** the message as raised. */
void CheckLine(const char* buffer, int size, int result, const Meldungskontext* raised,
               const Meldungskontext* handed, const char* what) {
  ZFUZZ_CHECK(result >= 0 && result <= kMsgFmtBadParamType, "%s: result %d", what, result);
  size_t len = strnlen(buffer, static_cast<size_t>(size));
  ZFUZZ_CHECK(len < static_cast<size_t>(size), "%s: text not terminated inside %d bytes", what,
              size);
  if (len > 0) ZFUZZ_CHECK(buffer[len - 1] != ' ', "%s: trailing blank", what);
  Meldungskontext check;
  std::memcpy(&check, handed, sizeof check);
  if (MsgDataU16(&check, 0) != 1) MsgSwapContext(&check);
  const bool trusted = MsgDataU16(&check, 0) == 1;
  ZFUZZ_CHECK(trusted == (result != kMsgFmtByteOrder), "%s: result %d for a mark %s", what, result,
              trusted ? "that converts to 1" : "that stays wrong");
  if (result != kMsgFmtOk) {
    const Meldungskontext* m = trusted ? raised : handed;
    char id[3] = {m->SS_id[0], m->SS_id[0] ? m->SS_id[1] : '\0', '\0'};
    std::vector<char> expected(static_cast<size_t>(size));
    std::snprintf(expected.data(), expected.size(), " %2.2s%04u  %s", id,
                  static_cast<unsigned>(m->Meldungsnummer), MsgResultText(result));
    std::string e(expected.data());
    while (!e.empty() && e.back() == ' ') e.pop_back();
    ZFUZZ_CHECK(e == buffer, "%s: error line '%s', expected '%s'", what, buffer, e.c_str());
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  UtSetName("FEHL", ZOLMA_SAMPLE_DIR "/DMFEHL");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zfuzz::Input in(data, size);
  const std::string head = in.Until('\n');
  int mode = 0, bufSize = 199, number = 1102, swap = 0;
  char variant = 'D';
  {
    char v = 'D';
    int n = std::sscanf(head.c_str(), "%d %d %c %d %d", &mode, &bufSize, &v, &number, &swap);
    if (n >= 3) variant = v;
  }
  if (bufSize < 1) bufSize = 1;
  if (bufSize > 4096) bufSize = 4096;
  std::string types = in.Until('\n');
  if (types.size() > 12) types.resize(12);
  std::string patternLine = in.Until('\n');

  /* Parameters, one line each, kept alive for the build. */
  std::vector<std::string> lines;
  lines.reserve(types.size()); /* the pointers handed over must stay put */
  std::vector<std::unique_ptr<char[]>> blocks;
  std::vector<MsgArg> args;
  for (char t : types) {
    const std::string line = in.Until('\n');
    switch (t) {
      case 'd':
      case 'l':
      case 't':
        args.emplace_back(Num(line));
        break;
      case 's':
        lines.push_back(line.substr(0, line.find('\0')));
        args.emplace_back(static_cast<const void*>(lines.back().c_str()));
        break;
      case 'a': {
        auto b = std::make_unique<char[]>(line.size() + 1);
        std::memcpy(b.get(), line.data(), line.size());
        args.emplace_back(static_cast<const void*>(b.get()));
        args.emplace_back(static_cast<long long>(line.size()));
        blocks.push_back(std::move(b));
        break;
      }
      case 'F':
      case 'P':
      case 'J': {
        auto b = std::make_unique<char[]>(24);
        std::memset(b.get(), ' ', 24);
        std::memcpy(b.get(), line.data(), line.size() < 24 ? line.size() : 24);
        args.emplace_back(static_cast<const void*>(b.get()));
        blocks.push_back(std::move(b));
        break;
      }
      default:
        break; /* a letter without a parameter takes none */
    }
  }
  Meldungskontext* m = nullptr;
  MsgBuild(&m, "EB", static_cast<uint16_t>(number), static_cast<uint16_t>(mode), types.c_str(),
           std::span<const MsgArg>(args.data(), args.size()));
  Meldungskontext host;
  std::memcpy(&host, m, sizeof host);
  if (swap == 1) MsgSwapContext(m);

  /* The pattern: exactly 70 characters, blank-padded. */
  std::unique_ptr<char[]> pattern(new char[kMsgPatternSize]);
  std::memset(pattern.get(), ' ', kMsgPatternSize);
  std::memcpy(pattern.get(), patternLine.data(),
              patternLine.size() < kMsgPatternSize ? patternLine.size() : kMsgPatternSize);

  std::unique_ptr<char[]> buffer(new char[static_cast<size_t>(bufSize)]);
  int r = MsgFormatText(buffer.get(), static_cast<int16_t>(bufSize), m, kMsgFmtOk, pattern.get(),
                        variant);
  CheckLine(buffer.get(), bufSize, r, &host, m, "pattern");

  std::unique_ptr<char[]> buffer2(new char[static_cast<size_t>(bufSize)]);
  int r2 = zfuzz::Protected([&] {
    int f = MsgFormatContext(buffer2.get(), static_cast<int16_t>(bufSize), variant, m);
    ZFUZZ_CHECK(f == 0 || f == 1, "lookup: result %d", f);
    size_t len = strnlen(buffer2.get(), static_cast<size_t>(bufSize));
    ZFUZZ_CHECK(len < static_cast<size_t>(bufSize), "lookup: text not terminated inside %d bytes",
                bufSize);
  });
  ZFUZZ_CHECK(r2 == 0, "the pattern lookup raised %d", r2);
  MsgFree(m);
  return 0;
}
