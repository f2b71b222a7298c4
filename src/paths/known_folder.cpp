// Known folders by their canonical names and by the everyday words for the common ones.
#include "paths/known_folder.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <wchar.h>

#include "paths/paths.h"
#include "strings/workspace.h"

namespace {
constexpr wchar_t kPrefix[] = L"shell:";
constexpr int kPrefixLength = sizeof(kPrefix) / sizeof(wchar_t) - 1;

// The words people say for the folders whose canonical names are older ones.
struct Alias {
  const wchar_t* word;
  const wchar_t* name;
};
using KnownPathFn = HRESULT(WINAPI*)(REFKNOWNFOLDERID, DWORD, HANDLE, PWSTR*);

constexpr Alias kAliases[] = {
    {L"Documents", L"Personal"}, {L"Pictures", L"My Pictures"}, {L"Music", L"My Music"}, {L"Videos", L"My Video"}};

// The folder's current path, from CoTaskMemAlloc; null when there is none. Unverified: a folder moved
// away, deleted or offline (a redirected Documents) still gives its path, and the start folder's rule
// for a folder that is gone opens what is left of it. Wine's IKnownFolder::GetPath looks for the folder
// whatever the flags say; SHGetKnownFolderPath honours them there and on Windows, and then makes up a
// path for a virtual folder (the Control Panel), which is why the category is asked first.
wchar_t* current_path(const wchar_t* name) {
  for (const Alias& alias : kAliases)
    if (same_path(name, -1, alias.word, -1)) name = alias.name;
  IKnownFolderManager* manager = nullptr;
  IKnownFolder* folder = nullptr;
  KNOWNFOLDERID id;
  KF_CATEGORY category;
  wchar_t* path = nullptr;
  // Never freed, as the dialogs' is not: the shell's threads may still run in it.
  HMODULE shell32 = LoadLibraryW(L"SHELL32.DLL");
  // Through void*: GetProcAddress's FARPROC has no relation to the real signature.
  void* entry = reinterpret_cast<void*>(GetProcAddress(shell32, "SHGetKnownFolderPath"));
  auto path_of = reinterpret_cast<KnownPathFn>(entry);
  if (path_of &&
      SUCCEEDED(CoCreateInstance(CLSID_KnownFolderManager, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&manager))) &&
      SUCCEEDED(manager->GetFolderByName(name, &folder)) && SUCCEEDED(folder->GetId(&id)) &&
      (FAILED(folder->GetCategory(&category)) || category == KF_CATEGORY_VIRTUAL ||
       FAILED(path_of(id, KF_FLAG_DONT_VERIFY, nullptr, &path)))) {
    path = nullptr;
  }
  if (folder) folder->Release();
  if (manager) manager->Release();
  return path;
}
}  // namespace

bool is_known_folder_name(const wchar_t* text) {
  return text && wcslen(text) >= kPrefixLength &&
         same_path(text, kPrefixLength, kPrefix, kPrefixLength);
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
