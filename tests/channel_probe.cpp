// A no-CRT program on the real start-up and shut-down that the tests start on exact command lines.
// With DIRPICK_PROBE set it reports param_count, then per param_next call the cursor after it and
// the text (length, UTF-16 units), up to the first call that did not advance. Otherwise the first
// parameter is a command: "out MODE TEXT" (an output line in encoding mode MODE; exit 3 when not
// all of it was written), "err TEXT", "exit N" or "oom" (asks the workspace for more than it holds).
// TEXT is ascii, nonascii, empty or null.
#include <windows.h>

#include "app/startup.h"
#include "cmdline/params.h"
#include "console/channel.h"
#include "runtime/frame.h"
#include "strings/workspace.h"

namespace {
void put(const void* bytes, DWORD count) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes, count, &written, nullptr);
}

void report(int mark) {
  int head[2] = {parameter_cursor(), static_cast<int>(workspace_position - mark) / 2};
  put(head, sizeof(head));
  put(ws_text_at(mark), head[1] * sizeof(wchar_t));
  ws_rewind(mark);
}

StringVar word;
const wchar_t* next_word() {
  int mark = ws_mark();
  param_next(mark);
  string_assign(&word, mark);
  return word;
}

bool next_is(const wchar_t* expected) { return string_equal(next_word(), expected); }

long long next_number() {
  const wchar_t* text = next_word();
  long long sign = *text == L'-' ? (++text, -1) : 1, value = 0;
  for (; *text >= L'0' && *text <= L'9'; ++text) value = value * 10 + (*text - L'0');
  return sign * value;
}

const wchar_t* next_text() {
  if (next_is(L"ascii")) return L"cd \"C:\\Work\"";
  if (string_equal(word, L"nonascii")) return L"cd \"D:\\\x00C4rger \x20AC \xD83D\xDE00\"";
  return string_equal(word, L"empty") ? L"" : nullptr;
}
}  // namespace

extern "C" [[noreturn]] void probe_entry() {
  runtime_startup();
  int mark = ws_mark();
  if (GetEnvironmentVariableW(L"DIRPICK_PROBE", nullptr, 0)) {
    int count = param_count();
    put(&count, sizeof(count));
    for (int before = -1; before != parameter_cursor(); report(mark)) before = parameter_cursor(), param_next(mark);
  } else if (next_is(L"out")) {
    output_encoding_mode = static_cast<int>(next_number());
    process_exit_code = output_hook(next_text()) ? 0 : 3;
  } else if (string_equal(word, L"err")) {
    write_error_line(next_text());
  } else if (string_equal(word, L"exit")) {
    process_exit_code = next_number();
  } else if (string_equal(word, L"oom")) {
    ws_reserve(0x3FFFFFF0, mark);
    output_hook(L"must never appear");
  }
  console_close();
  runtime_shutdown();
}
