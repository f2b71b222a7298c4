// Runs the real start-up and shut-down around writes of the console channel, for tests that
// look at the bytes that arrive and at the exit code. Parameters:
//   out MODE TEXT   output line in encoding mode MODE; exit 0 when it was reported written, else 3
//   err TEXT        error line
//   exit N          ends with process exit code N (decimal, may be negative or above 255)
//   both            an error line and an output line, for a real console
//   oom             asks the workspace for more than it can ever hold
// TEXT is one of: ascii, nonascii, empty, null.
#include <windows.h>

#include "app/startup.h"
#include "cmdline/params.h"
#include "console/channel.h"
#include "runtime/frame.h"
#include "strings/workspace.h"

namespace {
StringVar word;

bool next_is(const wchar_t* expected) {
  int mark = ws_mark();
  param_next(mark);
  string_assign(&word, mark);
  return string_equal(word, expected);
}

long long parse_number(const wchar_t* text) {
  bool negative = *text == L'-';
  if (negative) ++text;
  long long value = 0;
  for (; *text >= L'0' && *text <= L'9'; ++text) value = value * 10 + (*text - L'0');
  return negative ? -value : value;
}

const wchar_t* text_named(const wchar_t* name) {
  if (string_equal(name, L"ascii")) return L"cd \"C:\\Work\"";
  if (string_equal(name, L"nonascii")) return L"cd \"D:\\\x00C4rger \x20AC \xD83D\xDE00\"";
  if (string_equal(name, L"empty")) return L"";
  return nullptr;
}

const wchar_t* next_text() {
  int mark = ws_mark();
  param_next(mark);
  string_assign(&word, mark);
  return text_named(word);
}
}  // namespace

extern "C" [[noreturn]] void probe_entry() {
  runtime_startup();
  if (next_is(L"out")) {
    int mark = ws_mark();
    param_next(mark);
    string_assign(&word, mark);
    output_encoding_mode = static_cast<int>(parse_number(word));
    process_exit_code = output_hook(next_text()) ? 0 : 3;
  } else if (string_equal(word, L"err")) {
    write_error_line(next_text());
  } else if (string_equal(word, L"exit")) {
    int mark = ws_mark();
    param_next(mark);
    string_assign(&word, mark);
    process_exit_code = parse_number(word);
  } else if (string_equal(word, L"oom")) {
    ws_reserve(0x3FFFFFF0, ws_mark());
    output_hook(L"must never appear");
  } else if (string_equal(word, L"both")) {
    write_error_line(L"error line \x00E9");
    output_hook(L"output line \x00C4\x20AC");
  } else {
    process_exit_code = 99;
  }
  console_close();
  runtime_shutdown();
}
