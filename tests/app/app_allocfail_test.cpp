// The program's way through one session with the n-th allocation failing,
// for every n: the start-up (every table loaded and the engine initialised,
// as the application does it, on the sample data set), one request with
// route text, a 50 km list and the end.
//
// Each phase starts from a snapshot: the test forks the runs of a phase at
// the point where the phases before it have succeeded. The run with no
// failure goes first and gives the phase's count of allocations and its
// result; then run n fails allocation n, for every n up to that count, the
// runs spread over the cores. Every run must end in one of these ways:
//   - the result of the run without failure (the failure was handled
//     without a trace, as when a fast path falls back to the plain one);
//   - a clean end: a failed start-up with its report and the message box
//     "Fehler bei der Initialisierung"; a request or a list that ends with
//     its message box, the display left empty, and after which the same
//     request or list gives the result of the run without failure;
//   - the process ended by the typed lists' out-of-memory end (exit code
//     153, its "MemLogERROR" line in the debug log) or by the failed
//     allocation of a message context (exit code 1, nothing written); both
//     ends are the support runtime's own, and the failed site is checked.
// Nothing is left behind: after a clean end no table stays loaded and no
// name registered, and in the sanitizer build a leak check runs in every
// run. The counts of each kind are printed per phase.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/resource.h"
#include "app/zolmaapp.h"
#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_ebgb.h"
#include "common/dtacc/dm/dm_ebgg.h"
#include "common/dtacc/dm/dm_ebhf.h"
#include "common/dtacc/dm/dm_fbrr.h"
#include "common/dtacc/dm/dm_fbrw.h"
#include "common/dtacc/dm/dm_fehl.h"
#include "common/dtacc/dm/dm_gren.h"
#include "common/dtacc/dm/dm_lost.h"
#include "common/dtacc/dm/dm_nesr.h"
#include "common/dtacc/dm/dm_ngat.h"
#include "common/dtacc/dm/dm_pbhf.h"
#include "common/dtacc/dm/dm_rbgt.h"
#include "common/dtacc/dm/dm_sten.h"
#include "common/dtacc/dm/dm_tdrg.h"
#include "platform/ui/uihost.h"
#include "support/msg.h"
#include "support/utday.h"
#include "support/utfault.h"
#include "support/utlist.h"
#include "support/utlog.h"
#include "support/utname.h"
#include "tests/common/allocfail.h"
#include "tests/common/tempdir.h"

#if defined(__SANITIZE_ADDRESS__)
#define ZOLMA_LEAK_CHECK 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZOLMA_LEAK_CHECK 1
#endif
#endif
#if defined(ZOLMA_LEAK_CHECK)
#include <sanitizer/lsan_interface.h>
#endif

