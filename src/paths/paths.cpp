// Path rules: drive and network paths, full, long and \\?\ forms, trailing backslashes, a folder inside
// another and path comparison.
#include "paths/paths.h"

#include <wchar.h>

#include "strings/functions.h"

namespace {
constexpr wchar_t kLongPrefix[] = L"\\\\?\\";
constexpr wchar_t kLongUncPrefix[] = L"\\\\?\\UNC";
}  // namespace

bool is_network_path(const wchar_t* path) {
  if (!path || path[0] != L'\\' || path[1] != L'\\') return false;
  return !((path[2] == L'?' || path[2] == L'.') && path[3] == L'\\');
}

bool is_remote_path(const wchar_t* path) {
  if (is_network_path(path)) return true;
  wchar_t drive[] = {path[0], L':', L'\\', 0};  // the drive's type comes from the system, not the server
  return path[0] && path[1] == L':' && GetDriveTypeW(drive) == DRIVE_REMOTE;
}

bool same_path(const wchar_t* a, int a_length, const wchar_t* b, int b_length) {
  return CompareStringOrdinal(a, a_length, b, b_length, TRUE) == CSTR_EQUAL;
}

void long_form(const wchar_t* path, int length, wchar_t* asked) {
  asked[0] = 0;
  if (length >= kDriveRootLength && is_drive_path(path, length)) wcscpy(asked, kLongPrefix);
  if (is_network_path(path)) {
    wcscpy(asked, kLongUncPrefix);
    ++path;
    --length;
  }
  wcsncat(asked, path, length);
}

bool is_inside(const wchar_t* path, int length, const wchar_t* folder) {
  int parent = static_cast<int>(wcslen(folder));
  if (parent && folder[parent - 1] == L'\\') --parent;
  if (length < parent || !same_path(path, parent, folder, parent)) return false;
  return length == parent || path[parent] == L'\\';
}

int folder_length(const wchar_t* folder, int length) {
  if (length < 0) length = static_cast<int>(wcslen(folder ? folder : L""));
  if (length < 2 || folder[length - 1] != L'\\') return length;
  // A root keeps its backslash in any form: C: is the drive's current folder, and \\?\C: or
  // \\?\Volume{...} (a device path of one part) the volume itself.
  bool device = length > 4 && folder[0] == L'\\' && folder[1] == L'\\' && !is_network_path(folder);
  bool root = folder[length - 2] == L':' || (device && !wmemchr(folder + 4, L'\\', length - 5));
  return root ? length : length - 1;
}

void ensure_trailing_backslash(StringVar* variable) {
  if (string_right_equals(*variable, 1, L"\\")) return;
  int mark = ws_mark();
  ws_append(*variable);
  ws_append(L"\\");
  string_assign(variable, mark);
}

wchar_t* full_path(const wchar_t* text, int start) {
  StringVar copy = nullptr;
  string_dup(&copy, text);  // text may lie at start, where the answer goes
  auto full = [](const wchar_t* path, wchar_t* buffer, DWORD room) {
    return GetFullPathNameW(path, room, buffer, nullptr);
  };
  if (string_length(copy) == 0 || !ws_ask(full, copy, start)) {
    ws_rewind(start);
    ws_append(copy);
  }
  string_free(copy);
  return ws_text_at(start);
}

void long_path(int start) {
  StringVar path = nullptr;
  string_dup(&path, ws_text_at(start));
  auto long_name = [](const wchar_t* path, wchar_t* buffer, DWORD room) {
    return GetLongPathNameW(path, buffer, room);
  };
  // Wine's GetLongPathNameW overruns its own buffers on a path beyond MAX_PATH and the process dies.
  // Only a short name holds a tilde: any other path is not asked of a disk that may not answer.
  bool short_form = wcschr(path ? path : L"", L'~');
  if (!short_form || string_length(path) > kWholePathMax || !ws_ask(long_name, path, start)) {
    ws_rewind(start);
    ws_append(path);
  }
  string_free(path);
}

