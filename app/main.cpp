// main.cpp - the program zolma: the application object and the terminal.
//
// The program opens its data files from the current folder. Its name
// without extension is the sender name of its messages. After a failure
// that ended it with "Fehler bei der Initialisierung", the application's
// report goes to standard error once the terminal is shut down, each line
// headed by the program's name; the exit code is the application's.
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "app/zolmaapp.h"
#include "platform/print/winprint.h"
#include "platform/ui/cursesui.h"

CZOLMAApp theApp;

int main(int argc, char** argv) {
  std::string name = argc > 0 && argv[0] ? argv[0] : "zolma";
  size_t slash = name.find_last_of('/');
  if (slash != std::string::npos) name = name.substr(slash + 1);
  size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name = name.substr(0, dot);
  AfxSetAppName(name.c_str());
  int code = 0;
  try {
    CursesHost host;
    host.setNoteSource(PrTakeDocumentNote);  // the status line names a printout's place
    code = AfxWinMain();
  } catch (const std::exception& e) {
    // The terminal is restored (the host is gone) before the reason is shown.
    std::fprintf(stderr, "%s: %s\n", name.c_str(), e.what());
    return 1;
  }
  for (const std::string& line : theApp.Bericht())
    std::fprintf(stderr, "%s: %s\n", name.c_str(), line.c_str());
  return code;
}
