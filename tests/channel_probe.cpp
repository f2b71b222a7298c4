// A no-CRT program on the real start-up and shut-down. "out MODE TEXT": an output line in mode MODE
// (exit 3 when not all arrived); "err TEXT": an error line; "exit N"; "oom": too much workspace;
// "count ...": exit 100 times param_count plus the cursor once all was read; "line COMMAND FOLDER":
// the result line for a dialog result. TEXT is ascii, nonascii, empty or null.
#include <windows.h>

#include "app/driver.h"
#include "app/result_line.h"
#include "app/startup.h"
#include "cmdline/params.h"
#include "console/channel.h"
#include "runtime/frame.h"
#include "strings/workspace.h"

namespace {
StringVar word;
const wchar_t* next_word() {
  int mark = ws_mark();
  return param_next(mark), string_assign(&word, mark), word;
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
  if (next_is(L"out")) {
    output_encoding_mode = static_cast<int>(next_number());
    process_exit_code = output_hook(next_text()) ? 0 : 3;
  } else if (string_equal(word, L"err")) {
    write_error_line(next_text());
  } else if (string_equal(word, L"exit")) {
    process_exit_code = next_number();
  } else if (string_equal(word, L"oom")) {
    ws_reserve(0x3FFFFFF0, ws_mark());
    output_hook(L"must never appear");
  } else if (string_equal(word, L"count")) {
    for (int before = -1; before != parameter_cursor();) before = parameter_cursor(), next_word();
    process_exit_code = 100 * param_count() + parameter_cursor();
  } else if (string_equal(word, L"line")) {
    option_flags = OPT_QUOTE;
    string_dup(&CommandString, next_word());
    string_dup(&Folder, next_word());
    write_result_line();
  }
  console_close();
  runtime_shutdown();
}
