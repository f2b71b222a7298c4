// In-process units for what the exe cannot show: the string workspace's edges and the string
// functions' edge cases, each as a producer writing at a start position; list links and the end
// routine raced by threads; result lines for folders no dialog gives; the out-of-memory exit.
#include <vector>

#include "app/driver.h"
#include "app/result_line.h"
#include "console/channel.h"
#include "harness.h"
#include "runtime/frame.h"
#include "runtime/lists.h"
#include "runtime/objects.h"
#include "strings/conversion.h"
#include "paths/folders.h"
#include "paths/paths.h"
#include "strings/functions.h"
#include "strings/workspace.h"

namespace {
struct Workspace : ::testing::Test {
  void SetUp() override { ws_init(); }
  void TearDown() override { ws_done(); }
  // The text from mark to the position, which must hold a NUL.
  static std::wstring built(int mark) {
    EXPECT_EQ(0, *reinterpret_cast<wchar_t*>(workspace_base + workspace_position)) << "no NUL at the position";
    return std::wstring(ws_text_at(mark), static_cast<size_t>(workspace_position - mark) / 2);
  }
};

// Writes count x's and a NUL; the count.
DWORD xs(wchar_t* to, DWORD count) { return wmemset(to, L'x', count), to[count] = 0, count; }
std::wstring xs() { return std::wstring(300, L'x'); }
// 300 x's from a call that answers a short buffer with the size it needs, NUL included (a path's), from one
// that fills what fits and gives the whole length (a console title's), and from one that fails.
DWORD sized(const wchar_t*, wchar_t* to, DWORD room) { return room > 300 ? xs(to, 300) : 301; }
DWORD filled(const wchar_t*, wchar_t* to, DWORD room) { return xs(to, std::min(room - 1, 300ul)), 300; }
DWORD failed(const wchar_t*, wchar_t*, DWORD) { return 0; }

const std::pair<void (*)(int start), std::wstring> kProduced[] = {
    {[](int s) { string_space(-5, s); }, L""},
    {[](int s) { string_left(L"abc", 9, s); }, L"abc"},
    {[](int s) { string_mid(L"abc", 0, 2, s); }, L"ab"},  // 0 counts as 1
    {[](int s) { string_mid(L"abc", 5, 2, s); }, L""},
    {[](int s) { string_mid(L"abc", 2, 10, s); }, L"bc"},
    {[](int s) { ws_ask(sized, nullptr, s); }, xs()},
    {[](int s) { ws_ask(filled, nullptr, s); }, xs()},
    {[](int s) { ws_ask(failed, nullptr, s); }, L""},
};

std::vector<ObjectId> released;
void* live(void* object) { return *static_cast<long long*>(object) = 1, object; }

struct Runtime : ::testing::Test {
  void SetUp() override { runtime_clear(), main_heap = runtime_heap_create(), released.clear(); }
  void TearDown() override { HeapDestroy(main_heap); }
};
}  // namespace

TEST_F(Workspace, ProducersWriteTheirWorkedResultAtTheStart) {
  ws_append(L"kept");
  int start = ws_mark();
  for (const auto& [produce, expected] : kProduced) {
    produce(start);
    EXPECT_EQ(expected, built(start)) << &expected - &kProduced[0].second;
    ws_rewind(start);
  }
  EXPECT_EQ(L"kept", std::wstring(ws_text_at(0), 4));
  StringVar v = nullptr;
  string_dup(&v, L"ab");
  string_copy_n(v + 2, L"zz", -1);
  EXPECT_EQ(std::wstring(L"ab\0", 3), std::wstring(v, 3)) << "a negative count's NUL lands at the destination";
}

// The block grows from the position's need, not the start's, and a producer over its own source survives a move.
TEST_F(Workspace, GrowthEdgeAndProducersOverAMovingBlock) {
  ws_append(L"d:\\wo");
  char* before = workspace_base;
  void* blocker = HeapAlloc(string_heap, 0, 64);
  string_upper(ws_text_at(0), 0);  // over its own source, in a block that must grow and move
  ASSERT_NE(before, workspace_base);
  EXPECT_EQ(L"D:\\WO", built(0));
  HeapFree(string_heap, 0, blocker);
  ws_done();
  ws_init();
  ws_reserve(5, 0);
  workspace_position = 8;
  ws_reserve(2, 0);  // needs 8 + 4 = 16 - 4 bytes: the edge
  EXPECT_EQ(16396, workspace_capacity) << "the need counts from the position, not the start";
}

