// String functions over the workspace.
#include "strings/functions.h"

#include <windows.h>

#include "strings/workspace.h"

namespace {

int clamp_count(int count) { return count < 0 ? 0 : count; }

// Reserves at start and re-derives a source that lay in the workspace, since the block may move.
wchar_t* reserve_over(const wchar_t*& source, int count, int start) {
  OffsetCode code = ws_offset_of(source);
  wchar_t* p = ws_reserve(count, start);
  if (code != 0) source = ws_pointer_at(code);
  return p;
}

int end_count(const wchar_t* source, int count) {
  int length = static_cast<int>(string_length(source));
  int c = clamp_count(count);
  return length > c ? c : length;
}

void case_map(const wchar_t* source, int start, LPWSTR (WINAPI* map)(LPWSTR)) {
  int length = static_cast<int>(string_length(source));
  wchar_t* p = reserve_over(source, length, start);
  if (!source) {
    p[0] = 0;
    return;
  }
  for (int i = 0; i <= length; ++i) p[i] = source[i];
  map(p);
}
}  // namespace

void string_space(int count, int start) {
  int n = clamp_count(count);
  wchar_t* p = ws_reserve(n, start);
  for (int i = 0; i < n; ++i) p[i] = L' ';
  p[n] = 0;
}

void string_right(const wchar_t* source, int count, int start) {
  int length = static_cast<int>(string_length(source));
  int k = end_count(source, count);
  wchar_t* p = reserve_over(source, k, start);
  if (!source) {
    p[0] = 0;
    return;
  }
  string_copy_n(p, source + (length - k), k);
}

void string_left(const wchar_t* source, int count, int start) {
  int k = end_count(source, count);
  wchar_t* p = reserve_over(source, k, start);
  if (!source || k <= 0) {
    p[0] = 0;
    return;
  }
  string_copy_n(p, source, k);
}

void string_mid(const wchar_t* source, int index, int count, int start) {
  int c = clamp_count(count);
  wchar_t* p = reserve_over(source, c, start);
  if (source) {
    for (; index > 1 && *source; --index) ++source;
    // Each unit is read after the one before it was written, so the in-place case is safe.
    while (*source && c > 0) {
      *p++ = *source++;
      --c;
    }
  }
  ws_release(c);
  *p = 0;
}

long long string_length(const wchar_t* source) {
  if (!source) return 0;
  long long n = 0;
  while (source[n]) ++n;
  return n;
}

bool string_right_equals(const wchar_t* source, int count, const wchar_t* text) {
  int mark = ws_mark();
  string_right(source, count, mark);
  return ws_take_equal(mark, text);
}

void string_lower(const wchar_t* source, int start) { case_map(source, start, CharLowerW); }

void string_upper(const wchar_t* source, int start) { case_map(source, start, CharUpperW); }

void string_curdir(int start) {
  auto current = [](const wchar_t*, wchar_t* buffer, DWORD room) { return GetCurrentDirectoryW(room, buffer); };
  ws_ask(current, nullptr, start);
}
