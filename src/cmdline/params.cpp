// The parameter reader's scan and copy.
#include "cmdline/params.h"

#include <windows.h>

#include "runtime/frame.h"
#include "strings/workspace.h"

namespace {
constexpr wchar_t kSpace = L' ';
constexpr wchar_t kQuote = L'"';

// Moves p onto the next quote or the NUL.
const wchar_t* to_quote_or_end(const wchar_t* p) {
  while (*p && *p != kQuote) ++p;
  return p;
}
}  // namespace

int& parameter_cursor() { return *static_cast<int*>(runtime_state_block); }

const wchar_t* param_scan(int* length) {
  const wchar_t* p = GetCommandLineW();
  // The program name is scanned like any parameter and numbered -1, so it never matches.
  int number = -1;
  if (*p) {
    for (;;) {
      while (*p == kSpace) ++p;
      bool found = true;
      const wchar_t* s = p;
      const wchar_t* e = p;
      if (*p == 0) {
        found = false;  // only trailing spaces were left
      } else if (*p == kQuote) {
        // The closing quote ends the parameter; what follows it directly starts the next one.
        s = p + 1;
        p = to_quote_or_end(s);
        e = p;
        if (*p) ++p;
      } else {
        for (;;) {
          if (*p == kSpace) {
            e = p++;
            break;
          }
          ++p;
          // A quoted section inside a plain parameter joins words, spaces included.
          if (*p == kQuote) p = to_quote_or_end(p + 1);
          if (*p == 0) {
            e = p;
            break;
          }
        }
      }
      if (length && parameter_cursor() == number) {
        if (!found) {
          *length = 0;
          return p;
        }
        *length = static_cast<int>(e - s);
        ++parameter_cursor();
        return s;
      }
      if (found) ++number;
      if (*p == 0) break;
    }
  }
  // Counting has no parameter to point at; the count travels in the one result there is.
  if (!length) return reinterpret_cast<const wchar_t*>(static_cast<INT_PTR>(number));
  *length = 0;
  return p;
}

int param_count() { return static_cast<int>(reinterpret_cast<INT_PTR>(param_scan(nullptr))); }

int copy_unquoted(const wchar_t* source, wchar_t* destination, int limit) {
  int dropped = 0;
  for (int taken = 0; taken < limit && *source; ++taken, ++source) {
    if (*source == kQuote) {
      ++dropped;
    } else {
      *destination++ = *source;
    }
  }
  *destination = 0;
  return dropped;
}

int param_next(int start) {
  int length = 0;
  const wchar_t* source = param_scan(&length);
  // The command line lies outside the workspace, so the reserve cannot move it.
  wchar_t* destination = ws_reserve(length, start);
  ws_release(copy_unquoted(source, destination, length));
  return ws_mark();
}

int param_at(int index, int start) {
  if (index >= 0) parameter_cursor() = index;
  return param_next(start);
}