// The values front to back, then back to front: both links of every node.
TEST_F(Runtime, ListsKeepBothLinksThroughEveryUnlink) {
  ListNode* head = nullptr;
  void* nodes[3];
  for (long long i = 0; i < 3; ++i) nodes[i] = list_push_front(&head, sizeof(ListNode) + 8);
  for (long long i = 0; i < 3; ++i) *static_cast<long long*>(nodes[i]) += i;
  auto links = [&] {
    std::string text;
    ListNode* last = nullptr;
    for (ListNode* n = head; n; n = n->next) text += std::to_string(*reinterpret_cast<long long*>((last = n) + 1));
    for (text += "|"; last; last = last->prev) text += std::to_string(*reinterpret_cast<long long*>(last + 1));
    return text;
  };
  EXPECT_EQ("210|012", links());
  for (auto [index, after] : {std::pair{1, "20|02"}, {2, "0|0"}, {0, "|"}}) {
    EXPECT_TRUE(list_unlink_free(&head, nodes[index]));
    EXPECT_EQ(after, links());
  }
}

// A console close event runs the end routine; Ctrl+C and Ctrl+Break run nothing of it. None ends a run whose line
// has begun (here: the test's own process). The end routine runs its steps once, whichever thread comes first.
TEST_F(Runtime, EndRunsOnceWhicheverThreadComesFirstAndOnlyOnClose) {
  exit_table = object_table_create(8, 4, [](ObjectId id) { released.push_back(id); });
  live(object_alloc(exit_table, 3));
  ASSERT_TRUE(line_begin()) << "the line was taken before it began";
  EXPECT_FALSE(line_begin()) << "a second line begun";
  EXPECT_TRUE(close_event_handler(CTRL_C_EVENT) && close_event_handler(CTRL_BREAK_EVENT));
  EXPECT_TRUE(released.empty()) << "Ctrl+C and Ctrl+Break run nothing";
  line_end();
  spare_heap = runtime_heap_create();
  HANDLE threads[2];
  auto end = [](void*) -> DWORD { return runtime_end(), 0; };
  for (HANDLE& t : threads) t = CreateThread(nullptr, 0, end, nullptr, 0, nullptr);
  EXPECT_TRUE(close_event_handler(CTRL_CLOSE_EVENT));
  WaitForMultipleObjects(2, threads, TRUE, 10000);
  EXPECT_EQ(std::vector<ObjectId>{3}, released) << "the exit table is torn down once";
  spare_heap = runtime_heap_create();
  runtime_end();
  EXPECT_TRUE(HeapValidate(spare_heap, 0, nullptr)) << "the end routine ran its steps a second time";
  exit_table = nullptr;
}

