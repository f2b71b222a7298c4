// The folders remembered between runs: a text value a name under HKEY_CURRENT_USER\Software\Dirpick\Remembered,
// the user's own, which any script reaches in any code page and reg.exe removes. The registry writes a value
// whole, through its log after a power cut too: an entry is the old folder or the new one, never a torn text,
// and of two runs at once one is left. Its calls come from ADVAPI32, loaded when an entry is asked for.
#include "app/remembered.h"

#include "paths/paths.h"
#include "strings/workspace.h"

namespace {
constexpr int kNameMax = 64;
constexpr int kPathMax = 32767;
constexpr const wchar_t* kStore = L"Software\\Dirpick\\Remembered";

template <typename Fn>
Fn registry_call(const char* name) {
  // A known DLL: always the system's own, wherever the exe lies.
  HMODULE module = LoadLibraryW(L"ADVAPI32");
  // Through void*: GetProcAddress's FARPROC has no relation to the real signature.
  return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}
}  // namespace

bool is_memory_name(const wchar_t* name) {
  int length = 0;
  for (unsigned c; (c = name[length]); ++length) {
    // A letter in either case, whose case bit set gives a to z; nothing else does.
    bool allowed = (c | 0x20) - L'a' < 26 || c - L'0' < 10 || c == L'-' || c == L'_' || (c == L'.' && length);
    if (!allowed || length == kNameMax) return false;
  }
  return length;
}

bool recall_folder(const wchar_t* name, int mark) {
  auto get = registry_call<decltype(&RegGetValueW)>("RegGetValueW");
  wchar_t* text = ws_reserve(kPathMax + 1, mark);
  DWORD bytes = sizeof(wchar_t) * (kPathMax + 1);
  // A text value only, given back ended (a planted number or bytes is no entry; a longer one does not fit); an
  // empty one of no bytes may come back as nothing at all.
  text[0] = 0;
  if (!get || get(HKEY_CURRENT_USER, kStore, name, RRF_RT_REG_SZ, nullptr, text, &bytes)) text[0] = 0;
  int length = static_cast<int>(wcslen(text));
  // Anything else (empty, a relative path, a \\?\ form) would open wherever the script runs, or nowhere.
  bool absolute = (text[0] && text[1] == L':' && text[2] == L'\\') || is_network_path(text);
  ws_set_position(absolute ? mark + static_cast<int>(sizeof(wchar_t)) * length : mark);
  return absolute;
}

bool remember_folder(const wchar_t* name, const wchar_t* folder) {
  auto set = registry_call<decltype(&RegSetKeyValueW)>("RegSetKeyValueW");
  // The keys above the value are made where missing.
  DWORD bytes = sizeof(wchar_t) * (static_cast<DWORD>(wcslen(folder)) + 1);
  return set && !set(HKEY_CURRENT_USER, kStore, name, REG_SZ, folder, bytes);
}
