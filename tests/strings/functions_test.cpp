// String functions' worked cases, in place and over a moving block, and the current directory.
#include "strings/functions.h"

#include "strings/workspace_fixture.h"
#include "support/windows.h"

using StringFunctions = WorkspaceTest;

TEST_F(StringFunctions, SpaceClampsNegativeCounts) {
  ws_append(L"ab");
  string_space(-5, 4);
  EXPECT_EQ(L"", built(4));
  string_space(0, 4);
  EXPECT_EQ(4, workspace_position);
}

TEST_F(StringFunctions, SpaceMakesThreeHundredBlanks) {
  string_space(300, 0);
  EXPECT_EQ(std::wstring(300, L' '), built(0));
  EXPECT_EQ(600, workspace_position);
}

TEST_F(StringFunctions, RightTakesTheLastCharacters) {
  string_right(L"abc", 5, 0);
  EXPECT_EQ(L"abc", built(0));
  string_right(L"abc", 1, 0);
  EXPECT_EQ(L"c", built(0));
  string_right(L"abc", -1, 0);
  EXPECT_EQ(L"", built(0));
  string_right(nullptr, 3, 0);
  EXPECT_EQ(L"", built(0));
}

TEST_F(StringFunctions, LeftTakesTheFirstCharacters) {
  string_left(L"abc", 2, 0);
  EXPECT_EQ(L"ab", built(0));
  string_left(L"abc", 0, 0);
  EXPECT_EQ(L"", built(0));
  string_left(L"abc", 9, 0);
  EXPECT_EQ(L"abc", built(0));
  string_left(nullptr, 2, 0);
  EXPECT_EQ(L"", built(0));
}

TEST_F(StringFunctions, MidCountsFromOneAndStopsAtTheEnd) {
  string_mid(L"abcdef", 2, 3, 0);
  EXPECT_EQ(L"bcd", built(0));
  string_mid(L"abc", 0, 2, 0);
  EXPECT_EQ(L"ab", built(0));
  string_mid(L"abc", 5, 2, 0);
  EXPECT_EQ(L"", built(0));
  EXPECT_EQ(0, workspace_position);
  string_mid(L"abc", 2, 10, 0);
  EXPECT_EQ(L"bc", built(0));
  EXPECT_EQ(4, workspace_position);
  string_mid(nullptr, 1, 3, 0);
  EXPECT_EQ(L"", built(0));
}

TEST_F(StringFunctions, LengthOfNullAndEmptyIsZero) {
  EXPECT_EQ(0, string_length(nullptr));
  EXPECT_EQ(0, string_length(L""));
  EXPECT_EQ(3, string_length(L"a\xD83D\xDE00"));
}

TEST_F(StringFunctions, CaseMappingFollowsThePlatform) {
  string_lower(L"/NoQuote \x00C4", 0);
  EXPECT_EQ(L"/noquote \x00E4", built(0));
  string_upper(L"d:\\work \x00E9", 0);
  EXPECT_EQ(L"D:\\WORK \x00C9", built(0));
  string_upper(nullptr, 0);
  EXPECT_EQ(L"", built(0));
}

TEST_F(StringFunctions, UpperOfLeftInPlaceAtTheSameStart) {
  ws_append(L"x");
  int start = ws_mark();
  ws_append(L"d:\\work\\");
  string_left(ws_text_at(start), 2, start);
  string_upper(ws_text_at(start), start);
  EXPECT_EQ(L"D:", built(start));
}

TEST_F(StringFunctions, MidInPlaceOverItsOwnSource) {
  ws_append(L"abcdef");
  string_mid(ws_text_at(0), 3, 2, 0);
  EXPECT_EQ(L"cd", built(0));
}

TEST_F(StringFunctions, LowerInPlaceWhenItsReserveMovesTheBlock) {
  ws_append(L"ABCDE");  // 10 of 16 bytes; the next reserve of 5 must grow
  char* before = workspace_base;
  void* blocker = HeapAlloc(string_heap, 0, 64);
  string_lower(ws_text_at(0), 0);
  ASSERT_NE(before, workspace_base) << "the block did not move, so the case is not exercised";
  EXPECT_EQ(L"abcde", built(0));
  HeapFree(string_heap, 0, blocker);
}

class CurrentDirectory : public TempFolder {
 protected:
  void SetUp() override {
    TempFolder::SetUp();
    GetCurrentDirectoryW(MAX_PATH, saved);
    ws_init();
  }
  void TearDown() override {
    ws_done();
    SetCurrentDirectoryW(saved);
    TempFolder::TearDown();
  }
  static std::wstring curdir() {
    string_curdir(0);
    EXPECT_EQ(0, *reinterpret_cast<wchar_t*>(workspace_base + workspace_position));
    return std::wstring(ws_text_at(0), static_cast<size_t>(workspace_position) / 2);
  }
  wchar_t saved[MAX_PATH];
};

TEST_F(CurrentDirectory, DriveRootKeepsItsOneBackslash) {
  ASSERT_TRUE(SetCurrentDirectoryW(L"C:\\"));
  EXPECT_EQ(L"C:\\", curdir());
}

TEST_F(CurrentDirectory, GetsOneBackslashAppended) {
  ASSERT_TRUE(SetCurrentDirectoryW(root.c_str()));
  EXPECT_EQ(root + L"\\", curdir());
  EXPECT_EQ(static_cast<long long>(2 * (root.size() + 1)), workspace_position);
}

TEST_F(CurrentDirectory, DeeperThanMaxPathIsReadWhole) {
  std::wstring deep = root;
  std::wstring relative;
  for (int i = 0; deep.size() < 300; ++i) {
    relative += (i ? L"\\" : L"") + std::wstring(40, static_cast<wchar_t>(L'a' + i));
    deep = root + L"\\" + relative;
  }
  make_folder(relative);
  // Each step stays below MAX_PATH relative to the one before.
  ASSERT_TRUE(SetCurrentDirectoryW(root.c_str()));
  size_t at = 0;
  while (at < relative.size()) {
    size_t next = relative.find(L'\\', at);
    if (next == std::wstring::npos) next = relative.size();
    ASSERT_TRUE(SetCurrentDirectoryW(relative.substr(at, next - at).c_str())) << GetLastError();
    at = next + 1;
  }
  wchar_t probe[8];
  ASSERT_GT(GetCurrentDirectoryW(8, probe), 261u) << "the platform did not enter the deep folder";
  EXPECT_EQ(deep + L"\\", curdir());
}

TEST_F(StringFunctions, RightEqualsComparesTheEndAndLeavesTheWorkspaceAsItWas) {
  ws_append(L"kept");
  EXPECT_TRUE(string_right_equals(L"D:\\", 2, L":\\"));
  EXPECT_FALSE(string_right_equals(L"D:\\Work", 1, L"\\"));
  EXPECT_TRUE(string_right_equals(nullptr, 1, L""));
  EXPECT_EQ(L"kept", built(0));
}
