/*
** dm_fastpath: the fast-path switch (see dm_fastpath.h).
*/
#include "common/dtacc/dm/dm_fastpath.h"

bool DbFastPathsState = true;

namespace {

DbFastPathForget g_forget[kDbFastPathForgetters];
int g_forgetCount = 0;

}  // namespace

void DbSetFastPaths(bool on) {
  DbFastPathsState = on;
  if (on) return;
  for (int k = 0; k < g_forgetCount; ++k) g_forget[k]();
}

void DbOnFastPathsOff(DbFastPathForget forget) {
  if (!forget) return;
  for (int k = 0; k < g_forgetCount; ++k)
    if (g_forget[k] == forget) return;
  if (g_forgetCount < kDbFastPathForgetters) g_forget[g_forgetCount++] = forget;
}
