// The real dirpick.exe: command line, folder and answer in; exit code and exact bytes out.
#include "harness.h"

#include "dialog/fence.h"
#include "dialog/request.h"
#include "paths/folders.h"
#include "runtime/frame.h"
#include "strings/workspace.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <functional>
#include <thread>

namespace {
// The usage text as docs/details.md shows it, each line ended as the program ends it.
std::wstring documented_usage() {
  const char* source = getenv("DIRPICK_SOURCE");
  std::ifstream docs(std::string("Z:") + (source ? source : "") + "/docs/details.md");
  std::string text(std::istreambuf_iterator<char>(docs), {}), usage;
  size_t from = text.find("\nDirpick ver. ") + 1, to = text.find("```", from);
  for (size_t i = from; from && i < to; ++i) usage += text[i] == '\n' ? std::string("\r\n") : std::string(1, text[i]);
  return std::wstring(usage.begin(), usage.end()) + L"\n";
}

constexpr wchar_t kStore[] = L"Software\\Dirpick\\Remembered", kDirpickKey[] = L"Software\\Dirpick";
std::wstring kept(const wchar_t* name) {  // what /remember keeps under the name, text or bytes as is; "-": nothing
  wchar_t text[600] = L"-";
  DWORD bytes = sizeof(text) - 2;
  return RegGetValueW(HKEY_CURRENT_USER, kStore, name, RRF_RT_ANY, nullptr, text, &bytes), std::wstring(text);
}

// Plants /remember's entry under j: "-" none; "!" a store no value can be written to (a volatile key, below which no
// key that lasts can be made, returned for closing); a leading # the rest as bytes; else the text.
HKEY plant_entry(const std::wstring& plant) {
  HKEY key = nullptr, user = HKEY_CURRENT_USER;
  bool none = plant == L"-", bytes = !plant.empty() && plant[0] == L'#';
  if (none || plant == L"!") RegDeleteTreeW(user, kDirpickKey);
  if (plant == L"!") return RegCreateKeyExW(user, kDirpickKey, 0, 0, REG_OPTION_VOLATILE, KEY_WRITE, 0, &key, 0), key;
  if (!none) RegSetKeyValueW(user, kStore, L"j", bytes ? REG_BINARY : REG_SZ, plant.data() + bytes, 2 * plant.size());
  return key;
}

// %W: the folder Work, %R: the test folder, %N and %B: odd folders, %U: the banner and usage text, %H: a name
// the code page cannot hold, %P: /bare with /batch, %a: \x00C4pfel, %p: Projects in the moved Documents, %2: Work2
// typed from Work. A row: the command line, its working folder, the button pressed (the table's Press unless the
// row names one) once the dialog shows out's folder, having typed type line by line, where the output goes; then
// the exit code, out (UTF-8, or the OEM code page when oem), err (UTF-16), whether OK was on when the dialog was
// answered (On unless the row says; Any: not checked), what each box that refused a typed name said, a static
// text the dialog shows, the fenced top folder the tree's selection starts with (empty: not checked), /remember's
// entry under j planted before the run (null: as the row before left it) and the one after it (null: not checked).
enum Answer { Nobody = 0, Ok = IDOK, Cancel = IDCANCEL, CtrlC = kCtrlC, Esc = kEsc, Click = kClickCancel };
enum Okay { Any, On, Off };
template <int Press>
struct Row {
  std::wstring cmd, dir = L"C:\\";
  int press = Press;
  const wchar_t* type = nullptr;
  Stream to = Stream::File;
  DWORD exit = 0;
  std::wstring out = L"", err = L"";
  bool oem = false;
  Okay ok = On;
  std::wstring boxes = L"", text = L"", top = L"";
  const wchar_t *plant = nullptr, *kept = nullptr;
};

const std::wstring k65(65, L'n');  // a name one character too long for /remember
constexpr Stream ErrClosed = Stream::ErrClosed, Pipe = Stream::Pipe, Full = Stream::Full, Unseen = Stream::Unseen;
const Row<Nobody> kQuietRows[] = {  // refusals, usage and runs without a visible desktop: no dialog
  {.cmd = L"dirpick", .err = L"%U"},
  {.cmd = L"dirpick /?", .to = ErrClosed},
  {.cmd = L"dirpick\tcd\tC:\\", .err = L"%U"},
  {.cmd = L"dirpick cd shell:Persnal Title /XyZ", .exit = 255, .err = L"Invalid option: /XyZ\n"},
  {.cmd = L"dirpick cd C:\\ /center Title /?", .exit = 255, .err = L"Invalid option: /?\n"},
  {.cmd = L"dirpick cd C:\\ T /x\xDC00", .exit = 255, .err = L"Invalid option: /x\xDC00\n"},
  {.cmd = L"dirpick cd C:\\ T a\"b c\"d", .exit = 255, .err = L"Invalid option: ab cd\n"},
  {.cmd = L"dirpick cd C:\\ T \"ab\"cd", .exit = 255, .err = L"Invalid option: ab\n"},
  {.cmd = L"dirpick cd C:\\ T \"unterminated text", .exit = 255, .err = L"Invalid option: unterminated text\n"},
  {.cmd = L"   dirpick   cd C:\\ T   \ta\tb  ", .exit = 255, .err = L"Invalid option: \ta\tb\n"},
  {.cmd = L"\"C:\\Program Files\\dirpick.exe\"cd \"C:\\\" T /x", .exit = 255, .err = L"Invalid option: /x\n"},
  {.cmd = L"dirpick cd C:\\ T %L", .exit = 255, .err = L"Invalid option: %L\n"},
  {.cmd = L"dirpick " + std::wstring(10000, L'"'), .exit = 255, .err = L"%U"},  // an unset %CMD% is no call for help
  {.cmd = L"dirpick cd /Batch", .exit = 255, .err = L"Dirpick: \"/Batch%A"},
  {.cmd = L"dirpick cd /root:C:\\x T /x", .exit = 255, .err = L"Dirpick: \"/root:C:\\x%A"},
  {.cmd = L"dirpick cd C:\\ T " + std::wstring(10000, L'"') + L" x y", .exit = 255, .err = L"Invalid option: x\n"},
  {.cmd = L"dirpick - C:\\ T /batch /bare", .exit = 255, .err = L"%P"},
  {.cmd = L"dirpick cd C:\\ T /utf8 /batch", .exit = 255, .err = L"%8"},
  {.cmd = L"dirpick - shell:Persnal T /bare /batch", .to = Unseen, .exit = 255, .err = L"%P"},
  {.cmd = L"dirpick cd shell:Persnal", .to = Unseen, .exit = 255, .err = L"Dirpick: \"shell:Persnal%K"},
  {.cmd = L"dirpick cd shell:ControlPanelFolder", .exit = 255, .err = L"Dirpick: \"shell:ControlPanelFolder%K"},
  {.cmd = L"dirpick cd C:\\ /timeout:0", .to = Unseen, .exit = 255, .err = L"Invalid option: /timeout:0\n"},
  {.cmd = L"dirpick cd C:\\ /TIMEOUT:86401", .exit = 255, .err = L"Invalid option: /TIMEOUT:86401\n"},
  {.cmd = L"dirpick cd C:\\ /timeout:", .exit = 255, .err = L"Invalid option: /timeout:\n"},
  {.cmd = L"dirpick cd C:\\ T /timeout12", .exit = 255, .err = L"Invalid option: /timeout12\n"},
  {.cmd = L"dirpick cd C:\\ /timeout:5.", .exit = 255, .err = L"Invalid option: /timeout:5.\n"},
  {.cmd = L"dirpick cd C:\\", .to = Unseen, .exit = 2, .err = L"Dirpick: there is no visible desktop%V"},
  {.cmd = L"dirpick cd C:\\ T /root:%R\\Gone", .to = Unseen, .exit = 255, .err = L"%Q%R\\Gone\\%E"},
  {.cmd = L"dirpick cd C:\\ T /root:shell:Nope", .exit = 255, .err = L"%Qshell:Nope%E"},
  {.cmd = L"dirpick cd C:\\ T /root:\\\\nowhere\\x", .exit = 2, .err = L"%Q\\\\nowhere\\x\" does not answer\n"},
  {.cmd = L"dirpick cd shell:Persnal T /root:shell:Nope", .exit = 255, .err = L"Dirpick: \"shell:Persnal%K"},
  {.cmd = L"dirpick - C:\\ T /root:shell:Nope /bare /batch", .exit = 255, .err = L"%P"},
  {.cmd = L"dirpick cd C:\\ T /root:shell:Nope /x", .exit = 255, .err = L"Invalid option: /x\n"},
  {.cmd = L"dirpick cd C:\\ T /root:", .exit = 255, .err = L"Invalid option: /root:\n"},
  {.cmd = L"dirpick cd C:\\ T /require:", .exit = 255, .err = L"Invalid option: /require:\n"},
  {.cmd = L"dirpick cd C:\\ T /require:C:\\x", .exit = 255, .err = L"Invalid option: /require:C:\\x\n"},
  {.cmd = L"dirpick cd C:\\ T /require:\\x", .exit = 255, .err = L"Invalid option: /require:\\x\n"},
  {.cmd = L"dirpick cd C:\\ T /require:a\\..\\b", .exit = 255, .err = L"Invalid option: /require:a\\..\\b\n"},
  {.cmd = L"dirpick cd C:\\ T /require:a<b", .exit = 255, .err = L"Invalid option: /require:a<b\n"},
  {.cmd = L"dirpick cd C:\\ T /require:*\\x", .exit = 255, .err = L"Invalid option: /require:*\\x\n"},
  {.cmd = L"dirpick cd C:\\ T /remember:" + k65, .exit = 255, .err = L"Invalid option: /remember:" + k65 + L"\n"},
  {.cmd = L"dirpick cd C:\\ T /REMEMBER:.job", .exit = 255, .err = L"Invalid option: /REMEMBER:.job\n"},
  {.cmd = L"dirpick cd C:\\ T /remember:a\x212A", .exit = 255, .err = L"Invalid option: /remember:a\x212A\n"},
};
// The dialog rows, a table for each of two displays side by side.
const Row<Ok> kDialogRowsOne[] = {  // each shows a dialog
  {.cmd = L"dirpick CD \"%W\"", .dir = L"Z:\\tmp", .out = L"C:\r\nCD \"%W\"\r\n"},
  {.cmd = L"dirpick \"set dir=\" \"%W\\\" \"\" /NoQuotes", .out = L"set dir=%W\r\n"},
  {.cmd = L"dirpick cd C:\\", .dir = L"Z:\\tmp", .out = L"C:\r\ncd \"C:\\\"\r\n"},
  {.cmd = L"dirpick pushd Work\\Inner", .dir = L"%R", .out = L"pushd \"%I\"\r\n"},
  {.cmd = L"dirpick cd\xD800 C:\\ t%O", .out = L"cd\xFFFD C:\\\r\n"},
  {.cmd = L"dirpick cd C:\\" + std::wstring(32700, L'y'), .press = Cancel, .exit = 1, .ok = Any},
  {.cmd = L"dirpick cd C:\\windows\\win.ini", .dir = L"c:\\windows", .to = Pipe, .out = L"cd \"C:\\windows\"\r\n"},
  {.cmd = L"dirpick \"set d=\" \"%B\" \"\" /noquote /BATCH", .out = L"set d=%R\\50%%off R^&D^^5\r\n", .oem = true},
  {.cmd = L"dirpick cd \"%N\" T /batch", .press = Cancel, .exit = 1, .ok = Off, .text = L"|%H\nT|"},
  {.cmd = L"dirpick - \"%N\" T /BARE /modern", .type = L"%N\n%W", .out = L"%W\r\n", .oem = true, .boxes = L"%H|"},
  {.cmd = L"dirpick pushd \"SHELL:documents\\Projects\" T", .out = L"pushd \"%p\"\r\n"},
  {.cmd = L"dirpick cd C:\\ T /modern /timeout:5", .type = L"Q:\\no\\such", .exit = 2},  // a box over it
  {.cmd = L"dirpick cd \"\" T /root:Work", .dir = L"%R", .out = L"cd \"%W\"\r\n", .top = L"\\Work\\"},
  {.cmd = L"dirpick cd C:\\windows T /modern /root:%W", .type = L"Inner", .out = L"cd \"%I\"\r\n"},
  {.cmd = L"dirpick cd C:\\windows T /root:c:\\", .out = L"cd \"C:\\windows\"\r\n", .top = L"C:\\"},
  {.cmd = L"dirpick cd \"%T\\%C\" Pick /root:%T", .out = L"cd \"%G\\%C\"\r\n", .top = L"\\Long Folder Name Here\\"},
  {.cmd = L"dirpick cd shell:Contacts", .out = L"cd \"%R\"\r\n"},
  {.cmd = L"dirpick cd \"%W2\" T /require:Inner /timeout:6", .exit = 2, .ok = Off},  // pressed while off
  {.cmd = L"dirpick cd \"%W\" T /require:Inner /require:.git\\x", .press = Cancel, .exit = 1, .ok = Off, .text = L"%M"},
  {.cmd = L"dirpick cd C:\\windows\\win.ini T /modern", .type = L"system32", .out = L"cd \"%S\"\r\n"},
  {.cmd = L"dirpick cd \"%I\" T /remember:j", .out = L"cd \"%I\"\r\n", .plant = L"-", .kept = L"%I"},
  {.cmd = L"dirpick cd \"%W2\" T /REMEMBER:J", .out = L"cd \"%I\"\r\n", .kept = L"%I"},
  {.cmd = L"dirpick cd \"%W2\" T /remember:" + k65.substr(1), .out = L"cd \"%W2\"\r\n", .kept = L"%I"},
  {.cmd = L"dirpick cd shell:Desktop T /remember:j", .out = L"cd \"%I\"\r\n", .kept = L"%I"},
  {.cmd = L"dirpick - \"%W2\" T /remember:j /timeout:3", .press = Nobody, .exit = 2, .kept = L"%I"},
  {.cmd = L"dirpick cd C:\\ T /remember:j", .out = L"cd \"%W\"\r\n", .plant = L"%W\\Gone\\x", .kept = L"%W"},
  {.cmd = L"dirpick cd \"%I\" T /root:%W /remember:j", .out = L"cd \"%I\"\r\n", .plant = L"%W2", .kept = L"%I"},
  {.cmd = L"dirpick cd \"%I\" T /require:build.cmd /remember:j", .press = Cancel, .exit = 1, .ok = Off,
   .text = L"The folder must hold build.cmd", .plant = L"%W2", .kept = L"%W2"},
  {.cmd = L"dirpick cd \"%W2\" T /remember:j", .out = L"cd \"%W2\"\r\n", .plant = L"%I\\build.cmd", .kept = L"%W2"},
  {.cmd = L"dirpick cd \"%W2\" T /remember:j", .out = L"cd \"%W2\"\r\n", .plant = L"", .kept = L"%W2"},
  {.cmd = L"dirpick cd \"%W2\" T /remember:j", .dir = L"%R", .out = L"cd \"%W2\"\r\n", .plant = L"Work\\Inner"},
  {.cmd = L"dirpick cd \"%W2\" T /remember:j", .out = L"cd \"%W2\"\r\n", .plant = L"#%I", .kept = L"%W2"},
  {.cmd = L"dirpick cd \"%g\" T /batch /remember:j", .out = L"cd \"%R\\\x03A3\x03A6\x03A9 100%%! R&D\"\r\n",
   .oem = true, .plant = L"-", .kept = L"%g"},
  {.cmd = L"dirpick - C:\\ T /remember:j /bare /utf8", .out = L"%g\r\n", .kept = L"%g"},
  {.cmd = L"dirpick cd \"%I\" T /remember:j", .out = L"cd \"%I\"\r\n",
   .err = L"Dirpick: the folder could not be remembered under \"j\"\n", .plant = L"!", .kept = L"-"},
};
const Row<Ok> kDialogRowsTwo[] = {
  {.cmd = L"dirpick \"cd /d \" \"%W\"", .dir = L"Z:\\tmp", .out = L"cd /d  \"%W\"\r\n"},
  {.cmd = L"dirpick cd \"\" /BACKSLASH Pick /timeout:60", .dir = L"%W", .out = L"cd \"%W\\\"\r\n"},
  {.cmd = L"dirpick pushd .", .dir = L"%W", .to = ErrClosed, .out = L"pushd \"%W\"\r\n"},
  {.cmd = L"dirpick pushd \"%N\\Gone\\Deeper\"", .out = L"pushd \"%N\"\r\n"},
  {.cmd = L"dirpick cd \\\\?\\C:\\windows", .press = Cancel, .exit = 1, .ok = Any},
  {.cmd = L"dirpick cd " + std::wstring(32766 - 11, L'r'), .dir = L"%R", .press = Cancel, .exit = 1, .ok = Any},
  {.cmd = L"dirpick \"set d=\" \"%B\" T /batch", .out = L"set d=\"%R\\50%%off R&D^5\"\r\n", .oem = true},
  {.cmd = L"dirpick cd \"%a\" T /batch", .dir = L"Z:\\tmp", .out = L"C:\r\ncd \"%a\"\r\n", .oem = true},
  {.cmd = L"dirpick cd \"%a\" T /bare /noquote /backslash", .dir = L"Z:\\tmp", .out = L"%a\\\r\n", .oem = true},
  {.cmd = L"dirpick - \"%N\" T /bare /UTF8", .out = L"%N\r\n"},
  {.cmd = L"dirpick cd C:\\ \"\" /timeout:86400 \"\" /Timeout:1 /require:Inner", .press = Nobody, .exit = 2},
  {.cmd = L"dirpick cd \"%W2\" T \"/ROOT:%W\\\"", .out = L"cd \"%W\"\r\n", .top = L"\\Work\\"},
  {.cmd = L"dirpick pushd \"%p\" T /root:shell:Personal", .out = L"pushd \"%p\"\r\n", .top = L"\\Moved Docs\\"},
  {.cmd = L"dirpick cd \"%W\" T /modern /root:%W /timeout:5", .type = L"%S\n%2", .exit = 2, .boxes = L"%F"},
  {.cmd = L"dirpick cd %S T /modern /root:C:\\", .type = L"Z:\\\n%S", .out = L"cd \"%S\"\r\n", .boxes = L"Only C:\\%Z"},
  {.cmd = L"dirpick cd \"%G\" Pick /modern /root:%T", .type = L"%C", .out = L"cd \"%G\\%C\"\r\n", .text = L"Pick|"},
  {.cmd = L"dirpick cd \"%W\" T /REQUIRE:.git /require:inner/build.cmd /batch", .out = L"cd \"%W\"\r\n", .oem = true},
  {.cmd = L"dirpick cd \"%I\" T /root:%W /require:b*.?md", .out = L"cd \"%I\"\r\n", .top = L"\\Work\\"},
  {.cmd = L"dirpick cd \"%W\" /modern /require:*d", .type = L"%2\nInner", .out = L"cd \"%I\"\r\n", .boxes = L"%X"},
  {.cmd = L"dirpick cd \"%W\" T /remember:j", .to = Full, .exit = 255,
   .err = L"Dirpick: the result line could not be written\n", .kept = L"-"},
};

// The folder a result line names, as the answerer waits for it: from its drive letter on, unescaped,
// without a trailing backslash.
std::wstring folder_in(const std::wstring& out) {
  size_t at = out.rfind(L":\\");
  std::wstring folder;
  bool quoted = at != std::wstring::npos && at > 1 && out[at - 2] == L'"';  // a caret escapes outside quotes
  for (size_t i = at - 1; at != std::wstring::npos && i < out.find_first_of(L"\"\r", at); ++i)
    folder += out[i += (out[i] == L'^' && !quoted) || (out[i] == L'%' && out[i + 1] == L'%')];
  return folder.empty() || folder.back() != L'\\' ? folder : folder.substr(0, folder.size() - 1);
}

constexpr wchar_t kShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
struct Dirpick : TempFolder {
  // Made now and last read an hour ago, with each parent up to the test folder, as a folder that was
  // filled since anyone listed it: its first listing changes its access time.
  std::wstring fresh(const std::wstring& relative) {
    std::wstring folder = make(relative), whole = L"\\\\?\\" + folder;
    FILETIME read;
    GetSystemTimeAsFileTime(&read), read.dwHighDateTime -= 9;  // an hour ago: each unit is 2^32 ticks of 100 ns
    for (; whole.size() >= root.size() + 4; whole.resize(whole.rfind(L'\\'))) {
      HANDLE h = CreateFileW(whole.c_str(), FILE_WRITE_ATTRIBUTES, 7, 0, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, 0);
      SetFileTime(h, nullptr, &read, nullptr), CloseHandle(h);
    }
    return folder;
  }
  // Runs the rows. A failed row names itself; only a run left stuck stops the rows after it, which would wait too.
  template <int Press, size_t N>
  void check_rows(const Row<Press> (&rows)[N]) {
    for (const Row<Press>& row : rows) {
      SCOPED_TRACE(encoded(subst(row.cmd).substr(0, 80)));
      std::wstring type = subst(row.type ? row.type : L"");
      HKEY unwritable = row.plant ? plant_entry(subst(row.plant)) : nullptr;
      Result r = run({subst(row.cmd), subst(row.dir), row.press, row.type ? type.c_str() : nullptr, row.to,
                      L"dirpick.exe", folder_in(subst(row.out))});
      if (unwritable) RegCloseKey(unwritable), RegDeleteTreeW(HKEY_CURRENT_USER, kDirpickKey);
      EXPECT_TRUE(!row.kept || kept(L"j") == subst(row.kept)) << "the entry after the run: " << encoded(kept(L"j"));
      if (r.exit_code == 0xDEAD || r.exit_code == STILL_ACTIVE) break;
      EXPECT_EQ(row.exit, r.exit_code);
      EXPECT_EQ(encoded(subst(row.out), row.oem ? CP_OEMCP : CP_UTF8), r.out);
      EXPECT_EQ(utf16(subst(row.err)), r.err);
      EXPECT_TRUE(Press != Nobody || r.dialogs.empty()) << "a dialog where none may show";
      EXPECT_TRUE(!row.press || row.ok == Any || (row.ok == On) == r.seen.ok_on) << "OK on where the row says";
      EXPECT_EQ(subst(row.boxes), r.seen.boxes);
      EXPECT_TRUE(row.text.empty() || r.seen.texts.find(subst(row.text)) != r.seen.texts.npos) << encoded(r.seen.texts);
      EXPECT_EQ(nullptr, r.seen.owner);
      // Below a root the tree's top item is the root: its path, as the answerer read it, starts there.
      bool fenced = (r.seen.shown + L"\\").find(row.top) == 0 && !r.seen.name_box;  // a typed path leaves it
      EXPECT_TRUE(row.top.empty() || fenced) << encoded(r.seen.shown) << ": unfenced";
    }
  }
  // Every dialog is answered while the test's own window, of another process, is in the foreground: it
  // must own none. Documents is moved away, as OneDrive moves it; shell:Personal must follow it.
  // Contacts is moved to a folder that is gone: shell:Contacts opens what is left of its path.
  template <size_t N>
  void check_dialog_rows(const Row<Ok> (&rows)[N]) {
    wchar_t saved[MAX_PATH];
    DWORD bytes = sizeof(saved);
    RegGetValueW(HKEY_CURRENT_USER, kShellFolders, L"Personal", RRF_RT_ANY | RRF_NOEXPAND, nullptr, saved, &bytes);
    constexpr wchar_t kContacts[] = L"{56784854-C6CB-462B-8169-88E350ACB882}";
    std::wstring moved = root + L"\\Moved Docs", contacts = root + L"\\Gone\\Contacts";
    RegSetKeyValueW(HKEY_CURRENT_USER, kShellFolders, L"Personal", REG_SZ, moved.c_str(), 2 * moved.size() + 2);
    RegSetKeyValueW(HKEY_CURRENT_USER, kShellFolders, kContacts, REG_SZ, contacts.c_str(), 2 * contacts.size() + 2);
    HWND mine = CreateWindowExW(0, L"Static", L"t", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 99, 99, 0, 0, 0, 0);
    SetForegroundWindow(mine);
    for (const wchar_t* folder : {L"Work\\Inner", L"Work2", L"\x00C4rger \x20AC \x65E5\x672C", L"50%off R&D^5",
                                  L"\x00C4pfel", L"Moved Docs\\Projects", L"Long Folder Name Here\\Child Folder",
                                  L"Work\\.git", L"\x03A3\x03A6\x03A9 100%! R&D"})
      make(folder);
    CloseHandle(CreateFileW((root + L"\\Work\\Inner\\build.cmd").c_str(), GENERIC_WRITE, 0, 0, CREATE_NEW, 0, 0));
    SetFileAttributesW((root + L"\\Work\\.git").c_str(), FILE_ATTRIBUTE_HIDDEN);
    check_rows(rows);
    DestroyWindow(mine);
    RegSetKeyValueW(HKEY_CURRENT_USER, kShellFolders, L"Personal", REG_EXPAND_SZ, saved, bytes);
    RegSetKeyValueW(HKEY_CURRENT_USER, kShellFolders, kContacts, REG_EXPAND_SZ, L"%USERPROFILE%\\Contacts", 46);
  }
  std::wstring subst(std::wstring text) {
    wchar_t short_name[MAX_PATH];
    std::wstring options, longer = root + L"\\Long Folder Name Here";
    DWORD short_length = GetShortPathNameW(longer.c_str(), short_name, MAX_PATH);
    for (int i = 0; i < 1500; ++i) options += L" /backslash /NOQUOTE";
    const std::pair<std::wstring, std::wstring> names[] = {
        {L"%a", root + L"\\\x00C4pfel"}, {L"%p", root + L"\\Moved Docs\\Projects"}, {L"%2", L"..\\Work2"},
        {L"%W", root + L"\\Work"}, {L"%R", root}, {L"%N", root + L"\\\x00C4rger \x20AC \x65E5\x672C"},
        {L"%U", documented_usage()},
        {L"%B", root + L"\\50%off R&D^5"}, {L"%L", std::wstring(32749, L'w')}, {L"%O", options},
        {L"%S", L"C:\\windows\\system32"}, {L"%D", root + L"\\Moved Docs"}, {L"%G", longer},
        {L"%g", root + L"\\\x03A3\x03A6\x03A9 100%! R&D"},
        {L"%T", std::wstring(short_name, short_length)},
        {L"%K", L"\" names no known folder with a path on disk\n"}, {L"%Q", L"Dirpick: the root \""},
        {L"%A", L"\" is an option: options begin at the third parameter, as in dirpick cd \"\" /batch\n"},
        {L"%E", L"\" is not an existing folder\n"},
        {L"%F", L"Only " + root + L"\\Work%Z"}, {L"%Z", L" and the folders below it can be chosen|"},
        {L"%V", L" to show the folder dialog on\n"}, {L"%M", L"|The folder must hold Inner and .git\\x\nT|"},
        {L"%X", L"The folder must hold *d|"}, {L"%C", L"Child Folder"},
        {L"%H", L"This folder's name cannot be written in code page " + std::to_wstring(GetOEMCP())},
        {L"%Y", _wgetenv(L"USERPROFILE") + std::wstring(L"\\Desktop")}, {L"%I", root + L"\\Work\\Inner"},
        {L"%J", root + L"\\" + std::wstring(250 - root.size() - 1, L'j') + L"\\Long start"},
        {L"%8", L"Dirpick: /utf8 and /batch cannot be used together: cmd.exe reads a temporary script in the console's "
                L"code page\n"},
        {L"%P", L"Dirpick: /bare and /batch cannot be used together: /bare is for a caller that captures the folder, "
                L"/batch for a temporary script\n"}};
    for (const auto& [name, value] : names)
      for (size_t at; (at = text.find(name)) != std::wstring::npos;) text.replace(at, name.size(), value);
    return text;
  }
};
}  // namespace

