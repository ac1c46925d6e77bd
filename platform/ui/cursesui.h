// cursesui.h - the terminal front end: a UiHost drawn with ncurses.
//
// Dialogs are drawn as boxes, their controls placed from dialog units onto
// character cells (4 units a column; every control stands on the row of
// its first text line's middle, so labels share their fields' rows),
// access keys underlined; message boxes are modal pop-ups over their
// owner. Texts go out in the locale's character set and typed characters
// come back from it (termtext.h). Keys a terminal cannot send plainly have
// stand-ins, named in the status line: F2 is Ctrl+Enter, F3 holds Shift
// for the next key or click, F10 opens the system menu; Esc followed by a
// key is Alt+key (termkeys.h). Mouse clicks are used where the terminal
// reports them. A terminal too small for the dialog shows a message
// instead of a garbled screen. Ctrl+C ends the program at every prompt
// (UiInterrupt, uihost.h). Lists longer than their rows show a scroll bar. After an event that printed, the status
// line says where the document went, until the next key.
#ifndef ZOLMA_PLATFORM_UI_CURSESUI_H
#define ZOLMA_PLATFORM_UI_CURSESUI_H

#include <string>

#include "platform/ui/uihost.h"

class CursesHost : public UiHost {
 public:
  // Takes over the terminal in the locale's character set. A locale, a
  // character-set conversion or a terminal type that cannot be set up is
  // a UiError whose text, in German, names it (std::bad_alloc when memory
  // ran out); the terminal is then left as it was.
  CursesHost();
  ~CursesHost() override;
  CursesHost(const CursesHost&) = delete;
  CursesHost& operator=(const CursesHost&) = delete;

  void RunModalLoop(CDialog& dlg) override;
  int MessageBox(CWnd* owner, const std::string& text, const std::string& caption,
                 UINT type) override;

  // Where a note for the status line comes from after each event: a
  // function that gives a note once (true) or nothing (false). The program
  // sets the printing layer's note on a finished document here.
  using NoteSource = bool (*)(std::string& note);
  void setNoteSource(NoteSource source) { noteSource_ = source; }

 private:
  // Counts failed reads in a row; after kLostInputReads the input is
  // taken as gone.
  bool inputLost();
  // Takes the note of the note source, if any.
  void takeNote();
  static constexpr int kLostInputReads = 50;
  UiHost* previous_ = nullptr;
  void* screen_ = nullptr;  // the curses SCREEN
  unsigned stickyMods_ = 0;
  int readErrors_ = 0;
  std::string note_;  // shown on the status line until the next key
  NoteSource noteSource_ = nullptr;
};

#endif  // ZOLMA_PLATFORM_UI_CURSESUI_H
