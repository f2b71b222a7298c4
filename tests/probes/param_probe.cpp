// Reports what the parameter reader hands out for this process's own command line.
// Output (binary, on standard output): param_count, then for each param_next call the cursor
// after it, the text's length and its UTF-16 units; it stops after the first call that did not
// advance the cursor. With DIRPICK_PROBE_MODE=at it reports param_at(1), param_at(-1), param_at(0).
#include <windows.h>

#include "app/startup.h"
#include "cmdline/params.h"
#include "strings/workspace.h"

namespace {
void put(const void* bytes, DWORD count) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes, count, &written, nullptr);
}

void put_int(int value) { put(&value, sizeof(value)); }

void report(int mark) {
  put_int(parameter_cursor());
  int units = static_cast<int>(workspace_position - mark) / 2;
  put_int(units);
  put(ws_text_at(mark), units * sizeof(wchar_t));
  ws_rewind(mark);
}

bool mode_is_at() {
  wchar_t mode[8];
  DWORD n = GetEnvironmentVariableW(L"DIRPICK_PROBE_MODE", mode, 8);
  return n == 2 && mode[0] == L'a' && mode[1] == L't';
}
}  // namespace

extern "C" [[noreturn]] void probe_entry() {
  runtime_startup();
  put_int(param_count());
  int mark = ws_mark();
  if (mode_is_at()) {
    constexpr int kIndexes[] = {1, -1, 0};
    for (int index : kIndexes) {
      param_at(index, mark);
      report(mark);
    }
    runtime_shutdown();
  }
  for (int calls = 0; calls < 1000000; ++calls) {
    int before = parameter_cursor();
    param_next(mark);
    report(mark);
    if (parameter_cursor() == before) break;
  }
  runtime_shutdown();
}