// The runs without a dialog go beside the suites that take the display; those with one, in two halves side by side.
TEST_F(Dirpick, RunsWithoutADialogGiveExactBytesAndExitCode) { check_rows(kQuietRows); }
TEST_F(Dirpick, DialogRowsHalfOneGiveExactBytesAndExitCode) { check_dialog_rows(kDialogRowsOne); }
TEST_F(Dirpick, DialogRowsHalfTwoGiveExactBytesAndExitCode) { check_dialog_rows(kDialogRowsTwo); }

// Start folders around MAX_PATH: 259 characters go as a path text, 260 as an item list, never on the sibling that a
// 259-character cut names. A folder picked beyond MAX_PATH comes back whole. Fresh start folders open on themselves: a
// long one, and one whose parent gains and loses folders meanwhile. A user's move in the tree stands.
TEST_F(Dirpick, StartFoldersAreShownSelectedAndLongResultsComeBackWhole) {
  auto opened_on = [](const std::wstring& folder) {
    return run({.line = L"dirpick cd \"" + folder + L"\"", .dir = L"C:\\", .button = IDOK, .pick = folder}).out ==
           encoded(L"cd \"" + folder + L"\"\r\n");
  };
  std::wstring base = make(std::wstring(250 - root.size() - 1, L'd'));
  for (const wchar_t* name : {L"Target-f", L"Target-fo"})  // 259 and 260 characters
    EXPECT_TRUE(opened_on(make(base.substr(root.size() + 1) + L"\\" + name))) << encoded(name);
  std::wstring leaf = make(base.substr(root.size() + 1) + L"\\Leaf-folder-beyond-the-path-buffer");
  Result r = run({.line = L"dirpick cd \"" + base + L"\"", .dir = L"C:\\", .button = IDOK, .type = L"\t\x27\x28",
                  .pick = base, .moved = leaf});
  EXPECT_EQ(encoded(L"cd \"" + leaf + L"\"\r\n"), r.out) << leaf.size() << " characters, picked in the tree";
  std::wstring shouted = leaf;  // beyond MAX_PATH no call gives the names as on disk
  CharUpperBuffW(shouted.data(), static_cast<DWORD>(shouted.size()));
  r = run({.line = L"dirpick cd \"\" T /root:\"" + shouted + L"\"", .dir = L"C:\\", .button = IDOK, .pick = leaf});
  EXPECT_EQ(encoded(L"cd \"" + leaf + L"\"\r\n"), r.out) << "a root in other letter case";
  r = run({.line = L"dirpick cd C:\\", .button = IDCANCEL, .type = L"\t\x25", .moved = L"\\Desktop\\My Computer"});
  EXPECT_FALSE(r.seen.ok_on) << "OK on My Computer, which has no folder behind it";
  r = run({.line = L"dirpick \"set d=\" C:\\windows", .button = IDOK, .type = L"\t\x24", .moved = L"\\Desktop"});
  EXPECT_TRUE(r.seen.ok_on && r.out == encoded(subst(L"set d=\"%Y\"\r\n"))) << r.out << ": the Desktop is a folder";
  EXPECT_TRUE(opened_on(fresh(L"Fresh\\" + std::wstring(246 - root.size(), L'h') + L"\\long-start-folder")));
  std::wstring start = fresh(L"Churn\\Start");
  std::atomic<bool> churning = true;
  std::thread churn([&] {  // other programs' folders come and go beside the start folder, a millisecond apart
    for (int i = 0; churning; i = (i + 1) % 40, Sleep(1)) {
      std::wstring other = root + L"\\Churn\\c" + std::to_wstring(i % 20);
      i < 20 ? CreateDirectoryW(other.c_str(), nullptr) : RemoveDirectoryW(other.c_str());
    }
  });
  EXPECT_TRUE(opened_on(start)) << "beside a churn";
  churning = false, churn.join();
}

