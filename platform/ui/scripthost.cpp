// scripthost.cpp - the scripted UiHost for tests.
#include "platform/ui/scripthost.h"

#include <utility>

namespace {
// A script never needs more steps than this; reaching it means a loop.
constexpr long kStepLimit = 100000;

std::string describe(CDialog& d) {
  return "dialog " + std::to_string(d.templateId()) + " \"" + d.title() + "\"";
}
}  // namespace

ScriptHost::ScriptHost() : previous_(AfxSetHost(this)) {}

ScriptHost::~ScriptHost() { AfxSetHost(previous_); }

ScriptHost& ScriptHost::push(Step s) {
  steps_.push_back(std::move(s));
  return *this;
}

void ScriptHost::fail(const std::string& msg) {
  steps_.clear();
  throw UiError(msg);
}

ScriptHost& ScriptHost::type(int id, const std::string& text) {
  return push(
      {Kind::Act, "type \"" + text + "\" into " + std::to_string(id), [id, text](CDialog& d) {
         if (!d.control(id))
           throw UiError("type: " + describe(d) + " has no control " + std::to_string(id));
         d.TypeText(id, text);
       }});
}

ScriptHost& ScriptHost::key(int vk, unsigned mods) {
  return push(
      {Kind::Act, "key " + std::to_string(vk), [vk, mods](CDialog& d) { d.KeyDown(vk, mods); }});
}

ScriptHost& ScriptHost::chars(const std::string& text) {
  return push({Kind::Act, "chars \"" + text + "\"", [text](CDialog& d) {
                 for (unsigned char c : text) d.Char(c);
               }});
}

ScriptHost& ScriptHost::click(int id, unsigned mods) {
  return push({Kind::Act, "click " + std::to_string(id), [id, mods](CDialog& d) {
                 ControlState* c = d.control(id);
                 if (!c)
                   throw UiError("click: " + describe(d) + " has no control " + std::to_string(id));
                 if (!c->visible || !c->enabled)
                   throw UiError("click: control " + std::to_string(id) + " of " + describe(d) +
                                 " is hidden or disabled");
                 d.Click(id, mods);
               }});
}

ScriptHost& ScriptHost::focus(int id) {
  return push({Kind::Act, "focus " + std::to_string(id), [id](CDialog& d) {
                 ControlState* c = d.control(id);
                 if (!c)
                   throw UiError("focus: " + describe(d) + " has no control " + std::to_string(id));
                 d.setFocusIndex(d.indexOf(c));
               }});
}

ScriptHost& ScriptHost::select(int id, int index) {
  return push({Kind::Act, "select " + std::to_string(index) + " in " + std::to_string(id),
               [id, index](CDialog& d) {
                 ControlState* c = d.control(id);
                 if (!c || index < 0 || index >= static_cast<int>(c->items.size()))
                   throw UiError("select: " + describe(d) + " has no entry " +
                                 std::to_string(index) + " in list " + std::to_string(id));
                 d.SelectListItem(id, index);
               }});
}

ScriptHost& ScriptHost::wheel(int id, int lines) {
  return push({Kind::Act, "wheel " + std::to_string(lines) + " over " + std::to_string(id),
               [id, lines](CDialog& d) {
                 if (!d.control(id))
                   throw UiError("wheel: " + describe(d) + " has no control " + std::to_string(id));
                 d.ScrollList(id, lines);
               }});
}

ScriptHost& ScriptHost::cancelSelection(int id) {
  return push({Kind::Act, "cancel selection " + std::to_string(id),
               [id](CDialog& d) { d.CancelListSelection(id); }});
}

ScriptHost& ScriptHost::access(char letter, unsigned mods) {
  return push({Kind::Act, std::string("Alt+") + letter,
               [letter, mods](CDialog& d) { d.AccessKey(letter, mods); }});
}

ScriptHost& ScriptHost::sysCommand(UINT id) {
  return push(
      {Kind::Act, "system command " + std::to_string(id), [id](CDialog& d) { d.SysCommand(id); }});
}

ScriptHost& ScriptHost::close() { return sysCommand(SC_CLOSE); }

ScriptHost& ScriptHost::expectDialog(int templateId) {
  Step s{Kind::ExpectDialog, "dialog " + std::to_string(templateId), nullptr};
  s.templateId = templateId;
  return push(std::move(s));
}

ScriptHost& ScriptHost::check(std::function<void(CDialog&)> fn) {
  return push({Kind::Check, "check", std::move(fn)});
}

ScriptHost& ScriptHost::expectBox(const std::string& text, const std::string& caption) {
  Step s{Kind::ExpectBox, "message box \"" + text + "\"", nullptr};
  s.text = text;
  s.caption = caption;
  return push(std::move(s));
}

ScriptHost& ScriptHost::expectBoxCaptioned(const std::string& caption) {
  Step s{Kind::ExpectBox, "message box captioned \"" + caption + "\"", nullptr};
  s.caption = caption;
  s.anyText = true;
  return push(std::move(s));
}

void ScriptHost::RunModalLoop(CDialog& dlg) {
  dialogsRun_.push_back(dlg.templateId());
  while (!dlg.ended()) {
    if (steps_.empty()) fail("the script ended while " + describe(dlg) + " still waits for input");
    if (++executed_ > kStepLimit) fail("the script ran more steps than any test needs");
    Step s = std::move(steps_.front());
    steps_.pop_front();
    switch (s.kind) {
      case Kind::ExpectBox:
        fail("expected " + s.what + ", but " + describe(dlg) + " waits for input");
      case Kind::ExpectDialog:
        if (dlg.templateId() != s.templateId)
          fail("expected dialog " + std::to_string(s.templateId) + " on top, found " +
               describe(dlg));
        break;
      case Kind::Check:
      case Kind::Act:
        s.act(dlg);
        break;
    }
  }
}

int ScriptHost::MessageBox(CWnd* owner, const std::string& text, const std::string& caption, UINT) {
  boxes_.push_back(Box{text, caption, owner != nullptr});
  if (++executed_ > kStepLimit) fail("the script ran more steps than any test needs");
  if (steps_.empty())
    fail("unexpected message box \"" + text + "\" (" + caption + ") after the script ended");
  Step s = std::move(steps_.front());
  steps_.pop_front();
  if (s.kind != Kind::ExpectBox)
    fail("unexpected message box \"" + text + "\" (" + caption +
         "); the script's next step was: " + s.what);
  if ((!s.anyText && s.text != text) || s.caption != caption)
    fail("message box \"" + text + "\" (" + caption + ") where the script expected \"" + s.text +
         "\" (" + s.caption + ")");
  return IDOK;
}
