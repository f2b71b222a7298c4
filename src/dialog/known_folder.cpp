// Known folders by their canonical names and by the everyday words for the common ones.
#include "dialog/known_folder.h"

#include <windows.h>
#include <objbase.h>
#include <shobjidl.h>
#include <wchar.h>

#include "strings/workspace.h"

namespace {
constexpr wchar_t kPrefix[] = L"shell:";
constexpr int kPrefixLength = sizeof(kPrefix) / sizeof(wchar_t) - 1;

// The words people say for the folders whose canonical names are older ones.
struct Alias {
  const wchar_t* word;
  const wchar_t* name;
};
constexpr Alias kAliases[] = {
    {L"Documents", L"Personal"}, {L"Pictures", L"My Pictures"}, {L"Music", L"My Music"}, {L"Videos", L"My Video"}};

bool same_name(const wchar_t* a, const wchar_t* b) { return CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL; }

// The folder's current path, from CoTaskMemAlloc; null when there is none.
wchar_t* current_path(const wchar_t* name) {
  for (const Alias& alias : kAliases)
    if (same_name(name, alias.word)) name = alias.name;
  IKnownFolderManager* manager = nullptr;
  IKnownFolder* folder = nullptr;
  wchar_t* path = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_KnownFolderManager, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&manager))) &&
      SUCCEEDED(manager->GetFolderByName(name, &folder)) && FAILED(folder->GetPath(0, &path))) {
    path = nullptr;
  }
  if (folder) folder->Release();
  if (manager) manager->Release();
  return path;
}
}  // namespace

bool is_known_folder_name(const wchar_t* text) {
  return text && wcslen(text) >= kPrefixLength &&
         CompareStringOrdinal(text, kPrefixLength, kPrefix, kPrefixLength, TRUE) == CSTR_EQUAL;
}

bool known_folder_path(const wchar_t* text, int start) {
  const wchar_t* name = text + kPrefixLength;
  const wchar_t* rest = wcschr(name, L'\\');
  if (!rest) rest = name + wcslen(name);
  // The name alone, NUL-terminated, in the workspace; text itself lies outside it.
  int length = static_cast<int>(rest - name);
  string_copy_n(ws_reserve(length, start), name, length);
  wchar_t* path = current_path(ws_text_at(start));
  ws_reserve(0, start)[0] = 0;
  if (!path || !*path) return CoTaskMemFree(path), false;
  ws_append(path);
  ws_append(rest);
  CoTaskMemFree(path);
  return true;
}