// Two runs at once under one name leave one of their folders, whole.
TEST_F(Dirpick, TwoRunsUnderOneNameLeaveOneFolderWhole) {
  std::wstring two[] = {make(L"Work2"), make(L"Work\\Inner")}, line = L"dirpick cd \"%s\" T /remember:twice";
  auto pick = [&](int i) { run({.line = std::wstring(line).replace(12, 2, two[i]), .button = Ok, .pick = two[i]}); };
  std::thread beside(pick, 0);
  pick(1), beside.join();
  EXPECT_NE(std::end(two), std::find(two, std::end(two), kept(L"twice"))) << encoded(kept(L"twice"));
}

// A dialog, start folder, set of options and answer a row, each option a column: scripts/combos.py generates the rows,
// every two values of any two columns meeting in one (OK pressed only where on, /timeout:5 exactly where nobody
// answers, the tree never asked to judge the Desktop's varying contents); the last row is the table's own. on: the
// folder it opens on; ok: OK on there (/require:* is met by a folder that holds anything). The limit leaves a loaded
// machine seconds to show the dialog.
struct Combo { const char* name; const wchar_t *from, *opt; Answer press; const wchar_t* on; bool ok = true; };
const Combo kCombos[] = {
  {.name = "c01", .from = L"%I", .opt = L"", .press = Ok, .on = L"%I"},
  {.name = "c02", .from = L"%W", .opt = L"/root:%W /require:* /timeout:60 /center /bare /remember:x",
   .press = Cancel, .on = L"%W"},
  {.name = "c03", .from = L"%W2", .opt = L"/modern /timeout:5 /center /batch /remember:x",
   .press = Nobody, .on = L"%W2"},
  {.name = "c04", .from = L"%W\\Gone", .opt = L"/modern /root:%W /require:* /batch", .press = CtrlC, .on = L"%W"},
  {.name = "c05", .from = L"shell:Desktop", .opt = L"/modern /timeout:60 /bare", .press = Cancel, .on = L"%Y"},
  {.name = "c06", .from = L"C:\\", .opt = L"/root:%W /require:* /timeout:5", .press = Nobody, .on = L"%W"},
  {.name = "c07", .from = L"%J", .opt = L"/center /remember:x", .press = CtrlC, .on = L"%J"},
  {.name = "c08", .from = L"shell:Desktop", .opt = L"/root:%W /require:* /timeout:60 /center /batch /remember:x",
   .press = Ok, .on = L"%W"},
  {.name = "c09", .from = L"C:\\", .opt = L"/modern /bare /remember:x", .press = Ok, .on = L"C:\\"},
  {.name = "c10", .from = L"%W2", .opt = L"/require:*", .press = Cancel, .on = L"%W2", .ok = 0},
  {.name = "c11", .from = L"%W\\Gone", .opt = L"/timeout:5 /center /bare", .press = Nobody, .on = L"%W"},
  {.name = "c12", .from = L"%I", .opt = L"/modern /root:%W /timeout:60 /center /remember:x",
   .press = CtrlC, .on = L"%I"},
  {.name = "c13", .from = L"%J", .opt = L"/modern /root:%W /require:* /timeout:60 /batch",
   .press = Cancel, .on = L"%W"},
  {.name = "c14", .from = L"%W", .opt = L"/modern", .press = Ok, .on = L"%W"},
  {.name = "c15", .from = L"%W2", .opt = L"/root:%W /timeout:60 /bare", .press = CtrlC, .on = L"%W"},
  {.name = "c16", .from = L"%I", .opt = L"/require:* /timeout:5 /bare", .press = Nobody, .on = L"%I"},
  {.name = "c17", .from = L"%W\\Gone", .opt = L"/timeout:60 /remember:x", .press = Ok, .on = L"%W"},
  {.name = "c18", .from = L"C:\\", .opt = L"/timeout:60 /center /batch", .press = Cancel, .on = L"C:\\"},
  {.name = "c19", .from = L"%W", .opt = L"/timeout:5 /batch", .press = Nobody, .on = L"%W"},
  {.name = "c20", .from = L"shell:Desktop", .opt = L"", .press = CtrlC, .on = L"%Y"},
  {.name = "c21", .from = L"%J", .opt = L"/timeout:5 /bare", .press = Nobody, .on = L"%J"},
  {.name = "c22", .from = L"%I", .opt = L"/batch", .press = Cancel, .on = L"%I"},
  {.name = "c23", .from = L"shell:Desktop", .opt = L"/timeout:5", .press = Nobody, .on = L"%Y"},
  {.name = "c24", .from = L"%W", .opt = L"", .press = CtrlC, .on = L"%W"},
  {.name = "c25", .from = L"%W2", .opt = L"", .press = Ok, .on = L"%W2"},
  {.name = "c26", .from = L"%W\\Gone", .opt = L"", .press = Cancel, .on = L"%W"},
  {.name = "c27", .from = L"C:\\", .opt = L"", .press = CtrlC, .on = L"C:\\"},
  {.name = "c28", .from = L"%J", .opt = L"", .press = Ok, .on = L"%J"},
  {.name = "root lacking it", .from = L"%W", .opt = L"/root:%W2 /require:*", .press = Cancel, .on = L"%W2", .ok = 0},
};
// The columns' values as scripts/combos.py lists them (options on or off; a limit, an output or neither).
const wchar_t *const kComboStarts[] = {L"%I", L"%W", L"%W2", L"%W\\Gone", L"shell:Desktop", L"C:\\", L"%J"},
                     *const kComboOptions[] = {L"/modern", L"/root:%W", L"/require:*", L"/center", L"/remember:x"};

