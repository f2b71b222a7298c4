// A fresh string workspace for each test.
#pragma once
#include <string>

#include "gtest/gtest.h"
#include "strings/workspace.h"

class WorkspaceTest : public ::testing::Test {
 protected:
  void SetUp() override { ws_init(); }
  void TearDown() override { ws_done(); }

  // The text from a mark to the position, and a check that a NUL ends it there.
  static std::wstring built(int mark) {
    EXPECT_EQ(0, *reinterpret_cast<wchar_t*>(workspace_base + workspace_position)) << "no NUL at the position";
    return std::wstring(ws_text_at(mark), static_cast<size_t>(workspace_position - mark) / 2);
  }
  static SIZE_T block_bytes() { return HeapSize(string_heap, 0, workspace_base); }
};