void folder_form(int mark) { ws_set_position(mark + 2LL * folder_length(ws_text_at(mark))); }

void end_with_backslash(int mark) {
  if (ws_mark() == mark || ws_text_at(ws_mark())[-1] != L'\\') ws_append(L"\\");
}

namespace {
constexpr int kNameMax = 255;  // the longest name NTFS and FAT32 hold
// Names the system takes as devices in any folder, whatever follows their first dot and blanks before
// it; COM and LPT with a digit, ¹, ² or ³.
struct Device {
  const wchar_t* name;
  bool numbered;
};
constexpr Device kDevices[] = {{L"CON", false}, {L"PRN", false}, {L"AUX", false},    {L"NUL", false},
                               {L"COM", true},  {L"LPT", true},  {L"CONIN$", false}, {L"CONOUT$", false}};
constexpr const wchar_t* kDeviceDigits = L"0123456789\x00B9\x00B2\x00B3";

bool same_letter(wchar_t a, wchar_t b) { return same_path(&a, 1, &b, 1); }

// Whether a name ends in a dot or a blank, which every path call but the \\?\ form strips: C:\foo. opens
// C:\foo.
bool ends_stripped(const wchar_t* part, int length) { return part[length - 1] == L'.' || part[length - 1] == L' '; }

// A part no folder can hold: too long, ending as the system strips it (but *., names without a dot), or
// a device.
bool is_impossible_name(const wchar_t* part, int length, bool wild) {
  if (length > kNameMax || (ends_stripped(part, length) && !(wild && part[length - 1] == L'.'))) return true;
  int base = 0;
  while (base < length && part[base] != L'.') ++base;
  while (base > 0 && part[base - 1] == L' ') --base;
  for (const Device& device : kDevices) {
    int name = static_cast<int>(wcslen(device.name));
    if (base < name || !same_path(part, name, device.name, name)) continue;
    if (base == name + device.numbered && (!device.numbered || wcschr(kDeviceDigits, part[name]))) return true;
  }
  return false;
}
}  // namespace

bool is_inside_pattern(const wchar_t* pattern) {
  const wchar_t* part = pattern;
  bool wild = false;
  for (const wchar_t* p = pattern;; ++p) {
    if (*p && *p != L'\\' && *p != L'/') {
      if (*p < L' ' || wcschr(L"<>|\":", *p)) return false;  // a colon: a drive or a stream
      wild = wild || *p == L'*' || *p == L'?';
      continue;
    }
    // Empty: a leading backslash, a server path, a doubled separator. . and .. end in a dot: refused
    // below with the names Windows strips.
    auto length = static_cast<int>(p - part);
    if (!length) return false;
    if (is_impossible_name(part, length, wild)) return false;
    if (!*p) return true;
    if (wild) return false;
    part = p + 1;
  }
}

bool is_usable_path(const wchar_t* path, int length) {
  for (int end = length; end > 0; --end)
    if ((end == length || path[end] == L'\\') && path[end - 1] != L':' && ends_stripped(path, end)) return false;
  return true;
}

bool name_matches(const wchar_t* name, const wchar_t* pattern, int length) {
  // The last star seen and the name's position then: a mismatch after it lets the star take one more.
  const wchar_t *star = nullptr, *resume = nullptr, *end = pattern + length, *dot = wcschr(name, L'.');
  while (*name) {
    if (pattern < end && (*pattern == L'?' || (*pattern != L'*' && same_letter(*pattern, *name)))) {
      ++pattern, ++name;
    } else if (pattern < end && *pattern == L'*') {
      star = ++pattern, resume = name;
    } else if (star) {
      pattern = star, name = ++resume;
    } else {
      return false;
    }
  }
  // As dir takes it: name.*, *.*, *. and name? also match a name without a dot, or a shorter one.
  while (pattern < end && (*pattern == L'*' || *pattern == L'?')) ++pattern;
  if (pattern < end && *pattern == L'.' && !dot)
    for (++pattern; pattern < end && *pattern == L'*';) ++pattern;
  return pattern == end;
}