// Result lines for folders no dialog gives (a lower-case drive, network folders), written by the
// real channel to a real file; and the out-of-memory exit of a real process.
TEST(ResultLine, FoldersNoDialogGivesAndTheOutOfMemoryExit) {
  main_heap = runtime_heap_create();
  ws_init();
  wchar_t folder[MAX_PATH], path[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  GetTempFileNameW(folder, L"dpk", 0, path);
  for (auto [command, chosen, line] : {std::tuple{L"cd", L"d:\\work", "D:\r\ncd \"d:\\work\"\r\n"},
                                       {L"cd", L"\\\\server\\share", "pushd \"\\\\server\\share\"\r\n"},
                                       {L"cd /d", L"\\\\server\\share", "cd /d \"\\\\server\\share\"\r\n"},
                                       {L"CD", L"\\\\?\\UNC\\server", "CD \"\\\\?\\UNC\\server\"\r\n"}}) {
    console_state.output = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    driver_clear();
    option_flags = OPT_QUOTE, output_encoding_mode = ENC_UTF8;
    string_dup(&CommandString, command);
    string_dup(&Folder, chosen);
    write_result_line();
    CloseHandle(console_state.output);
    EXPECT_EQ(line, take(path));
  }
  // Names changed since the dialog: a line the code page cannot hold exactly is not written at all.
  for (auto [code_page, chosen, outcome, line] :
       {std::tuple{CP_OEMCP, L"C:\\\x65E5\x672C", LINE_UNFIT, ""}, {CP_UTF8, L"C:\\a\xD800", LINE_UNFIT, ""},
        {CP_UTF8, L"C:\\\x65E5\x672C", LINE_WRITTEN, "C:\\\xE6\x97\xA5\xE6\x9C\xAC\r\n"}}) {
    console_state.output = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    option_flags = OPT_BARE, output_encoding_mode = ENC_EXACT, output_code_page = code_page;
    string_dup(&Folder, chosen);
    EXPECT_EQ(outcome, write_result_line());
    CloseHandle(console_state.output);
    EXPECT_EQ(line, take(path));
  }
  Result oom = run({.line = L"p oom", .program = L"channel_probe.exe"});
  EXPECT_EQ(255u, oom.exit_code);
  EXPECT_EQ(utf16(L"Dirpick: out of memory\n"), oom.out + oom.err);
  ws_done();
}

// Past a gone part or a file, a drive root kept whole; unchanged where nothing on the path exists; no
// start folder at all where a server does not answer. A folder's form drops a last backslash but a root's.
TEST_F(Runtime, StartFoldersWalkUpToTheNearestExistingFolder) {
  for (auto [path, length] : {std::pair{L"C:\\windows\\Gone\\Deeper", 10}, {L"C:\\windows\\win.ini", 10},
                              {L"C:\\Gone", 3}, {L"Q:\\Gone", 7}, {L"\\\\nowhere\\share\\a", 0}})
    EXPECT_EQ(length, nearest_existing_folder(path, static_cast<int>(wcslen(path)))) << encoded(path);
  for (auto [folder, length] : {std::pair{L"\\\\?\\C:\\", 7}, {L"\\\\.\\Volume{0}\\", 14}, {L"\\\\server\\share\\", 14},
                                {L"\\\\s\\x\\", 5}, {L"\\\\?\\UNC\\s\\x\\", 11}, {L"C:\\Work\\", 7}, {L"C:\\", 3}})
    EXPECT_EQ(length, folder_length(folder)) << encoded(folder) << ": a root keeps its backslash, a share's root aside";
  EXPECT_EQ(7, folder_length(L"C:\\Work\\x", 8)) << "its first characters only";
  EXPECT_EQ(3, folder_length(L"C:\\Work", 3)) << "a drive root among its first characters";
}

// The disk's errors taken for what they say: a folder there that will not let us in, none there, a server that does
// not answer, or nothing at all (never absence).
TEST(Folders, ErrorsAreTakenForWhatTheySay) {
  for (auto [error, presence] : {std::pair{ERROR_ACCESS_DENIED, PRESENT}, {ERROR_LOGON_FAILURE, UNKNOWN},
       {ERROR_CANT_ACCESS_FILE, UNKNOWN}, {ERROR_PATH_NOT_FOUND, ABSENT}, {ERROR_DIRECTORY, ABSENT},
       {ERROR_BAD_NETPATH, UNREACHABLE}, {ERROR_NOT_READY, UNKNOWN}, {ERROR_IO_DEVICE, UNKNOWN}, {ERROR_CRC, UNKNOWN},
       {ERROR_BAD_NET_NAME, ABSENT}, {ERROR_NETWORK_ACCESS_DENIED, PRESENT}, {ERROR_NOT_CONNECTED, UNREACHABLE}})
    EXPECT_EQ(presence, presence_of_error(error)) << error;
}

// A wildcard matches the long name alone (the search also matches 8.3 aliases), letters in any case, and
// name.* as dir takes it. No pattern names a device, which Windows takes in any folder, nor a part that
// ends in a dot or a blank, which Windows strips.
TEST(Patterns, MatchLongNamesAsDirDoes) {
  for (auto [name, pattern, matches] : {std::tuple{L"x.html", L"*.htm", false}, {L"App.slnx", L"*.sln", false},
                                        {L"Makefile", L"*.*", true}, {L"README", L"readme.*", true},
                                        {L"a.b.c", L"*.c", true}, {L"abc", L"A?C", true}, {L"ac", L"a?c", false},
                                        {L"aXbXc", L"a*b*c", true}, {L"abcb", L"*b", true}, {L"abc", L"*b", false},
                                        {L"Makefile", L"*.", true}, {L"a.b", L"*.", false}, {L"ab", L"ab?", true}})
    EXPECT_EQ(matches, name_matches(name, pattern, static_cast<int>(wcslen(pattern)))) << encoded(pattern);
  for (auto [pattern, inside] : {std::pair{L"COM\x00B9", false}, {L"lpt0.log", false}, {L"NUL .txt", false},
                                 {L"Aux", false}, {L"bin.\\x", false}, {L"x \\y", false}, {L"conout$", false},
                                 {L"COM10", true}, {L"console\\nul2", true}, {L"a.b\\c d.e", true}, {L"*.", true}})
    EXPECT_EQ(inside, is_inside_pattern(pattern)) << encoded(pattern) << ": devices in every folder";
  for (auto [path, usable] : {std::pair{L"C:\\foo.\\x", false}, {L"C:\\x\\foo ", false}, {L"C:\\", true}})
    EXPECT_EQ(usable, is_usable_path(path, static_cast<int>(wcslen(path)))) << encoded(path) << " opens another";
}