namespace {

namespace fs = std::filesystem;

const std::string kKrv = "KRV Entfernungsberechnung";
const std::string kInitFehler = "Fehler bei der Initialisierung";

// ---- what a run reports ------------------------------------------------------

enum Ende : int {
  kNichtBeendet = 0,  // the run ended the process before reporting
  kRichtig,           // the result of the run without failure
  kSauber,            // a clean end; text names the reason
  kFalsch,            // anything else; text says what
};

// One run's report, in memory shared with the test process.
struct Bericht {
  int ende;
  int site;    // the failed allocation's site; -1 none, kUtFaultSites operator new
  int failed;  // the armed allocation was reached
  long count;  // allocations counted
  char text[488];
};

Bericht* g_bericht = nullptr;  // this run's report (in a run only)
long g_n = 0;                  // this run's failing allocation, 0 = none
bool g_inLauf = false;         // this process is a run
char g_logPfad[512];           // the debug log of this run

// The reference: the result of the run without failure.
std::string g_referenz;
char* g_referenzPuffer = nullptr;  // shared, for the run without failure
constexpr std::size_t kReferenzGroesse = 1 << 20;

void setText(Bericht* b, const std::string& t) {
  std::snprintf(b->text, sizeof b->text, "%s", t.c_str());
}

// The failed site, noted as the allocation fails; a list's failure ends
// the process with its debug-log line, so the log is opened now.
void notiereFehlschlag(int site) {
  if (!g_bericht) return;
  g_bericht->site = site;
  if (site == kUtFaultList) UtLogSetStream(std::fopen(g_logPfad, "w"));
}

void armieren() {
  g_bericht->site = -1;
  allocfail::Arm(g_n == 0 ? LONG_MAX : g_n);
}

// Stops counting: what follows is the test's own work, or the check that
// the program lost nothing.
void entwaffnen() { allocfail::Disarm(); }

// Ends a run: the leak check, then the report.
[[noreturn]] void laufEnde(Ende ende, const std::string& text) {
  allocfail::Disarm();
  g_bericht->failed = allocfail::Failed() ? 1 : 0;
  g_bericht->count = allocfail::Count();
#if defined(ZOLMA_LEAK_CHECK)
  if (__lsan_do_recoverable_leak_check() != 0 && ende != kFalsch) {
    ende = kFalsch;
    setText(g_bericht, "memory leaked (see the leak report above); after: " + text);
  } else {
    setText(g_bericht, text);
  }
#else
  setText(g_bericht, text);
#endif
  g_bericht->ende = ende;
  std::fflush(nullptr);
  _exit(0);
}

// The run without failure hands its result to the test process.
[[noreturn]] void laufErgebnis(const std::string& ergebnis) {
  if (g_n == 0) {
    std::snprintf(g_referenzPuffer, kReferenzGroesse, "%s", ergebnis.c_str());
    laufEnde(kRichtig, "");
  }
  if (ergebnis == g_referenz) laufEnde(kRichtig, "");
  std::size_t i = 0;
  while (i < ergebnis.size() && i < g_referenz.size() && ergebnis[i] == g_referenz[i]) ++i;
  const std::size_t von = i > 60 ? i - 60 : 0;
  laufEnde(kFalsch, "a result other than without failure: ..." + ergebnis.substr(von, 160) +
                        " | expected ..." + g_referenz.substr(von, 160));
}

// ---- the state the program leaves --------------------------------------------

struct Tabelle {
  const char* name;
  DbTabDesc* tab;
};
const Tabelle kTabellen[] = {
    {"FEHL", &DbFehlTab}, {"PBHF", &DbPbhfTab}, {"EBGG", &DbEbggTab}, {"EBGB", &DbEbgbTab},
    {"EBHF", &DbEbhfTab}, {"TDRG", &DbTdrgTab}, {"FBRR", &DbFbrrTab}, {"GREN", &DbGrenTab},
    {"STEN", &DbStenTab}, {"RBGT", &DbRbgtTab}, {"NESR", &DbNesrTab}, {"NGAT", &DbNgatTab},
    {"LOST", &DbLostTab}, {"FBRW", &DbFbrwTab},
};

// The tables' load counts and the names registered.
std::string zustand() {
  std::string s = "tables:";
  for (const Tabelle& t : kTabellen) s += " " + std::string(t.name) + "=" + std::to_string(t.tab->loadCount);
  s += " names:";
  const char* namen[] = {"Absender", "FEHL", "EBBA", "EBGB", "EBGG", "EBGM", "EBHF",
                         "EBHN",     "FBRR", "FBRW", "GREN", "LOST", "NESR", "NGAT",
                         "RBGT",     "RELA", "STEN", "TDRG", "PBHF"};
  for (const char* n : namen) {
    const char* v = UtQueryName(kUtRegisterGroup, n);
    s += " " + std::string(n) + "=" + (v ? v : "-");
  }
  return s;
}

// After the program's end: nothing loaded, nothing registered, no frame.
// The message formatter keeps one load of FEHL of its own for good, and
// the failure path of the start-up leaves PBHF loaded when its load was
// done (nothing reads it again; the program ends).
std::string reste(bool nachFehler) {
  std::string r;
  for (const Tabelle& t : kTabellen) {
    const int erlaubt = t.tab == &DbFehlTab || (nachFehler && t.tab == &DbPbhfTab) ? 1 : 0;
    if (t.tab->loadCount > erlaubt) r += std::string(" table ") + t.name + " still loaded";
  }
  if (UtQueryName(kUtRegisterGroup, "Absender") || UtQueryName(kUtRegisterGroup, "FEHL") ||
      UtQueryName(kUtRegisterGroup, "PBHF"))
    r += " names still registered";
  if (MsgTopFrame() != nullptr) r += " a trap frame left on the chain";
  return r;
}

// Everything a dialog shows.
std::string ansicht(CDialog& d) {
  std::ostringstream s;
  s << "[" << d.templateId() << " \"" << d.title() << "\"";
  for (const ControlState& c : d.controls()) {
    s << " {" << c.id << (c.visible ? "" : " hidden") << (c.enabled ? "" : " disabled") << " \""
      << c.text << "\"";
    for (const std::string& i : c.items) s << " |" << i;
    for (const auto& row : c.rows) {
      s << " /";
      for (const std::string& cell : row) s << " " << cell;
    }
    s << "}";
  }
  s << "]";
  return s.str();
}

// ---- the host ------------------------------------------------------------------

// What the user does in the main dialog, and in a 50 km list's preview.
class Ablauf {
 public:
  virtual ~Ablauf() = default;
  virtual void hauptdialog(CDialog& d) = 0;
  virtual void vorschau(CDialog& d) { d.Click(IDCANCEL); }
};

// Runs the dialogs by the test's code and keeps the message boxes. It
// allocates nothing while it keeps a box, so that the program's own
// allocations are the ones counted.
class Host : public UiHost {
 public:
  struct Box {
    char text[200];
    char caption[64];
    bool owned;
  };

