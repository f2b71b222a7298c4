// Console channel: opening the standard streams and writing lines to them.
#include "console/channel.h"

#include <string.h>
#include <wchar.h>

#include "runtime/frame.h"
#include "runtime/memory.h"
#include "strings/conversion.h"

int output_encoding_mode;  // set by console_open, made ENC_EXACT by the driver
UINT output_code_page;
constinit OutputHook output_hook = write_output_line;
ConsoleState console_state;

namespace {
constexpr const wchar_t* kErrorLineEnd = L"\n";
constexpr wchar_t kOutputLineEnd[] = L"\r\n";
constexpr int kOutputLineEndUnits = 2;

int text_units(const wchar_t* text) { return text ? static_cast<int>(wcslen(text)) : 0; }

bool write_all(HANDLE handle, const void* bytes, DWORD count) {
  DWORD written = 0;
  return WriteFile(handle, bytes, count, &written, nullptr) && written == count;
}

// Null bytes mean the text had no exact form in the code page.
bool write_converted(char* bytes, const wchar_t* buffer) {
  if (!bytes) return false;
  DWORD count = static_cast<DWORD>(strlen(bytes));
  // An empty conversion of a non-empty text means the text was lost on the way.
  bool ok = (count != 0 || buffer[0] == 0) && write_all(console_state.output, bytes, count);
  conv_free(bytes);
  return ok;
}
}  // namespace

int console_open(const wchar_t* title, int mode) {
  if constexpr (!console_already_present) AllocConsole();
  output_encoding_mode = mode;
  console_state.input = GetStdHandle(STD_INPUT_HANDLE);
  console_state.output = GetStdHandle(STD_OUTPUT_HANDLE);
  console_state.error = GetStdHandle(STD_ERROR_HANDLE);
  SetConsoleCtrlHandler(close_event_handler, TRUE);
  if (title) SetConsoleTitleW(title);
  return 1;
}

void write_error_line(const wchar_t* text) {
  if (!text) text = L"";
  DWORD units = static_cast<DWORD>(wcslen(text));
  DWORD written = 0;
  // WriteConsoleW fails on anything but a console, which picks the redirected path.
  if (WriteConsoleW(console_state.error, text, units, &written, nullptr)) {
    WriteConsoleW(console_state.error, kErrorLineEnd, 1, &written, nullptr);
    return;
  }
  WriteFile(console_state.error, text, units * sizeof(wchar_t), &written, nullptr);
  WriteFile(console_state.error, kErrorLineEnd, sizeof(wchar_t), &written, nullptr);
}

bool write_output_line(const wchar_t* text) {
  int length = text_units(text);
  int units = length + kOutputLineEndUnits;
  auto* buffer = static_cast<wchar_t*>(HeapAlloc(main_heap, 0, (units + 1) * sizeof(wchar_t)));
  if (!buffer) return false;
  if (length) memcpy(buffer, text, length * sizeof(wchar_t));
  memcpy(buffer + length, kOutputLineEnd, sizeof(kOutputLineEnd));
  bool ok = write_output_text(buffer, units);
  // Only a disk file needs it. On a pipe FlushFileBuffers waits until the reader has read
  // everything, and a caller that waits for our exit before it reads would wait forever.
  if (GetFileType(console_state.output) == FILE_TYPE_DISK) FlushFileBuffers(console_state.output);
  HeapFree(main_heap, 0, buffer);
  return ok;
}

bool write_output_text(const wchar_t* buffer, int count) {
  DWORD written = 0;
  if (WriteConsoleW(console_state.output, buffer, count, &written, nullptr)) return true;
  switch (output_encoding_mode) {
    case ENC_UTF8:
      return write_converted(wide_to_utf8_alloc(buffer), buffer);
    case ENC_ANSI:
      return write_converted(wide_to_ansi_alloc(buffer), buffer);
    case ENC_EXACT:
      return write_converted(wide_to_code_page_exact(buffer, output_code_page), buffer);
    default:
      return write_all(console_state.output, buffer, count * sizeof(wchar_t));
  }
}

UINT batch_code_page() {
  // A process without a console (every stream redirected) is answered 0.
  UINT code_page = GetConsoleOutputCP();
  return code_page ? code_page : GetOEMCP();
}

bool output_is_console() {
  DWORD mode = 0;
  return GetConsoleMode(console_state.output, &mode);
}

void console_close() {
  if constexpr (!console_already_present) FreeConsole();
}
