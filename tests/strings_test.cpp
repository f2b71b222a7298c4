// The string runtime in-process: the workspace's growth and shrink edges, and the worked cases of
// the string functions and conversions, each as a producer writing at a start position.
#include <functional>
#include <vector>

#include "harness.h"
#include "runtime/frame.h"
#include "strings/conversion.h"
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

struct Produced {
  const char* name;
  std::function<void(int start)> produce;
  std::wstring expected;
};

const Produced kProduced[] = {
    {"space -5", [](int s) { string_space(-5, s); }, L""},
    {"right 1", [](int s) { string_right(L"abc", 1, s); }, L"c"},
    {"left 2", [](int s) { string_left(L"abc", 2, s); }, L"ab"},
    {"left beyond", [](int s) { string_left(L"abc", 9, s); }, L"abc"},
    {"mid 2 3", [](int s) { string_mid(L"abcdef", 2, 3, s); }, L"bcd"},
    {"mid 0 counts as 1", [](int s) { string_mid(L"abc", 0, 2, s); }, L"ab"},
    {"mid past the end", [](int s) { string_mid(L"abc", 5, 2, s); }, L""},
    {"mid to the end", [](int s) { string_mid(L"abc", 2, 10, s); }, L"bc"},
    {"lower", [](int s) { string_lower(L"/NoQuote \x00C4", s); }, L"/noquote \x00E4"},
    {"upper", [](int s) { string_upper(L"d:\\work \x00E9", s); }, L"D:\\WORK \x00C9"},
    {"decode ANSI", [](int s) { text_decode("Usage", -1, ENC_ANSI, s); }, L"Usage"},
    {"decode length 0", [](int s) { text_decode("abc", 0, ENC_UTF8, s); }, L""},
    {"decode null", [](int s) { text_decode(nullptr, -1, ENC_UTF8, s); }, L""},
    {"decode UTF-16 past NUL", [](int s) { text_decode(L"abc", 10, ENC_UTF16, s); }, L"abc"},
    {"decode UTF-8 2 characters", [](int s) { text_decode("\xC3\xA9" "ab", 2, ENC_UTF8, s); }, L"\x00E9" L"a"},
    {"decode UTF-8 2 bytes", [](int s) { text_decode("\xC3\xA9" "ab", 2, ENC_UTF8 | ENC_BYTE_COUNT, s); }, L"\x00E9"},
    {"decode UTF-8 4 bytes", [](int s) { text_decode("\xF0\x9F\x98\x80" "ab", 1, ENC_UTF8, s); }, L"\xD83D\xDE00"},
    {"decode broken lead", [](int s) { text_decode("\xE2\x82" "ab\x80", 2, ENC_UTF8, s); }, L"\xFFFD" L"ab"},
    {"decode broken UTF-8", [](int s) { text_decode("a\xFF" "b", -1, ENC_UTF8, s); }, L"a\xFFFD" L"b"},
};
}  // namespace

TEST_F(Workspace, ProducersWriteTheirWorkedResultAtTheStart) {
  ws_append(L"kept");
  int start = ws_mark();
  for (const Produced& c : kProduced) {
    c.produce(start);
    EXPECT_EQ(c.expected, built(start)) << c.name;
    ws_rewind(start);
  }
  EXPECT_EQ(L"kept", std::wstring(ws_text_at(0), 4));
  EXPECT_TRUE(string_right_equals(L"D:\\", 2, L":\\"));
  EXPECT_FALSE(string_right_equals(L"D:\\Work", 1, L"\\"));
  EXPECT_EQ(start, workspace_position) << "right_equals gives its room back";
  EXPECT_EQ(3, string_length(L"a\xD83D\xDE00"));
}

TEST_F(Workspace, GrowthAndShrinkEdgesAndProducersOverAMovingBlock) {
  ws_append(L"d:\\wo");
  EXPECT_EQ(16, workspace_capacity) << "5 characters stay in the first block";
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
  EXPECT_EQ(16406u, HeapSize(string_heap, 0, workspace_base));
  workspace_position = 0;
  wchar_t* p = ws_reserve(1000000 - 8192, 0);
  ASSERT_EQ(2000000, workspace_capacity);
  for (int i = 0; i < 100; ++i) p[i] = L'a' + i % 26;
  workspace_position = 200;
  ws_reserve(750000, 200);
  EXPECT_EQ(1500200, workspace_capacity) << "above 1 MiB the block shrinks to the need";
  workspace_position = 200;
  ws_reserve(0, 200);
  EXPECT_EQ(1048576, workspace_capacity) << "and never below 1 MiB";
  EXPECT_EQ(L'a' + 99 % 26, ws_text_at(0)[99]) << "the text survives the shrink";
}

TEST_F(Workspace, VariablesOwnBlocksSizedToTheirText) {
  StringVar v = nullptr;
  ws_append(L"a long text here");
  string_assign(&v, 0);
  ws_append(L"ab");
  string_assign(&v, 0);
  EXPECT_EQ(14u, HeapSize(string_heap, 0, v)) << "the text, its NUL and 10 bytes of slack";
  string_copy_n(v + 2, L"zz", -1);
  EXPECT_EQ(std::wstring(L"ab\0", 3), std::wstring(v, 3)) << "a negative count's NUL lands at the destination";
}

TEST_F(Workspace, CurrentDirectoryDeeperThanMaxPathIsReadWhole) {
  wchar_t saved[MAX_PATH], temp[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, saved);
  GetTempPathW(MAX_PATH, temp);
  ASSERT_TRUE(SetCurrentDirectoryW(temp));
  std::wstring deep = temp, step = L"dirpick-deep-" + std::to_wstring(GetCurrentProcessId());
  std::vector<std::wstring> made;
  while (deep.size() < 400) {
    CreateDirectoryW(step.c_str(), nullptr);
    ASSERT_TRUE(SetCurrentDirectoryW(step.c_str()));
    made.push_back(L"\\\\?\\" + (deep += step + L"\\"));
  }
  string_curdir(0);
  EXPECT_EQ(deep, built(0));
  for (auto it = made.rbegin(); it != made.rend(); ++it) RemoveDirectoryW(it->c_str());
  SetCurrentDirectoryW(saved);
}
