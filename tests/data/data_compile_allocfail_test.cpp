// zolmanet compiling the sample description with the n-th allocation
// failing, for every n until a run sees no failure (in the sanitizer build
// a stride of them before the files are written, every n after).
//
// Every run must end in a clean refusal (exit code 1 and one line
// "zolmanet: ..." on standard error, the output folder as it was) or in the
// complete data set, byte for byte the one of a normal run, with a user's
// own files beside it untouched; under AddressSanitizer nothing may leak.
// Two output folders are tried: a fresh one (it must not stay behind) and
// one holding a previous data set and a user's DMSTEN.bak and DMSTEN.tmp.
//
// Running the compiler from its start for each of the ~57,000 n would take
// too long, so the runs share their beginning: a runner process compiles
// once with every allocation counted (allocfail's count hook), and at an
// allocation n it forks a child that fails just that one (the child calls
// Arm(1)). Each child first moves into a folder of its own set up as the
// scenario wants, as the output folder is named relative to the working
// folder. That holds only until the run first changes the output folder;
// from the allocation before that change on (about 190 allocations: the
// writing), a second runner stops there and forks every later n from that
// point, each child counting from it.
//
// The ladder tries every 199th n (every 1999th under AddressSanitizer) and
// the writing every n (every 5th under AddressSanitizer), so that CI stays
// fast; ZOLMA_ALLOCFAIL_STRIDE=1 and ZOLMA_ALLOCFAIL_WRITE_STRIDE=1 try
// every n. Before the folder changes a fresh folder and one with a data
// set see the same allocations, so the ladder runs with the data set only.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/common/allocfail.h"
#include "tests/common/tempdir.h"
#include "tests/data/toolrun.h"
#include "tools/zolmanet/netcli.h"

#if defined(__SANITIZE_ADDRESS__)
#define ZOLMA_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZOLMA_ASAN 1
#endif
#endif
#ifdef ZOLMA_ASAN
#include <sanitizer/lsan_interface.h>
#endif

