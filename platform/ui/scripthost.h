// scripthost.h - a UiHost that plays a script, for tests.
//
// A test lists what the user does, in order: type into a field, press keys
// with modifiers, click, select in a list, answer a message box, look at
// the dialog on top. Each modal loop takes steps until its dialog ends; a
// message box takes the next step, which must expect it. Any mismatch, and
// a script that runs out while a dialog still waits, throws UiError with a
// message saying what was expected and what happened, so a test fails
// clearly and never hangs.
#ifndef ZOLMA_PLATFORM_UI_SCRIPTHOST_H
#define ZOLMA_PLATFORM_UI_SCRIPTHOST_H

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/uihost.h"

class ScriptHost : public UiHost {
 public:
  struct Box {
    std::string text;
    std::string caption;
    bool owned;  // false for an ownerless box
  };

  ScriptHost();
  ~ScriptHost() override;

  // Steps acting on the dialog on top of the modal stack.
  ScriptHost& type(int id, const std::string& text);  // focus the edit, replace its text as typed
  ScriptHost& key(int vk, unsigned mods = 0);
  ScriptHost& chars(const std::string& text);  // typed into the focused edit
  ScriptHost& click(int id, unsigned mods = 0);
  ScriptHost& focus(int id);
  ScriptHost& select(int id, int index);  // user selects list entry
  ScriptHost& cancelSelection(int id);
  ScriptHost& wheel(int id, int lines);  // mouse wheel over a list: lines down (< 0: up)
  ScriptHost& access(char letter, unsigned mods = 0);  // Alt + letter
  ScriptHost& sysCommand(UINT id);
  ScriptHost& close();  // the close box
  // Checks that the dialog on top runs the template, then goes on.
  ScriptHost& expectDialog(int templateId);
  // Runs a check on the dialog on top (for EXPECTs in the test).
  ScriptHost& check(std::function<void(CDialog&)> fn);
  // The next thing that happens must be a message box with this text and
  // caption; the script answers OK.
  ScriptHost& expectBox(const std::string& text, const std::string& caption);
  // The same for a box whose text the test reads afterwards from boxes().
  ScriptHost& expectBoxCaptioned(const std::string& caption);

  size_t remaining() const { return steps_.size(); }
  const std::vector<Box>& boxes() const { return boxes_; }
  const std::vector<int>& dialogsRun() const { return dialogsRun_; }

  void RunModalLoop(CDialog& dlg) override;
  int MessageBox(CWnd* owner, const std::string& text, const std::string& caption,
                 UINT type) override;

 private:
  enum class Kind { Act, ExpectDialog, Check, ExpectBox };
  struct Step {
    Kind kind;
    std::string what;  // for messages
    std::function<void(CDialog&)> act;
    int templateId = 0;
    std::string text, caption;
    bool anyText = false;
  };
  ScriptHost& push(Step s);
  [[noreturn]] void fail(const std::string& msg);

  std::deque<Step> steps_;
  std::vector<Box> boxes_;
  std::vector<int> dialogsRun_;
  UiHost* previous_;
  long executed_ = 0;
};

#endif  // ZOLMA_PLATFORM_UI_SCRIPTHOST_H
