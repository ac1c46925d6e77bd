// uihost.h - where the dialog model meets a person or a test.
//
// A UiHost runs the modal loop of a dialog (feeding it input until the
// dialog ends) and shows message boxes. Exactly one host is installed at a
// time; without one, a modal loop or a message box is a programming error
// and throws UiError, so nothing can wait for input that never comes.
#ifndef ZOLMA_PLATFORM_UI_UIHOST_H
#define ZOLMA_PLATFORM_UI_UIHOST_H

#include <stdexcept>
#include <string>

#include "platform/ui/afxwin.h"

class UiError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The person at the terminal asked to end the program (Ctrl+C). A host
// throws it out of whatever modal loop or message box is waiting for
// input; the dialogs unwind (a document still open is dropped on the way)
// and AfxWinMain ends the program with kUiInterruptExitCode, the status of
// a program ended by SIGINT. Deliberately not derived from std::exception,
// so that no handler for failures takes it for one.
struct UiInterrupt {};
inline constexpr int kUiInterruptExitCode = 130;

class UiHost {
 public:
  virtual ~UiHost() = default;
  // Feeds input to dlg (the innermost modal dialog) until dlg.ended().
  virtual void RunModalLoop(CDialog& dlg) = 0;
  // Shows a message box with an OK button and waits for it; returns IDOK.
  // owner is null for an ownerless box.
  virtual int MessageBox(CWnd* owner, const std::string& text, const std::string& caption,
                         UINT type) = 0;
  // A dialog's visible state changed; a drawing host redraws.
  virtual void Invalidate() {}
};

// Installs the host (null: none). Returns the previous one.
UiHost* AfxSetHost(UiHost* host);

#endif  // ZOLMA_PLATFORM_UI_UIHOST_H
