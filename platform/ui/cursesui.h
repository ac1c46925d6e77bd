// cursesui.h - the terminal front end: a UiHost drawn with ncurses.
//
// Dialogs are drawn as boxes, their controls placed from dialog units onto
// character cells (4 units a column, 8 a row), access keys underlined;
// message boxes are modal pop-ups over their owner. Texts are converted
// from code page 1252 to UTF-8 on the way out and typed characters back on
// the way in. Keys a terminal cannot send plainly have stand-ins, named in
// the status line: F2 is Ctrl+Enter, F3 holds Shift for the next key or
// click, F10 opens the system menu; Alt+letter arrives as Escape + letter.
// Mouse clicks are used where the terminal reports them. A terminal too
// small for the dialog shows a message instead of a garbled screen.
#ifndef ZOLMA_PLATFORM_UI_CURSESUI_H
#define ZOLMA_PLATFORM_UI_CURSESUI_H

#include "platform/ui/uihost.h"

class CursesHost : public UiHost {
 public:
  CursesHost();
  ~CursesHost() override;
  CursesHost(const CursesHost&) = delete;
  CursesHost& operator=(const CursesHost&) = delete;

  void RunModalLoop(CDialog& dlg) override;
  int MessageBox(CWnd* owner, const std::string& text, const std::string& caption, UINT type) override;

 private:
  // Counts failed reads in a row; after kLostInputReads the input is
  // taken as gone.
  bool inputLost();
  static constexpr int kLostInputReads = 50;
  UiHost* previous_;
  unsigned stickyMods_ = 0;
  int readErrors_ = 0;
};

#endif  // ZOLMA_PLATFORM_UI_CURSESUI_H
