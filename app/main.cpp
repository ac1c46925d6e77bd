// main.cpp - the program zolma: the application object and the terminal.
//
// The program opens its data files from the current folder. Its name
// without extension is the sender name of its messages. After a failure
// that ended it with "Fehler bei der Initialisierung", the application's
// report goes to standard error once the terminal is shut down, each line
// headed by the program's name; the exit code is the application's.
// Whatever fails beyond the application's own handling ends the program
// with its reason and exit code 1: "nicht genug Speicher" for an
// allocation that failed.
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <string>

#include "app/zolmaapp.h"
#include "platform/print/winprint.h"
#include "platform/ui/cursesui.h"
#include "platform/ui/uihost.h"

CZOLMAApp theApp;

namespace {

// The program's file name without folder and extension.
std::string programmName(int argc, char** argv) {
  std::string name = argc > 0 && argv[0] ? argv[0] : "zolma";
  size_t slash = name.find_last_of('/');
  if (slash != std::string::npos) name = name.substr(slash + 1);
  size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name = name.substr(0, dot);
  return name;
}

}  // namespace

int main(int argc, char** argv) {
  // Until the name is known, the lines are headed by the usual one.
  std::string name;
  const char* kopf = "zolma";
  int code = 0;
  try {
    name = programmName(argc, argv);
    kopf = name.c_str();
    AfxSetAppName(kopf);
    CursesHost host;
    host.setNoteSource(PrTakeDocumentNote);  // the status line names a printout's place
    code = AfxWinMain();
  } catch (const std::bad_alloc&) {
    // The terminal is restored (the host is gone) before the reason is shown.
    std::fprintf(stderr, "%s: %s\n", kopf, kZolmaKeinSpeicher);
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", kopf, e.what());
    return 1;
  }
  // A failure whose report found no memory names its reason here; Ctrl+C
  // (exit status 130) is an end the user chose and has no report.
  if (code != 0 && code != kUiInterruptExitCode && theApp.Bericht().empty())
    std::fprintf(stderr, "%s: %s\n", kopf, kZolmaKeinSpeicher);
  for (const std::string& line : theApp.Bericht()) std::fprintf(stderr, "%s: %s\n", kopf, line.c_str());
  return code;
}
