// main.cpp - the program zolma: the application object and the terminal.
//
// The program opens its data files from the current folder. Its name
// without extension is the sender name of its messages.
#include <cstring>
#include <string>

#include "app/zolmaapp.h"
#include "platform/ui/cursesui.h"

CZOLMAApp theApp;

int main(int argc, char** argv) {
  std::string name = argc > 0 && argv[0] ? argv[0] : "zolma";
  size_t slash = name.find_last_of('/');
  if (slash != std::string::npos) name = name.substr(slash + 1);
  size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name = name.substr(0, dot);
  AfxSetAppName(name.c_str());
  CursesHost host;
  return AfxWinMain();
}
