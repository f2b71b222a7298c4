// Text conversions, built on MultiByteToWideChar and WideCharToMultiByte.
#include "strings/conversion.h"

#include <stdlib.h>
#include <string.h>
#include <wchar.h>
#include <windows.h>

#include "runtime/memory.h"
#include "strings/workspace.h"

namespace {
constexpr int kSelectorMask = 0x1F;
// Counts go to 32-bit platform and workspace calls; anything longer cannot be held anyway.
constexpr long long kMaxUnits = 0x3FFFFFFF;

bool is_continuation(unsigned char b) { return (b & 0xC0) == 0x80; }

void* checked_malloc(size_t bytes) {
  void* block = malloc(bytes);
  if (!block) out_of_memory();
  return block;
}

char* empty_bytes() {
  auto* p = static_cast<char*>(checked_malloc(1));
  p[0] = 0;
  return p;
}

char* wide_to_bytes(UINT code_page, const wchar_t* text) {
  if (!text) return empty_bytes();
  // The NUL is converted with the text, so the measured size includes it.
  int units = static_cast<int>(wcslen(text)) + 1;
  int size = WideCharToMultiByte(code_page, 0, text, units, nullptr, 0, nullptr, nullptr);
  if (size == 0) return empty_bytes();
  auto* p = static_cast<char*>(malloc(static_cast<size_t>(size) + 1));
  if (!p) return empty_bytes();
  int written = WideCharToMultiByte(code_page, 0, text, units, p, size, nullptr, nullptr);
  p[written] = 0;
  return p;
}

wchar_t* empty_wide() {
  auto* p = static_cast<wchar_t*>(checked_malloc(sizeof(wchar_t)));
  p[0] = 0;
  return p;
}
}  // namespace

void text_decode(const void* source, long long length, int code, int start) {
  if (!source) {
    ws_reserve(0, start)[0] = 0;
    return;
  }
  if (length < -1) length = 0;
  int selector = code & kSelectorMask;
  if (selector == ENC_UTF16) {
    auto* from = static_cast<const wchar_t*>(source);
    // Only the units before the NUL are reserved, so a count far beyond the text never grows
    // the workspace or wraps the 32-bit reservation.
    long long units = 0;
    while ((length == -1 || units < length) && from[units]) ++units;
    if (units > kMaxUnits) out_of_memory();
    wchar_t* to = ws_reserve(static_cast<int>(units), start);
    for (long long i = 0; i < units; ++i) to[i] = from[i];
    to[units] = 0;
    return;
  }
  auto* bytes = static_cast<const char*>(source);
  UINT code_page = selector == ENC_UTF8 ? CP_UTF8 : CP_ACP;
  if (selector == ENC_UTF8 && length != -1 && !(code & ENC_BYTE_COUNT)) length = utf8_prefix_bytes(bytes, length);
  long long m = 0;
  if (length == -1) {
    m = static_cast<long long>(strlen(bytes));
  } else {
    while (m < length && bytes[m]) ++m;
  }
  if (m > kMaxUnits) out_of_memory();
  // With no bytes the platform reports an error; the text is empty either way.
  int units = m ? MultiByteToWideChar(code_page, 0, bytes, static_cast<int>(m), nullptr, 0) : 0;
  wchar_t* p = ws_reserve(units, start);
  int converted = units ? MultiByteToWideChar(code_page, 0, bytes, static_cast<int>(m), p, units + 1) : 0;
  p[converted] = 0;
}

void ws_append_utf8(const char* text) { text_decode(text, -1, ENC_UTF8, ws_mark()); }