  Host() : previous_(AfxSetHost(this)) {}
  ~Host() override { AfxSetHost(previous_); }

  void RunModalLoop(CDialog& dlg) override {
    if (!ablauf_) throw UiError("no dialog expected");
    if (dlg.templateId() == IDD_ZOLMA_DIALOG) {
      ablauf_->hauptdialog(dlg);
    } else if (dlg.templateId() == IDD_PREVIEW) {
      ablauf_->vorschau(dlg);
    }
    if (!dlg.ended()) throw UiError("a dialog was left open: " + std::to_string(dlg.templateId()));
  }

  int MessageBox(CWnd* owner, const std::string& text, const std::string& caption,
                 UINT) override {
    if (anzahl_ < kMax) {
      Box& b = boxes_[anzahl_];
      std::snprintf(b.text, sizeof b.text, "%s", text.c_str());
      std::snprintf(b.caption, sizeof b.caption, "%s", caption.c_str());
      b.owned = owner != nullptr;
    }
    ++anzahl_;
    return IDOK;
  }

  void setAblauf(Ablauf* a) { ablauf_ = a; }
  int boxAnzahl() const { return anzahl_; }
  const Box& box(int i) const { return boxes_[i]; }
  void boxesVergessen() { anzahl_ = 0; }
  std::string boxen() const {
    std::string s;
    for (int i = 0; i < anzahl_ && i < kMax; ++i)
      s += std::string(" box \"") + boxes_[i].text + "\" (" + boxes_[i].caption + ")";
    return s;
  }

