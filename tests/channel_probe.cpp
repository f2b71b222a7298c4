// A no-CRT program on the real start-up and shut-down. "oom" asks the workspace for more than there
// is; "cd FOLDER ..." writes the line cd "FOLDER", as if FOLDER were picked and then went away before
// the script used it; anything else ends at once with exit code 0 (the scripts start Wine with it).
#include "app/startup.h"
#include "cmdline/params.h"
#include "console/channel.h"
#include "strings/workspace.h"

extern "C" [[noreturn]] void probe_entry() {
  runtime_startup();
  param_next(0);
  if (ws_take_equal(0, L"oom")) ws_reserve(0x3FFFFFF0, 0), output_hook(L"must never appear");
  if (ws_take_equal(0, L"cd")) ws_append(L"cd \""), param_next(ws_mark()), ws_append(L"\""), output_hook(ws_text_at(0));
  runtime_shutdown();
}