// Each row keeps the invariants: exit 1 only after a cancel, 2 only unanswered and then up until shortly before
// the limit and over within a second after it, 0 with the folder the dialog showed; OK on where the row says;
// every dialog registered, whatever its start folder (Ctrl+C closes it, /center places it); no dialog after it.
TEST_F(Dirpick, CombinedOptionsKeepTheirInvariants) {
  make(L"Work\\Inner"), make(L"Work2"), make(subst(L"%J").substr(root.size() + 1));
  CloseHandle(CreateFileW((root + L"\\Work\\Inner\\build.cmd").c_str(), GENERIC_WRITE, 0, 0, CREATE_NEW, 0, 0));
  RECT area;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  auto line_of = [&](const Combo& row) {
    return subst(L"dirpick cd \"" + std::wstring(row.from) + L"\" T " + row.opt);
  };
  for (const Combo& row : kCombos) {
    std::wstring line = line_of(row), on = subst(row.on);
    std::wstring pick = folder_in(L"\"" + on + L"\"");  // the tree shows C:\ as C:
    SCOPED_TRACE(row.name + (": " + encoded(line)));
    bool modern = wcsstr(row.opt, L"/modern");  // the file dialog is answered by the name typed
    const wchar_t* typed = modern && row.press ? on.c_str() : nullptr;
    // Unanswered rows one at a time: beside each other, a loaded machine took more than the half second to end them.
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kStore, L"x");
    Result r = run({.line = line, .button = row.press, .type = typed, .pick = modern ? L"" : pick});
    EXPECT_EQ(row.press == Ok ? 0u : row.press == Nobody ? 2u : 1u, r.exit_code) << "a cancel only after a cancel";
    EXPECT_EQ("", r.err);
    bool remembers = row.press == Ok && wcsstr(row.opt, L"/remember:x");
    EXPECT_EQ(remembers ? on : L"-", kept(L"x")) << "kept exactly where OK was pressed";
    // The answerer pressed OK once the dialog showed the row's folder, twice in a row.
    EXPECT_EQ(row.press == Ok ? pick : L"", folder_in({r.out.begin(), r.out.end()})) << "not what the dialog showed";
    if (!modern && row.press) {
      EXPECT_EQ(row.ok, r.seen.ok_on) << "OK on exactly where the folder may be chosen";
    }
    if (!row.press) {
      EXPECT_EQ(1u, r.dialogs.size());
      EXPECT_GE(r.up_ms + 500, 5000u) << "closed long before the time limit";  // counted from the start
      EXPECT_LE(r.lived_ms, 5500u) << "still running half a second after the time limit";
      continue;
    }
    EXPECT_TRUE(r.dialogs.empty()) << "a dialog after the answer";
    if (!wcsstr(row.opt, L"/center")) continue;
    EXPECT_NEAR(area.left + area.right, r.seen.rect.left + r.seen.rect.right, 4) << r.seen.rect.left << " not placed";
    EXPECT_NEAR(area.top + area.bottom, r.seen.rect.top + r.seen.rect.bottom, 4) << r.seen.rect.top << " not placed";
  }
}