namespace {

namespace fs = std::filesystem;

// How a run ended, as a child reports it through the pipe.
enum Kind : int {
  kRefused = 0,   // exit 1, one line, the folder as it was
  kComplete = 1,  // exit 0, the data set of a normal run
  kUnfailed = 2,  // the run saw fewer than n allocations (and completed)
  kWrong = 3,     // anything else: msg says what
  kRunnerDone = 4 // the runner's end: n = allocations counted, from = first n run from the start
};

// One report, small enough to be written to a pipe at once.
struct Report {
  long n = 0;
  long from = 0;
  int kind = kWrong;
  int outOfMemory = 0;  // a refusal that says "out of memory"
  char msg[200] = {};
};
static_assert(sizeof(Report) < PIPE_BUF);

// What every process of one scenario needs, set up before the first fork;
// nothing of it is allocated after that.
struct Scenario {
  bool existing = false;              // a previous data set and user files in the folder
  std::map<std::string, std::string> before;  // the folder before a run (existing)
  std::map<std::string, std::string> expected;  // the folder after a complete run
  std::vector<std::pair<std::string, std::string>> setup;  // "out/NAME", bytes
  std::string base;                   // the folder of the children's folders
  std::string description;            // absolute
  std::vector<char> descriptionArg;   // the same, for argv
  int pipeOut = -1;
  long stride = 1;       // the ladder's
  long writeStride = 1;  // the checkpoint's
  int jobs = 1;
};

const Scenario* g_sc = nullptr;
int g_running = 0;       // children of this process still running
constexpr int kMaxJobs = 8;
pid_t g_pid[kMaxJobs] = {};  // the running children and their n
long g_pidN[kMaxJobs] = {};
bool g_isChild = false;  // this process is one run's child
long g_myN = 0;          // the n that fails in this child
long g_firstChange = 0;  // the first n at which the folder had changed
long g_checkpoint = 0;   // a checkpoint runner: the n it forks every later run at
long g_last = 0;         // ... and the last n it runs
struct stat g_outStat;
bool g_outExisted = false;

void Send(const Report& r) {
  ssize_t w = write(g_sc->pipeOut, &r, sizeof r);
  (void)w;
}

void SendWrong(long n, const char* text) {
  Report r;
  r.n = n;
  r.kind = kWrong;
  std::snprintf(r.msg, sizeof r.msg, "%s", text);
  Send(r);
}

// Collects one ended child; a child that did not exit by itself is reported.
void Reap(bool block) {
  int st = 0;
  pid_t pid = waitpid(-1, &st, block ? 0 : WNOHANG);
  if (pid <= 0) return;
  --g_running;
  long n = 0;
  for (int i = 0; i < kMaxJobs; ++i) {
    if (g_pid[i] == pid) {
      g_pid[i] = 0;
      n = g_pidN[i];
    }
  }
  if (WIFSIGNALED(st) || (WIFEXITED(st) && WEXITSTATUS(st) != 0)) {
    char text[64];
    std::snprintf(text, sizeof text, "a child ended by signal %d, exit %d",
                  WIFSIGNALED(st) ? WTERMSIG(st) : 0, WIFEXITED(st) ? WEXITSTATUS(st) : -1);
    SendWrong(n, text);
  }
}

void Started(pid_t pid, long n) {
  ++g_running;
  for (int i = 0; i < kMaxJobs; ++i) {
    if (g_pid[i] == 0) {
      g_pid[i] = pid;
      g_pidN[i] = n;
      return;
    }
  }
}

void Throttle() {
  while (g_running > 0) {
    int before = g_running;
    Reap(false);
    if (g_running == before) break;
  }
  while (g_running >= g_sc->jobs) Reap(true);
}

// Makes this process's own folder and moves into it, with the output folder
// as the scenario has it. Only system calls: it runs inside an allocation.
bool EnterOwnFolder(long n) {
  char dir[PATH_MAX];
  std::snprintf(dir, sizeof dir, "%s/c%ld", g_sc->base.c_str(), n);
  if (mkdir(dir, 0700) != 0 || chdir(dir) != 0) return false;
  if (g_sc->existing) {
    if (mkdir("out", 0700) != 0) return false;
    for (const auto& [name, bytes] : g_sc->setup) {
      int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
      if (fd < 0) return false;
      bool ok = write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
      if (close(fd) != 0 || !ok) return false;
    }
  }
  int out = open("stdout.txt", O_WRONLY | O_CREAT | O_TRUNC, 0600);
  int err = open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (out < 0 || err < 0) return false;
  dup2(out, 1);
  dup2(err, 2);
  close(out);
  close(err);
  return true;
}

// Whether the runner's own output folder has changed since the start.
bool OutputFolderChanged() {
  struct stat st;
  bool exists = stat("out", &st) == 0;
  if (exists != g_outExisted) return true;
  if (!exists) return false;
  return st.st_nlink != g_outStat.st_nlink || st.st_ino != g_outStat.st_ino ||
         st.st_mtim.tv_sec != g_outStat.st_mtim.tv_sec ||
         st.st_mtim.tv_nsec != g_outStat.st_mtim.tv_nsec;
}

// Forks the child that fails allocation `target`, counting from allocation
// n, the one now being made; false in the parent.
bool ForkRun(long n, long target) {
  Throttle();
  pid_t pid = fork();
  if (pid < 0) {
    SendWrong(target, "fork failed");
    return false;
  }
  if (pid > 0) {
    Started(pid, target);
    return false;
  }
  g_isChild = true;
  g_myN = target;
  allocfail::SetCountHook(nullptr);
  if (!EnterOwnFolder(target)) _exit(90);
  allocfail::Arm(target - n + 1);  // 1: this allocation, the one now being made
  return true;
}

void SendRunnerDone(long total, long from) {
  Report r;
  r.kind = kRunnerDone;
  r.n = total;
  r.from = from;
  Send(r);
}

// The runners' count hook. The ladder forks the child that fails
// allocation n at n, until the output folder first changes. The checkpoint
// runner stops at its n, forks there every run from n to the last, and ends.
void AtAllocation(long n) {
  if (g_isChild) return;
  if (g_checkpoint) {
    if (n != g_checkpoint) return;
    for (long target = n; target <= g_last; ++target) {
      if ((target - n) % g_sc->writeStride != 0 && target != g_last) continue;
      if (ForkRun(n, target)) return;
    }
    while (g_running > 0) Reap(true);
    SendRunnerDone(0, 0);
    _exit(0);
  }
  if (g_firstChange) return;
  if (OutputFolderChanged()) {
    g_firstChange = n;
    return;
  }
  if (n % g_sc->stride == 0) ForkRun(n, n);
}

std::string OneLine(std::string s) {
  for (char& c : s) {
    if (c == '\n') c = '|';
  }
  return s.substr(0, 190);
}

// After the command line returned in a child: what it left, as a report.
Report Judge(long n, int rc) {
  Report r;
  r.n = n;
  const bool failed = allocfail::Failed();
  allocfail::Disarm();
  std::fflush(stdout);
  std::fflush(stderr);
#ifdef ZOLMA_ASAN
  if (__lsan_do_recoverable_leak_check() != 0) {
    std::snprintf(r.msg, sizeof r.msg, "leak (exit %d)", rc);
    return r;
  }
#endif
  const std::string err = toolrun::Slurp("stderr.txt");
  std::map<std::string, std::string> now;
  if (fs::exists("out")) now = toolrun::Contents("out");
  const bool outExists = fs::exists("out");
  std::string what;
  if (rc == 1) {
    const bool oneLine = err.rfind("zolmanet: ", 0) == 0 && err.find('\n') == err.size() - 1;
    if (!oneLine || err.find("std::") != std::string::npos)
      what = "unclear message: " + err;
    else if (outExists != g_sc->existing || (g_sc->existing && now != g_sc->before))
      what = "refused, but the output folder changed: " + err;
    r.kind = kRefused;
    r.outOfMemory = err == "zolmanet: out of memory\n";
  } else if (rc == 0) {
    if (now != g_sc->expected) what = "reported success with a wrong or incomplete data set";
    r.kind = failed ? kComplete : kUnfailed;
  } else {
    what = "exit code " + std::to_string(rc) + ": " + err;
  }
  if (!what.empty()) {
    r.kind = kWrong;
    std::snprintf(r.msg, sizeof r.msg, "%s", OneLine(what).c_str());
  }
  return r;
}

// Runs the command line on the sample into "out" of the working folder.
int RunCommandLine() {
  char prog[] = "zolmanet";
  char o[] = "-o";
  char out[] = "out";
  char* argv[] = {prog, o, out, const_cast<char*>(g_sc->descriptionArg.data()), nullptr};
  return zolmanet::CommandLine(4, argv);
}

// The end of a child: judge, report, clean up, leave.
[[noreturn]] void EndChild(long n, int rc) {
  Report r = Judge(n, rc);
  Send(r);
  char dir[PATH_MAX];
  std::snprintf(dir, sizeof dir, "%s/c%ld", g_sc->base.c_str(), n);
  std::error_code ignored;
  fs::remove_all(dir, ignored);
  _exit(0);
}

struct Tally {
  long refused = 0, outOfMemory = 0, complete = 0, unfailed = 0, fromStart = 0, total = 0;
  std::vector<std::string> wrong;

