// A no-CRT program on the real start-up and shut-down. "oom" asks the workspace for more than there
// is; "cd FOLDER ..." writes the line cd "FOLDER", as if FOLDER were picked and then went away before
// the script used it; with crash for FOLDER, any command ends as an access violation does (a negative
// exit code); anything else ends at once with exit code 0 (the scripts start Wine with it).
#include "app/startup.h"
#include "cmdline/params.h"
#include "console/channel.h"
#include "strings/workspace.h"

extern "C" [[noreturn]] void probe_entry() {
  runtime_startup();
  param_next(0);
  if (ws_take_equal(0, L"oom")) ws_reserve(0x3FFFFFF0, 0), output_hook(L"must never appear");
  bool cd = ws_take_equal(0, L"cd");
  int folder = (ws_append(L"cd \""), ws_mark());
  if (param_next(folder), string_equal(ws_text_at(folder), L"crash")) ExitProcess(STATUS_ACCESS_VIOLATION);
  if (cd) ws_append(L"\""), output_hook(ws_text_at(0));
  runtime_shutdown();
}