// The generated rows as written still meet every two values of any two columns, but the limit of 5 with an answer or
// an unanswered row without it: a value added to a column without rows for it fails here.
TEST(Combos, EveryTwoValuesMeet) {
  auto has = [](const Combo& row, const wchar_t* option) {  // "": none of its column's options
    const wchar_t* at = *option ? wcsstr(row.opt, option) : nullptr;
    return at && (at[wcslen(option)] == L' ' || !at[wcslen(option)]);
  };
  std::vector<std::vector<std::function<bool(const Combo&)>>> columns(4);
  for (auto* start : kComboStarts) columns[0].push_back([=](auto& row) { return !wcscmp(row.from, start); });
  for (Answer press : {Ok, Cancel, CtrlC, Nobody}) columns[1].push_back([=](auto& row) { return row.press == press; });
  for (auto [column, one, other] : {std::tuple{2, L"/timeout:60", L"/timeout:5"}, {3, L"/bare", L"/batch"}})
    for (auto* value : {L"", one, other})
      columns[column].push_back([=](auto& r) { return has(r, value) || (!*value && !has(r, one) && !has(r, other)); });
  for (auto* option : kComboOptions)
    columns.push_back({[=](auto& row) { return has(row, option); }, [=](auto& row) { return !has(row, option); }});
  for (size_t a = 0, b, i, j; a < columns.size(); ++a)
    for (b = a + 1; b < columns.size(); ++b)
      for (i = 0, j = 0; i < columns[a].size(); j = (j + 1) % columns[b].size(), i += !j) {
        if (a == 1 && b == 2 && (i == 3) != (j == 2)) continue;  // Nobody (press 3) exactly with /timeout:5 (2)
        auto both = [&](const Combo& row) { return columns[a][i](row) && columns[b][j](row); };
        EXPECT_TRUE(std::any_of(kCombos, std::end(kCombos) - 1, both)) << "no row meets value " << i << " of column "
                                                                       << a << " with value " << j << " of " << b;
      }
}

