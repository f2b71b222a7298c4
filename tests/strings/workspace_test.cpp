// The workspace's growth rule at its edges, and the string-variable operations.
#include "strings/workspace.h"

#include "strings/functions.h"
#include "strings/workspace_fixture.h"

using Workspace = WorkspaceTest;

TEST_F(Workspace, KeepsTheFirstBlockForFiveCharacters) {
  ws_reserve(5, 0);
  EXPECT_EQ(16, workspace_capacity);
  EXPECT_EQ(16u, block_bytes());
  EXPECT_EQ(10, workspace_position);
}

TEST_F(Workspace, GrowsWhenFewerThanFourBytesWouldRemain) {
  ws_reserve(6, 0);
  EXPECT_EQ(16396, workspace_capacity);
  EXPECT_EQ(16406u, block_bytes());
  EXPECT_EQ(12, workspace_position);
}

TEST_F(Workspace, MeasuresTheNeedFromThePositionNotTheStart) {
  ws_reserve(4, 0);       // position 8
  ws_reserve(2, 0);       // need 8 + 4 = 12 = capacity - 4
  EXPECT_EQ(16396, workspace_capacity);
  EXPECT_EQ(4, workspace_position);
}

TEST_F(Workspace, ShrinksToOneMebibyteWhenTheNeedIsSmall) {
  ws_reserve(1000000 - 8192, 0);  // capacity 2,000,000
  ASSERT_EQ(2000000, workspace_capacity);
  workspace_position = 0;
  ws_reserve(50, 0);              // need 100
  EXPECT_EQ(1048576, workspace_capacity);
  EXPECT_EQ(1048586u, block_bytes());
}

TEST_F(Workspace, ShrinksToTheNeedAboveOneMebibyte) {
  ws_reserve(1000000 - 8192, 0);
  ASSERT_EQ(2000000, workspace_capacity);
  workspace_position = 0;
  ws_reserve(750000, 0);          // need 1,500,000
  EXPECT_EQ(1500000, workspace_capacity);
  EXPECT_EQ(1500010u, block_bytes());
}

TEST_F(Workspace, KeepsTheTextWhenTheBlockShrinks) {
  wchar_t* p = ws_reserve(1000000 - 8192, 0);
  for (int i = 0; i < 100; ++i) p[i] = L'a' + i % 26;
  workspace_position = 200;
  ws_reserve(0, 200);
  EXPECT_EQ(L'a', ws_text_at(0)[0]);
  EXPECT_EQ(L'a' + 99 % 26, ws_text_at(0)[99]);
}

TEST_F(Workspace, ReserveOfNothingSetsThePositionToStart) {
  ws_reserve(4, 0);
  ws_reserve(0, 2);
  EXPECT_EQ(2, workspace_position);
  ws_release(0);
  EXPECT_EQ(2, workspace_position);
}

TEST_F(Workspace, AppendOfNullOrEmptyWritesOnlyTheNul) {
  ws_append(L"ab");
  ws_append(nullptr);
  EXPECT_EQ(L"ab", built(0));
  ws_append(L"");
  EXPECT_EQ(L"ab", built(0));
}

TEST_F(Workspace, AppendsAcrossAGrowth) {
  ws_append(L"12345");
  ws_append(L"67890");
  EXPECT_EQ(L"1234567890", built(0));
  EXPECT_EQ(10 + 10 + 16384, workspace_capacity);
}

TEST_F(Workspace, SetPositionWritesANul) {
  ws_append(L"abcd");
  ws_set_position(4);
  EXPECT_EQ(L"ab", std::wstring(ws_text_at(0)));
}

TEST_F(Workspace, TellsPointersInsideFromOutside) {
  ws_append(L"abc");
  EXPECT_EQ(1, ws_offset_of(workspace_base));
  EXPECT_EQ(7, ws_offset_of(workspace_base + 6));
  EXPECT_EQ(0, ws_offset_of(workspace_base + 8));
  EXPECT_EQ(0, ws_offset_of(L"abc"));
  EXPECT_EQ(workspace_base + 6, reinterpret_cast<char*>(ws_pointer_at(7)));
}