 private:
  static constexpr int kMax = 8;
  Box boxes_[kMax];
  int anzahl_ = 0;
  Ablauf* ablauf_ = nullptr;
  UiHost* previous_;
};

// ---- running a phase -------------------------------------------------------------

struct Phase {
  const char* name;
  long laeufe = 0;  // runs with a failure
  std::map<std::string, int> sauber;  // clean ends by reason
  int richtig = 0;
  int ende153 = 0;
  int ende1 = 0;
  int falsch = 0;
  double sekunden = 0;
};

std::vector<Phase> g_phasen;
constexpr int kFalschGezeigt = 20;

int parallel() {
  if (const char* e = std::getenv("ZOLMA_ALLOCFAIL_JOBS")) {
    int j = std::atoi(e);
    if (j > 0) return j;
  }
  unsigned n = std::thread::hardware_concurrency();
  return n == 0 ? 4 : static_cast<int>(n);
}

const char kListeAlloc[] = "MemLogERROR: =>alloc    Fehler, malloc returns NULL pointer\n";
const char kListeRealloc[] = "MemLogERROR: =>realloc    Fehler, realloc returns NULL pointer\n";

std::string dateiInhalt(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Judges one run that has ended and adds it to the phase's counts: "" when
// the run ended in one of the admitted ways, else what went wrong.
std::string beurteilen(Phase& p, int status, const Bericht& b, const fs::path& log) {
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0 && b.ende != kNichtBeendet) {
    if (b.ende == kFalsch) return b.text;
    if (!b.failed) return "the run saw no failure (" + std::to_string(b.count) + " allocations)";
    if (b.ende == kRichtig) {
      ++p.richtig;
    } else {
      ++p.sauber[b.text];
    }
    return "";
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == kUtListOutOfMemoryExit) {
    // The typed lists' end, with its line in the debug log.
    const std::string text = dateiInhalt(log);
    if (b.site != kUtFaultList)
      return "exit code 153 after a failure at site " + std::to_string(b.site);
    if (text != kListeAlloc && text != kListeRealloc) return "exit code 153, debug log: " + text;
    ++p.ende153;
    return "";
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 1) {
    // A message context that could not be allocated ends the process.
    if (b.site != kUtFaultMsgContext)
      return "exit code 1 after a failure at site " + std::to_string(b.site);
    ++p.ende1;
    return "";
  }
  return "the run ended with status " + std::to_string(status) + " (site " +
         std::to_string(b.site) + ")";
}

// A run writes its standard output and error into a file of its own,
// shown with a run that failed.
void ausgabeUmleiten(const fs::path& datei) {
  std::FILE* f = std::fopen(datei.c_str(), "w");
  if (!f) return;
  dup2(fileno(f), 1);
  dup2(fileno(f), 2);
  std::fclose(f);
}

// Forks the runs of a phase from the current state. Returns true in each
// run (g_n its failing allocation); in the test process it returns false
// once every run has ended and been judged.
bool laeufe(const char* name) {
  std::fflush(nullptr);
  const auto start = std::chrono::steady_clock::now();
  const fs::path& dir = tempdir::ForProcess("allocfail");
  // The run without failure first: the count and the result.
  auto* ref = static_cast<Bericht*>(
      mmap(nullptr, sizeof(Bericht), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
  g_referenzPuffer = static_cast<char*>(mmap(nullptr, kReferenzGroesse, PROT_READ | PROT_WRITE,
                                             MAP_SHARED | MAP_ANONYMOUS, -1, 0));
  if (ref == MAP_FAILED || g_referenzPuffer == MAP_FAILED) {
    ADD_FAILURE() << "no shared memory";
    return false;
  }
  std::memset(ref, 0, sizeof *ref);
  pid_t pid = fork();
  if (pid == 0) {
    g_inLauf = true;
    g_n = 0;
    g_bericht = ref;
    std::snprintf(g_logPfad, sizeof g_logPfad, "%s/%s-0.log", dir.c_str(), name);
    return true;
  }
  int status = 0;
  waitpid(pid, &status, 0);
  Phase p;
  p.name = name;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || ref->ende != kRichtig) {
    ADD_FAILURE() << name << ": the run without failure did not succeed (status " << status
                  << "): " << ref->text;
    return false;
  }
  g_referenz = g_referenzPuffer;
  munmap(g_referenzPuffer, kReferenzGroesse);
  g_referenzPuffer = nullptr;
  const long anzahl = ref->count;
  munmap(ref, sizeof *ref);
  p.laeufe = anzahl;

  auto* berichte = static_cast<Bericht*>(mmap(nullptr, sizeof(Bericht) * (anzahl + 1),
                                              PROT_READ | PROT_WRITE,
                                              MAP_SHARED | MAP_ANONYMOUS, -1, 0));
  if (berichte == MAP_FAILED) {
    ADD_FAILURE() << "no shared memory";
    return false;
  }
  std::memset(berichte, 0, sizeof(Bericht) * (anzahl + 1));
  std::map<pid_t, long> laufend;
  const int jobs = parallel();
  auto logVon = [&](long n) { return dir / (std::string(name) + "-" + std::to_string(n) + ".log"); };
  auto errVon = [&](long n) { return dir / (std::string(name) + "-" + std::to_string(n) + ".err"); };
  auto warten = [&] {
    int st = 0;
    pid_t fertig = wait(&st);
    if (fertig <= 0) return;
    auto it = laufend.find(fertig);
    if (it == laufend.end()) return;
    const long n = it->second;
    laufend.erase(it);
    const std::string fehler = beurteilen(p, st, berichte[n], logVon(n));
    if (!fehler.empty()) {
      // The first few are shown; the others only counted.
      if (++p.falsch <= kFalschGezeigt) {
        std::string ausgabe = dateiInhalt(errVon(n));
        if (ausgabe.size() > 4000) ausgabe = "..." + ausgabe.substr(ausgabe.size() - 4000);
        ADD_FAILURE() << name << ", allocation " << n << " failing: " << fehler
                      << (ausgabe.empty() ? "" : "\noutput of the run:\n") << ausgabe;
      }
    }
    std::error_code ec;
    fs::remove(logVon(n), ec);
    fs::remove(errVon(n), ec);
  };
  for (long n = 1; n <= anzahl; ++n) {
    while (static_cast<int>(laufend.size()) >= jobs) warten();
    std::fflush(nullptr);
    pid_t kind = fork();
    if (kind == 0) {
      g_inLauf = true;
      g_n = n;
      g_bericht = &berichte[n];
      std::snprintf(g_logPfad, sizeof g_logPfad, "%s", logVon(n).c_str());
      ausgabeUmleiten(errVon(n));
      return true;
    }
    if (kind < 0) {
      ADD_FAILURE() << "fork failed";
      break;
    }
    laufend[kind] = n;
  }
  while (!laufend.empty()) warten();
  if (p.falsch > kFalschGezeigt) ADD_FAILURE() << name << ": " << p.falsch << " runs failed in all";
  munmap(berichte, sizeof(Bericht) * (anzahl + 1));
  p.sekunden = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  g_phasen.push_back(p);
  return false;
}

// ---- the phases --------------------------------------------------------------------

// The request: with route text, through a via station.
void anfrageEingeben(CDialog& d) {
  d.TypeText(IDC_ABGANG, "n\xFCrnberg hbf");
  d.TypeText(IDC_ZIEL, "bamberg");
  d.TypeText(IDC_UEBER1, "Erlangen");
}

// A request or list that ended with its message box: the reason is the
// box's text; the display must be left empty.
std::string boxGrund(Host& host, const std::string& erwartetCaption) {
  if (host.boxAnzahl() != 1) return "";
  const Host::Box& b = host.box(0);
  if (b.caption != erwartetCaption) return "";
  return b.text;
}

class Sitzung : public Ablauf {
 public:
  explicit Sitzung(Host& host) : host_(host) {}

  void hauptdialog(CDialog& d) override {
    if (g_inLauf) {
      // A run of the start-up: its result is the main dialog as it opens.
      entwaffnen();
      const std::string ergebnis = ansicht(d) + " " + zustand() + host_.boxen();
      startErgebnis_ = ergebnis;
      d.Click(IDC_BEENDEN);
      return;
    }
    anfragePhase(d);
    listenPhase(d);
    endePhase(d);
  }

  void vorschau(CDialog& d) override {
    if (g_inLauf) entwaffnen();
    vorschauAnsicht_ = ansicht(d);
    vorschauGesehen_ = true;
    d.Click(IDCANCEL);
  }

  std::string startErgebnis_;  // in a start-up run: the main dialog, once reached

 private:
  void anfragePhase(CDialog& d) {
    anfrageEingeben(d);
    host_.boxesVergessen();
    if (laeufe("request")) {
      armieren();
      try {
        d.Click(IDC_BERECHNEN);
      } catch (const std::exception& e) {
        laufEnde(kFalsch, std::string("the request ended by an exception: ") + e.what());
      }
      entwaffnen();
      if (host_.boxAnzahl() == 0) laufErgebnis(ansicht(d) + host_.boxen());
      const std::string grund = boxGrund(host_, kKrv);
      if (grund.empty()) laufEnde(kFalsch, "message boxes:" + host_.boxen());
      if (!d.control(IDC_ENTFERNUNG)->text.empty() || !d.control(IDC_VON)->text.empty())
        laufEnde(kFalsch, "a result is shown after the message \"" + grund + "\"");
      // The same request again, now without failure: the engine and the
      // dialog lost nothing.
      host_.boxesVergessen();
      anfrageEingeben(d);
      d.Click(IDC_BERECHNEN);
      if (ansicht(d) + host_.boxen() != g_referenz)
        laufEnde(kFalsch, "after \"" + grund + "\" the request again gave: " + ansicht(d) +
                              host_.boxen());
      laufEnde(kSauber, grund);
    }
    d.Click(IDC_BERECHNEN);
    EXPECT_EQ(host_.boxAnzahl(), 0) << host_.boxen();
    EXPECT_EQ(d.control(IDC_ENTFERNUNG)->text, "62 km");
  }

  std::string listeLaufen(CDialog& d) {
    vorschauGesehen_ = false;
    vorschauAnsicht_.clear();
    d.Click(IDC_50KM);
    return (vorschauGesehen_ ? vorschauAnsicht_ : std::string("(no preview)")) + host_.boxen();
  }

  void listenPhase(CDialog& d) {
    host_.boxesVergessen();
    if (laeufe("50 km list")) {
      armieren();
      std::string ergebnis;
      try {
        vorschauGesehen_ = false;
        d.Click(IDC_50KM);
      } catch (const std::exception& e) {
        laufEnde(kFalsch, std::string("the list ended by an exception: ") + e.what());
      }
      entwaffnen();
      if (host_.boxAnzahl() == 0)
        laufErgebnis((vorschauGesehen_ ? vorschauAnsicht_ : std::string("(no preview)")) +
                     host_.boxen());
      std::string grund = boxGrund(host_, kKrv);
      if (grund.empty()) laufEnde(kFalsch, "message boxes:" + host_.boxen());
      host_.boxesVergessen();
      const std::string wieder = listeLaufen(d);
      if (wieder != g_referenz)
        laufEnde(kFalsch, "after \"" + grund + "\" the list again gave: " + wieder);
      laufEnde(kSauber, grund);
    }
    const std::string liste = listeLaufen(d);
    EXPECT_TRUE(vorschauGesehen_);
    EXPECT_EQ(host_.boxAnzahl(), 0) << host_.boxen();
    EXPECT_NE(liste.find("Erlangen"), std::string::npos) << liste;
  }

  void endePhase(CDialog& d) {
    host_.boxesVergessen();
    if (laeufe("end")) {
      armieren();
      d.Click(IDC_BEENDEN);  // the run goes on in the test body once the program has ended
      return;
    }
    d.Click(IDC_BEENDEN);
  }

  Host& host_;
  bool vorschauGesehen_ = false;
  std::string vorschauAnsicht_;
};

TEST(AppAllocFail, StartRequestListAndEndWithEachAllocationFailing) {
  UtTestSetFixedTime(1765368000);  // 10.12.2025 12:00 UTC, inside the sample data's validity
  // The program opens its data files from the current folder; this test
  // is the only one of its process.
  fs::current_path(ZOLMA_SAMPLE_DIR);
  allocfail::SetFailureNote(&notiereFehlschlag);
  Host host;
  Sitzung sitzung(host);
  host.setAblauf(&sitzung);
  CZOLMAApp app;
  app.m_pszAppName = "zolma";

  // The start-up: the runs end at the main dialog, or with the report.
  if (laeufe("start-up")) {
    armieren();
    try {
      app.InitInstance();
    } catch (const std::exception& e) {
      laufEnde(kFalsch, std::string("the start-up ended by an exception: ") + e.what());
    }
    entwaffnen();
    const std::string rest = reste(sitzung.startErgebnis_.empty());
    if (!rest.empty()) laufEnde(kFalsch, "after the program's end:" + rest);
    if (!sitzung.startErgebnis_.empty()) {
      if (app.ExitInstance() != 0) laufEnde(kFalsch, "exit code " + std::to_string(app.ExitInstance()));
      laufErgebnis(sitzung.startErgebnis_);
    }
    const std::vector<std::string>& bericht = app.Bericht();
    if (app.ExitInstance() != 1 || bericht.size() < 2 || bericht[0] != kInitFehler ||
        host.boxAnzahl() != 1 || host.box(0).text != kInitFehler)
      laufEnde(kFalsch, "the start-up failed without its report:" + host.boxen());
    std::string grund = bericht[1];
    for (std::size_t i = 2; i < bericht.size() && bericht[i].rfind("Das Programm", 0) != 0; ++i)
      grund += " / " + bericht[i];
    laufEnde(kSauber, grund);
  }

  // The session: the request, the list and the end, each phase's runs
  // forked from the main dialog.
  BOOL r = app.InitInstance();
  if (g_inLauf) {
    // A run of the end: the program has ended.
    entwaffnen();
    const std::string rest = reste(false);
    if (!rest.empty()) laufEnde(kFalsch, "after the program's end:" + rest);
    if (app.ExitInstance() != 0 || !app.Bericht().empty() || host.boxAnzahl() != 0)
      laufEnde(kFalsch, "the end failed:" + host.boxen());
    laufErgebnis("ended");
  }
  EXPECT_EQ(r, FALSE);
  EXPECT_EQ(app.ExitInstance(), 0);
  EXPECT_EQ(reste(false), "");

  for (const Phase& p : g_phasen) {
    std::printf("%-10s %6ld runs in %6.2f s: %d with the result without failure, %d exit 153 (typed lists), "
                "%d exit 1 (message context)",
                p.name, p.laeufe, p.sekunden, p.richtig, p.ende153, p.ende1);
    int sauber = 0;
    for (const auto& [grund, anzahl] : p.sauber) sauber += anzahl;
    std::printf(", %d clean ends\n", sauber);
    for (const auto& [grund, anzahl] : p.sauber) std::printf("    %5d  %s\n", anzahl, grund.c_str());
  }
  UtTestSetClock(nullptr);
}

}  // namespace