// Wine's per-program DLL setting, for one exe name; null takes it away again.
void override_dll(const std::wstring& exe, const wchar_t* dll, const wchar_t* how) {
  std::wstring key = L"Software\\Wine\\AppDefaults\\" + exe + L"\\DllOverrides";
  how ? RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), dll, REG_SZ, how, 2 * (wcslen(how) + 1))
      : RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
}

// Without the file dialog (comdlg32 disabled) /modern shows the tree, with the same arguments; without
// SHELL32 no dialog shows, which is no cancel.
TEST_F(Dirpick, ModernFallsBackToTheTreeWhereTheFileDialogCannotBeMade) {
  override_dll(L"dirpick.exe", L"comdlg32", L"");
  Result r = run({.line = L"dirpick cd C:\\windows Pick /modern", .dir = L"C:\\", .button = IDOK,
                  .pick = L"C:\\windows"});
  override_dll(L"dirpick.exe", L"comdlg32", nullptr);
  EXPECT_EQ(L"Browse for Folder|Pick|", r.seen.texts.substr(0, 23)) << "the title above the tree";
  EXPECT_EQ("cd \"C:\\windows\"\r\n", r.out);
  override_dll(L"dirpick.exe", L"shell32", L"");  // no dialog at all: nobody answered, nobody cancelled
  r = run({.line = L"dirpick cd C:\\windows Pick /modern"});
  override_dll(L"dirpick.exe", L"shell32", nullptr);
  EXPECT_EQ(2u, r.exit_code);
  EXPECT_EQ(utf16(L"Dirpick: the folder dialog could not be shown\n") + r.out, r.err);
}