  // Counts one report; true for the runner's last.
  bool Add(const Report& r) {
    switch (r.kind) {
      case kRefused:
        ++refused;
        outOfMemory += r.outOfMemory;
        return false;
      case kComplete:
        ++complete;
        return false;
      case kUnfailed:
        ++unfailed;
        return false;
      case kRunnerDone:
        if (r.n > 0) {  // the ladder's, not the checkpoint's
          total = r.n;
          fromStart = r.from;
        }
        if (r.msg[0]) wrong.push_back(r.msg);
        return true;
      default:
        wrong.push_back("n=" + std::to_string(r.n) + ": " + r.msg);
        return false;
    }
  }

  // Reads reports: until the runner's last (until), or what is there now.
  void Read(int in, bool untilRunnerDone) {
    Report r;
    for (;;) {
      ssize_t got = read(in, &r, sizeof r);
      if (got <= 0) return;
      if (got != static_cast<ssize_t>(sizeof r)) {
        wrong.push_back("a short report");
        return;
      }
      if (Add(r) && untilRunnerDone) return;
    }
  }
};

// A runner: one counted run with the count hook, in a folder of its own
// (id) set up as every child's. The ladder reports the allocations counted
// and the first n at which the folder had changed.
[[noreturn]] void Runner(long id) {
  if (!EnterOwnFolder(id)) _exit(91);
  g_outExisted = stat("out", &g_outStat) == 0;
  allocfail::SetCountHook(&AtAllocation);
  allocfail::Arm(LONG_MAX);
  const int rc = RunCommandLine();
  if (g_isChild) EndChild(g_myN, rc);
  const long total = allocfail::Count();
  allocfail::Disarm();
  allocfail::SetCountHook(nullptr);
  while (g_running > 0) Reap(true);
  if (rc != 0 || g_checkpoint) SendWrong(0, "the counted run ended without its runs");
  SendRunnerDone(total, g_firstChange ? g_firstChange : total + 1);
  _exit(0);
}

// Starts a runner and reads the reports until its last.
void StartRunner(long id, int in, Tally* t) {
  std::fflush(stdout);
  std::fflush(stderr);
  pid_t runner = fork();
  ASSERT_GE(runner, 0);
  if (runner == 0) Runner(id);
  t->Read(in, true);
  int st = 0;
  waitpid(runner, &st, 0);
  EXPECT_TRUE(WIFEXITED(st) && WEXITSTATUS(st) == 0) << "runner status " << st;
}

// Every how many n the ladder tries; ZOLMA_ALLOCFAIL_STRIDE=1 tries every
// n (about 57,000 runs: minutes, not for every CI run).
long Stride() {
  if (const char* s = std::getenv("ZOLMA_ALLOCFAIL_STRIDE")) return std::max(1L, std::atol(s));
#ifdef ZOLMA_ASAN
  return 1999;
#else
  return 199;
#endif
}

// Every how many n the runs from the first change of the output folder on
// are tried (ZOLMA_ALLOCFAIL_WRITE_STRIDE); in the sanitizer build, where
// each run costs several times more, a share of them.
long WriteStride() {
  if (const char* s = std::getenv("ZOLMA_ALLOCFAIL_WRITE_STRIDE")) return std::max(1L, std::atol(s));
#ifdef ZOLMA_ASAN
  return 5;
#else
  return 1;
#endif
}

void RunScenario(bool existing) {
  SCOPED_TRACE(existing ? "a folder with a data set and user files" : "a fresh folder");
  tempdir::Folder dir("zolmanet-allocfail");
  Scenario sc;
  sc.existing = existing;
  sc.description = fs::absolute(ZOLMA_SAMPLE_DESCRIPTION).string();
  sc.descriptionArg.assign(sc.description.begin(), sc.description.end());
  sc.descriptionArg.push_back('\0');
  sc.base = dir.str();
  // Before the output folder changes, a run in a fresh folder takes the
  // same allocations as one in a folder with a data set: the ladder runs in
  // the one with the data set, where more can go wrong.
  sc.stride = existing ? Stride() : LONG_MAX;
  sc.writeStride = WriteStride();
  sc.jobs = static_cast<int>(std::clamp(sysconf(_SC_NPROCESSORS_ONLN) / 2, 1L, 4L));
  static_assert(4 <= kMaxJobs);

  // The normal run gives the expected data set.
  fs::create_directories(dir.path() / "ref");
  const toolrun::Run ref = toolrun::Shell(std::string(ZOLMANET_EXE) + " -o " +
                                              (dir.path() / "ref").string() + " " + sc.description,
                                          dir.path());
  ASSERT_EQ(ref.status, 0) << ref.err;
  sc.expected = toolrun::Contents(dir.path() / "ref");
  ASSERT_EQ(sc.expected.size(), 9u);
  if (existing) {
    for (const auto& [name, bytes] : sc.expected) {
      sc.setup.emplace_back("out/" + name, "previous " + name + "\n");
      sc.before[name] = "previous " + name + "\n";
    }
    for (const char* user : {"DMSTEN.bak", "DMSTEN.tmp"}) {
      const std::string mine = std::string("mine: ") + user + "\n";
      sc.setup.emplace_back(std::string("out/") + user, mine);
      sc.before[user] = mine;
      sc.expected[user] = mine;
    }
  }

  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  sc.pipeOut = fds[1];
  g_sc = &sc;
  const auto start = std::chrono::steady_clock::now();
  // The ladder up to the first change of the output folder.
  Tally t;
  g_checkpoint = 0;
  StartRunner(0, fds[0], &t);
  const double ladderSecs =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  // From the allocation before that change on, every n forked at that
  // allocation, and one n past the last: that run must see no failure.
  ASSERT_GT(t.fromStart, 1);
  g_checkpoint = t.fromStart - 1;
  g_last = t.total + 1;
  StartRunner(-1, fds[0], &t);
  g_checkpoint = 0;
  close(fds[1]);
  t.Read(fds[0], false);
  close(fds[0]);
  g_sc = nullptr;
  const double secs =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  const long runs = t.refused + t.complete + t.unfailed + static_cast<long>(t.wrong.size());
  std::printf(
      "%s: %ld allocations, %ld runs (%s below %ld, every %ld. n from there), %ld refused "
      "(%ld out of memory), %ld complete, %ld without a failure, %zu wrong, %.1f s (%.1f s before "
      "the folder changes) with %d jobs\n",
      existing ? "existing folder" : "fresh folder", t.total, runs,
      sc.stride == LONG_MAX ? "none" : ("every " + std::to_string(sc.stride) + ". n").c_str(),
      t.fromStart, sc.writeStride, t.refused, t.outOfMemory, t.complete, t.unfailed, t.wrong.size(), secs, ladderSecs, sc.jobs);
  EXPECT_EQ(t.unfailed, 1) << "exactly the run past the last allocation sees no failure";
  EXPECT_GT(t.fromStart, t.total / 2) << "the output folder changes near the end";
  for (size_t i = 0; i < std::min<size_t>(t.wrong.size(), 20); ++i) ADD_FAILURE() << t.wrong[i];
}

TEST(DataCompileAllocFail, EveryAllocationFailureIsARefusalOrTheCompleteDataSet) {
  RunScenario(false);
  RunScenario(true);
}

}  // namespace