long long utf8_prefix_bytes(const char* text, long long count) {
  if (count <= 0) return 0;
  auto* t = reinterpret_cast<const unsigned char*>(text);
  long long i = 0;
  long long counted = 0;
  // Each check of a further byte comes after the bytes before it proved non-zero,
  // so the walk never reads past the NUL.
  while (t[i] && counted < count) {
    unsigned char b = t[i];
    int passed = 1;
    bool whole = false;
    if (b < 0x80) {
      whole = true;
    } else if ((b & 0xE0) == 0xC0) {
      if (is_continuation(t[i + 1])) passed = 2, whole = true;
    } else if ((b & 0xF0) == 0xE0) {
      if (t[i + 1] && is_continuation(t[i + 1])) {
        passed = 2;
        if (is_continuation(t[i + 2])) passed = 3, whole = true;
      }
    } else if ((b & 0xF8) == 0xF0) {
      if (t[i + 1] && t[i + 2] && is_continuation(t[i + 1])) {
        passed = 2;
        if (is_continuation(t[i + 2])) {
          passed = 3;
          if (is_continuation(t[i + 3])) passed = 4, whole = true;
        }
      }
    }
    i += passed;
    if (whole) ++counted;
  }
  return i;
}

char* wide_to_utf8_alloc(const wchar_t* text) { return wide_to_bytes(CP_UTF8, text); }

char* wide_to_ansi_alloc(const wchar_t* text) { return wide_to_bytes(CP_ACP, text); }

char* wide_to_code_page_exact(const wchar_t* text, UINT code_page) {
  // Flags 0 suit every code page; best-fit and replacement characters fail the way back.
  int units = static_cast<int>(wcslen(text));
  int size = WideCharToMultiByte(code_page, 0, text, units, nullptr, 0, nullptr, nullptr);
  if (units == 0 || size == 0) return units == 0 ? empty_bytes() : nullptr;
  auto* bytes = static_cast<char*>(checked_malloc(static_cast<size_t>(size) + 1));
  WideCharToMultiByte(code_page, 0, text, units, bytes, size, nullptr, nullptr);
  bytes[size] = 0;
  auto* back = static_cast<wchar_t*>(checked_malloc(sizeof(wchar_t) * units));
  bool same = MultiByteToWideChar(code_page, 0, bytes, size, back, units) == units &&
              memcmp(back, text, sizeof(wchar_t) * units) == 0;
  free(back);
  if (same) return bytes;
  free(bytes);
  return nullptr;
}

void conv_free(char* bytes) { free(bytes); }

void ansi_to_ws(const char* text, int start) {
  int bytes = text ? static_cast<int>(strlen(text)) : 0;
  int units = bytes ? MultiByteToWideChar(CP_ACP, 0, text, bytes, nullptr, 0) : 0;
  wchar_t* p = ws_reserve(units, start);
  int converted = units ? MultiByteToWideChar(CP_ACP, 0, text, bytes, p, units) : 0;
  p[converted] = 0;
}

void utf8_to_ws(const char* text, int start) {
  if (!text) text = "";
  int bytes = static_cast<int>(strlen(text)) + 1;
  int units = MultiByteToWideChar(CP_UTF8, 0, text, bytes, nullptr, 0);
  if (units == 0) {
    ws_reserve(0, start)[0] = 0;
    return;
  }
  // The last converted unit is the NUL, so the text proper is one unit shorter.
  wchar_t* p = ws_reserve(units - 1, start);
  MultiByteToWideChar(CP_UTF8, 0, text, bytes, p, units);
}

wchar_t* ansi_to_wide_alloc(const char* text) {
  int bytes = text ? static_cast<int>(strlen(text)) : 0;
  int units = bytes ? MultiByteToWideChar(CP_ACP, 0, text, bytes, nullptr, 0) : 0;
  if (units == 0) return empty_wide();
  auto* p = static_cast<wchar_t*>(checked_malloc(2 * (static_cast<size_t>(units) + 1)));
  int converted = MultiByteToWideChar(CP_ACP, 0, text, bytes, p, units);
  p[converted] = 0;
  return p;
}

wchar_t* utf8_to_wide_alloc(const char* text) {
  if (!text) text = "";
  int bytes = static_cast<int>(strlen(text)) + 1;
  int units = MultiByteToWideChar(CP_UTF8, 0, text, bytes, nullptr, 0);
  if (units == 0) return empty_wide();
  auto* p = static_cast<wchar_t*>(checked_malloc(2 * static_cast<size_t>(units)));
  MultiByteToWideChar(CP_UTF8, 0, text, bytes, p, units);
  return p;
}