// The version resource tells the banner's version and rights (checked in the usage rows). The
// manifest asks for sharp dialogs at any display scaling, names Windows 7 to 11 and runs unelevated.
TEST_F(Dirpick, ResourcesTellTheVersionAndAskForSharpUnelevatedDialogs) {
  HMODULE image = LoadLibraryExW(sibling(L"dirpick.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  auto resource = [&](const wchar_t* type) {
    HRSRC found = FindResourceW(image, MAKEINTRESOURCEW(1), type);
    return std::string(found ? static_cast<const char*>(LockResource(LoadResource(image, found))) : "",
                       found ? SizeofResource(image, found) : 0);
  };
  std::string version = resource(RT_VERSION), manifest = resource(RT_MANIFEST);
  for (const wchar_t* text : {L"Dirpick", L"1.63.0.0", L"(c) 2026 the Dirpick developers. Free to copy and use."})
    EXPECT_NE(std::string::npos, version.find(utf16(text) + std::string(2, '\0'))) << encoded(text);
  for (const char* part : {"SMI/2016/WindowsSettings\">PerMonitorV2<", "SMI/2005/WindowsSettings\">true<", "asInvoker",
       "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "6.0.0.0",
       "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", "Common-Controls"})
    EXPECT_NE(std::string::npos, manifest.find(part)) << part;
  FreeLibrary(image);
}

// A drive whose lookups below Share wait a second and give up when their caller ends (scripts/slow-drive.sh): %S its
// Z: path, Y: it as a network drive. Each row keeps the promises: its exit code, nothing on standard output, the end
// within by_ms of the start (N and half a second) or of the press (Ctrl+C: a second; Esc or Cancel to a dialog stuck
// listing Share: two), a dialog within a few seconds that says what does not answer. Documents moves into the drive
// only for its row: every dialog shows it, and would wait on it.
struct Stall { const char* name; const wchar_t* line; int answer = Nobody; DWORD at_ms = 0, exit = 2, by_ms = 3500;
              bool documents_moved = false; };
const Stall kStalls[] = {
    {.name = "start folder", .line = L"cd %S\\Share\\Sub T /timeout:3"},
    {.name = "root", .line = L"cd C:\\windows T /root:%S\\Share\\Sub"},  // no dialog without its fence
    {.name = "known folder", .line = L"cd shell:Personal T /timeout:3", .documents_moved = true},
    {.name = "file dialog", .line = L"cd %S\\Share\\Sub T /modern /timeout:3"},
    {.name = "pattern search", .line = L"cd Y:\\Share T /require:x /timeout:3"},
    {.name = "network drive", .line = L"cd Y:\\Share\\Sub T /timeout:3 /root:Y:\\"},
    {.name = "Ctrl+C, lookup", .line = L"cd %S\\Share\\Sub", .answer = CtrlC, .at_ms = 1000, .exit = 1, .by_ms = 1000},
    {.name = "Ctrl+C, listing", .line = L"cd %S\\Share\\Sub", .answer = CtrlC, .at_ms = 3500, .exit = 1, .by_ms = 1000},
    {.name = "Esc in a listing", .line = L"cd %S\\Share\\Sub T", .answer = Esc, .exit = 1, .by_ms = 2000},
    {.name = "Cancel in a listing", .line = L"cd %S\\Share\\Sub T", .answer = Click, .exit = 1, .by_ms = 2000},
};

struct SlowDrive : ::testing::Test {
  std::wstring drive;
  void SetUp() override {
    const char* mount = getenv("DIRPICK_SLOW_DRIVE");
    if (!mount) GTEST_SKIP() << "no /dev/fuse or fusepy: the slow drive's rows did not run";
    for (drive = L"Z:"; *mount; ++mount) drive += *mount == '/' ? L'\\' : wchar_t(*mount);
  }
};

TEST_F(SlowDrive, EndsInTimeAndShowsTheDialogWhateverTheDriveDoes) {
  std::wstring moved = drive + L"\\Share\\Sub", documents = L"%USERPROFILE%\\Documents";
  auto move_documents = [&](auto& to) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kShellFolders, L"Personal", REG_EXPAND_SZ, to.data(), 2 * to.size() + 2);
  };
  for (const Stall& row : kStalls) {
    SCOPED_TRACE(row.name);
    move_documents(row.documents_moved ? moved : documents);
    std::wstring line = L"dirpick " + std::wstring(row.line);
    for (size_t at; (at = line.find(L"%S")) != line.npos;) line.replace(at, 2, drive);
    Result r = run({.line = line, .button = row.answer, .at_ms = row.at_ms});
    EXPECT_EQ(row.exit, r.exit_code);
    EXPECT_EQ("", r.out);
    DWORD from = row.answer ? static_cast<DWORD>(r.seen.shown_at) : 0;
    ULONGLONG ended = row.answer ? r.ended_ms : r.lived_ms;  // a limit counts from the run's own start
    EXPECT_LE(ended, from + row.by_ms) << "ended " << ended - from << " ms after the start or the press";
    if (row.answer == Esc || row.answer == Click) {
      EXPECT_LE(r.seen.shown_at, 5000u) << "the dialog came late";
      EXPECT_NE(r.seen.texts.find(moved + L" does not answer\nT|"), std::wstring::npos) << encoded(r.seen.texts);
    }
  }
  move_documents(documents);
}

