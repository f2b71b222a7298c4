// A no-CRT program on the real start-up and shut-down. "oom" asks the workspace for more than there
// is; anything else ends at once with exit code 0 (the scripts start Wine with it).
#include "app/startup.h"
#include "cmdline/params.h"
#include "console/channel.h"
#include "strings/workspace.h"

extern "C" [[noreturn]] void probe_entry() {
  runtime_startup();
  param_next(0);
  if (ws_take_equal(0, L"oom")) ws_reserve(0x3FFFFFF0, 0), output_hook(L"must never appear");
  runtime_shutdown();
}
