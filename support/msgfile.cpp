// The message-file switch and the writer hook.
//
// Owns the switch of the message file (0 at start; nothing in the system
// sets it) and the pointer to the writer that the message-file module
// installs. The support runtime itself does not depend on that module:
// MsgFileWrite shows every message to the watcher, if one is installed,
// then returns at once while the switch is off or no writer is installed,
// and otherwise hands the message to the writer.
#include "support/msg.h"

namespace {

int g_switch = 0;
MsgFileWriter g_writer = nullptr;
MsgFileWatcher g_watcher = nullptr;

}  // namespace

void MsgFileWrite(const Meldungskontext* message) {
  if (g_watcher != nullptr && message != nullptr) g_watcher(message);
  if (g_switch == 0 || g_writer == nullptr) return;
  g_writer(message);
}

void MsgFileSetWriter(MsgFileWriter writer) { g_writer = writer; }

MsgFileWatcher MsgFileSetWatcher(MsgFileWatcher watcher) {
  MsgFileWatcher previous = g_watcher;
  g_watcher = watcher;
  return previous;
}

int MsgFileSwitch() { return g_switch; }

#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS
void MsgFileTestSetSwitch(int on) { g_switch = on; }
#endif