// The rules on the drive's own answers, in-process: a folder we may not enter can be chosen, not searched; a failing
// device is no absence, and the line says why; a walk out of time gives what answered; a network folder waits.
TEST_F(SlowDrive, AnswersAreTakenForWhatTheySay) {
  main_heap = runtime_heap_create(), ws_init();
  const wchar_t* pattern = L"x";
  BrowseRequest request = {};
  auto refusal = [&](const std::wstring& path, bool search) {
    Refusal seen = (ws_append(path.c_str()), path_refusal(request, 0, int(path.size()), search));
    return ws_rewind(0), seen;
  };
  EXPECT_EQ(CHOOSABLE, refusal(drive + L"\\Denied\\Inner", true)) << "a folder we may not enter";
  EXPECT_EQ(UNTOLD, refusal(drive + L"\\Broken", true)) << "a device that fails";
  append_fence_line(request, UNTOLD, false);
  wchar_t why[200] = L"Windows cannot tell whether this folder is there: ";  // the system's words, without their end
  FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, 0, ERROR_NOT_READY, 0, why + 50, 150, 0);
  EXPECT_EQ(std::wstring(why).substr(0, std::wstring(why).find_last_not_of(L"\r\n ") + 1), ws_text_at(0));
  ws_rewind(0);
  EXPECT_EQ(UNCHECKED, refusal(L"Y:\\Fast", false)) << "a network drive's folder asked at once";
  request = {.patterns = &pattern, .pattern_count = 1};
  EXPECT_EQ(LACKS_PATTERN, refusal(drive + L"\\Denied\\Inner", true)) << "a pattern looked for where we may not look";
  std::wstring slow = drive + L"\\Share\\Sub\\Deeper", below = drive + L"\\Denied\\Inner\\Gone";
  FolderAnswer late = ask_folder(slow.c_str(), static_cast<int>(slow.size()), 500);
  EXPECT_TRUE(late.late && late.whole == UNKNOWN && late.nearest == static_cast<int>(drive.size() + 6)) << late.nearest;
  EXPECT_EQ(int(below.size()) - 5, ask_folder(below.data(), int(below.size()), 2000).nearest) << "below a denial";
  ws_done(), HeapDestroy(main_heap);
}