TEST_F(Workspace, AssignStoresTheTextAndGivesTheRoomBack) {
  StringVar v = nullptr;
  ws_append(L"x");
  int mark = ws_mark();
  ws_append(L"hello");
  string_assign(&v, mark);
  EXPECT_STREQ(L"hello", v);
  EXPECT_EQ(mark, workspace_position);
  EXPECT_EQ(20u, HeapSize(string_heap, 0, v));
}

TEST_F(Workspace, AssignOfAnEmptyResultGivesAnEmptyTextNotNull) {
  StringVar v = nullptr;
  string_assign(&v, 0);
  ASSERT_NE(nullptr, v);
  EXPECT_STREQ(L"", v);
  EXPECT_EQ(10u, HeapSize(string_heap, 0, v));
}

TEST_F(Workspace, AssignShrinksALongerVariable) {
  StringVar v = nullptr;
  ws_append(L"a long text here");
  string_assign(&v, 0);
  ws_append(L"ab");
  string_assign(&v, 0);
  EXPECT_STREQ(L"ab", v);
  EXPECT_EQ(14u, HeapSize(string_heap, 0, v));
}

TEST_F(Workspace, AppendingABackslashToAVariable) {
  StringVar v = nullptr;
  string_dup(&v, L"C:\\ab");
  ws_append(v);
  ws_append(L"\\");
  string_assign(&v, 0);
  EXPECT_STREQ(L"C:\\ab\\", v);
  EXPECT_EQ(22u, HeapSize(string_heap, 0, v));
}

TEST_F(Workspace, DupCopiesIntoANewBlockAndIgnoresNull) {
  StringVar v = nullptr;
  string_dup(&v, nullptr);
  EXPECT_EQ(nullptr, v);
  string_dup(&v, L"abc");
  EXPECT_STREQ(L"abc", v);
  EXPECT_EQ(16u, HeapSize(string_heap, 0, v));
  string_free(v);
  string_free(nullptr);
}

TEST_F(Workspace, EqualityIsExactAndReadsNullAsEmpty) {
  EXPECT_EQ(1, string_equal(nullptr, L""));
  EXPECT_EQ(1, string_equal(nullptr, nullptr));
  EXPECT_EQ(0, string_equal(L"a", L"A"));
  EXPECT_EQ(0, string_equal(L"a", nullptr));
  EXPECT_EQ(1, string_equal(L"abc", L"abc"));
}

TEST_F(Workspace, CopyOfAnOddCountWritesItAndANul) {
  wchar_t dst[6] = {L'x', L'x', L'x', L'x', L'x', L'x'};
  string_copy_n(dst, L"abcd", 3);
  EXPECT_EQ(std::wstring(L"abc\0xx", 6), std::wstring(dst, 6));
  string_copy_n(dst, L"zz", 0);
  EXPECT_EQ(0, dst[0]);
  dst[0] = L'q';
  string_copy_n(dst, L"zz", -4);
  EXPECT_EQ(0, dst[0]) << "a negative count writes the NUL at the destination, not before it";
}

TEST_F(Workspace, CopiesForwardInPlace) {
  ws_append(L"..abcdef");
  string_copy_n(ws_text_at(0), ws_text_at(4), 6);
  EXPECT_STREQ(L"abcdef", ws_text_at(0));
}

TEST_F(Workspace, NestedProducerWhoseReserveMovesTheBlockGivesTheRightText) {
  // An inner result at the start, then an outer function over it whose reserve must grow.
  ws_append(L"abcd");
  ASSERT_EQ(16, workspace_capacity);
  char* before = workspace_base;
  HANDLE blocker = HeapAlloc(string_heap, 0, 64);  // makes an in-place growth unlikely
  string_upper(ws_text_at(0), 0);
  ASSERT_NE(before, workspace_base) << "the block did not move, so the case is not exercised";
  EXPECT_EQ(8 + 8 + 16384, workspace_capacity);
  string_right(ws_text_at(0), 3, 0);
  EXPECT_EQ(L"BCD", built(0));
  HeapFree(string_heap, 0, blocker);
}
