// The result line's worked examples and edges, captured at the output hook; the current
// directory is set for each case, and the folders need not exist.
#include "app/result_line.h"

#include <string>
#include <vector>

#include "app/driver.h"
#include "console/channel.h"
#include "runtime/frame.h"
#include "strings/workspace.h"
#include "support/windows.h"

namespace {
std::vector<std::wstring> written;
bool hook_result = true;

bool capture(const wchar_t* text) {
  written.emplace_back(text ? text : L"");
  return hook_result;
}
}  // namespace

class ResultLine : public ::testing::Test {
 protected:
  void SetUp() override {
    GetCurrentDirectoryW(MAX_PATH, saved_dir);
    main_heap = runtime_heap_create();
    ws_init();
    driver_clear();
    written.clear();
    hook_result = true;
    saved_hook = output_hook;
    output_hook = capture;
  }
  void TearDown() override {
    output_hook = saved_hook;
    ws_done();
    HeapDestroy(main_heap);
    SetCurrentDirectoryW(saved_dir);
  }
  // The line for a command text, options, dialog result and current directory.
  std::wstring line(const wchar_t* command, int options, const wchar_t* folder, const wchar_t* current_dir) {
    EXPECT_TRUE(SetCurrentDirectoryW(current_dir)) << "cannot enter the current directory for the case";
    int mark = ws_mark();
    ws_append(command);
    string_assign(&CommandString, mark);
    ws_append(folder);
    string_assign(&Folder, mark);
    option_flags = options;
    DriveLine = FolderDrive = nullptr;
    written.clear();
    EXPECT_TRUE(write_result_line());
    EXPECT_EQ(1u, written.size()) << "the hook is called exactly once";
    EXPECT_EQ(mark, workspace_position) << "the workspace is given back";
    return written.empty() ? L"" : written[0];
  }
  wchar_t saved_dir[MAX_PATH];
  OutputHook saved_hook;
};

constexpr int kQuote = OPT_QUOTE;

TEST_F(ResultLine, CdToAnotherDriveWritesTheDriveLineFirst) {
  EXPECT_EQ(L"D:\r\ncd \"D:\\Work\"", line(L"cd", kQuote, L"D:\\Work\\", L"C:\\windows"));
}

TEST_F(ResultLine, SameDriveInAnotherLetterCaseGetsNoDriveLine) {
  EXPECT_EQ(L"cd \"C:\\Work\"", line(L"cd", kQuote, L"C:\\Work\\", L"c:\\windows"));
  EXPECT_EQ(L"cd \"c:\\work\"", line(L"cd", kQuote, L"c:\\work\\", L"C:\\windows"));
}

TEST_F(ResultLine, UpperCaseCdKeepsItsCase) {
  EXPECT_EQ(L"D:\r\nCD \"D:\\Work\"", line(L"CD", kQuote, L"D:\\Work\\", L"C:\\windows"));
  EXPECT_EQ(L"D:\r\nCd \"D:\\Work\"", line(L"Cd", kQuote, L"D:\\Work\\", L"C:\\windows"));
}

TEST_F(ResultLine, DriveRootKeepsItsBackslashQuotedOrBare) {
  EXPECT_EQ(L"D:\r\ncd \"D:\\\"", line(L"cd", kQuote, L"D:\\", L"C:\\"));
  EXPECT_EQ(L"D:\r\ncd D:\\", line(L"cd", 0, L"D:\\", L"C:\\"));
}

TEST_F(ResultLine, OnlyPlainCdGetsTheDriveLine) {
  EXPECT_EQ(L"cd /d \"D:\\Work\"", line(L"cd /d", kQuote, L"D:\\Work\\", L"C:\\windows"));
  EXPECT_EQ(L"chdir \"D:\\Work\"", line(L"chdir", kQuote, L"D:\\Work\\", L"C:\\windows"));
  EXPECT_EQ(L"cd  \"D:\\Work\"", line(L"cd ", kQuote, L"D:\\Work\\", L"C:\\windows"))
      << "a trailing blank is no plain cd, and gets a second blank";
}

TEST_F(ResultLine, CommandEndingInEqualsTakesTheFolderDirectly) {
  EXPECT_EQ(L"set dir=\"C:\\Work\"", line(L"set dir=", kQuote, L"C:\\Work\\", L"C:\\"));
  EXPECT_EQ(L"set dir=C:\\Work", line(L"set dir=", 0, L"C:\\Work\\", L"C:\\"));
}

TEST_F(ResultLine, NoQuoteWritesTheFolderBare) {
  EXPECT_EQ(L"pushd D:\\My Work", line(L"pushd", 0, L"D:\\My Work\\", L"C:\\"));
}

TEST_F(ResultLine, BackslashOptionKeepsIt) {
  EXPECT_EQ(L"D:\r\ncd \"D:\\Work\\\"", line(L"cd", kQuote | OPT_BACKSLASH, L"D:\\Work\\", L"C:\\windows"));
}

TEST_F(ResultLine, NetworkFolderGetsNoDriveLine) {
  EXPECT_EQ(L"cd \"\\\\server\\share\\dir\"", line(L"cd", kQuote, L"\\\\server\\share\\dir\\", L"C:\\windows"));
}

TEST_F(ResultLine, FolderWithoutTrailingBackslashIsWrittenTheSame) {
  EXPECT_EQ(L"pushd \"C:\\Work\"", line(L"pushd", kQuote, L"C:\\Work", L"C:\\"));
  EXPECT_EQ(L"pushd \"C:\\Work\\\"", line(L"pushd", kQuote | OPT_BACKSLASH, L"C:\\Work", L"C:\\"));
}

TEST_F(ResultLine, SpecialCharactersAreWrittenUnchanged) {
  EXPECT_EQ(L"pushd \"C:\\100% & more\"", line(L"pushd", kQuote, L"C:\\100% & more\\", L"C:\\"));
}

TEST_F(ResultLine, LowerCaseDriveIsWrittenUpperCase) {
  EXPECT_EQ(L"D:\r\ncd \"d:\\work\"", line(L"cd", kQuote, L"d:\\work\\", L"C:\\windows"));
}

TEST_F(ResultLine, CurrentDirectoryLongerThanMaxPathIsReadForTheDriveTest) {
  // A process cannot be started in so deep a folder, but it can enter one.
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  ASSERT_TRUE(SetCurrentDirectoryW(temp));
  std::wstring deep = temp;
  const std::wstring step = L"dirpick-deep-" + std::to_wstring(GetCurrentProcessId());
  std::vector<std::wstring> made;
  while (deep.size() < 400) {
    CreateDirectoryW(step.c_str(), nullptr);
    ASSERT_TRUE(SetCurrentDirectoryW(step.c_str()));
    deep += step + L"\\";
    made.push_back(deep);
  }
  EXPECT_EQ(L"D:\r\ncd \"D:\\Work\"", line(L"cd", kQuote, L"D:\\Work\\", deep.c_str()));
  EXPECT_EQ(L"cd \"C:\\Work\"", line(L"cd", kQuote, L"C:\\Work\\", deep.c_str()));
  SetCurrentDirectoryW(temp);
  for (auto it = made.rbegin(); it != made.rend(); ++it) RemoveDirectoryW((L"\\\\?\\" + *it).c_str());
}

TEST_F(ResultLine, LostLineIsReported) {
  hook_result = false;
  int mark = ws_mark();
  ws_append(L"pushd");
  string_assign(&CommandString, mark);
  ws_append(L"C:\\Work\\");
  string_assign(&Folder, mark);
  option_flags = kQuote;
  EXPECT_FALSE(write_result_line());
}

class FullPath : public TempFolder {
 protected:
  void SetUp() override {
    TempFolder::SetUp();
    GetCurrentDirectoryW(MAX_PATH, saved_dir);
    ASSERT_TRUE(SetCurrentDirectoryW(make_folder(L"here\\inner").c_str()));
    ws_init();
  }
  void TearDown() override {
    ws_done();
    SetCurrentDirectoryW(saved_dir);
    TempFolder::TearDown();
  }
  static std::wstring full(const wchar_t* text) {
    ws_append(L"xy");
    int start = ws_mark();
    wchar_t* p = full_path(text, start);
    EXPECT_EQ(ws_text_at(start), p);
    std::wstring result(p, static_cast<size_t>(workspace_position - start) / 2);
    EXPECT_EQ(std::wstring(p), result) << "the position ends on the result's NUL";
    ws_rewind(0);
    return result;
  }
  wchar_t saved_dir[MAX_PATH];
};

TEST_F(FullPath, ResolvesRelativeFormsAgainstTheCurrentDirectory) {
  EXPECT_EQ(root + L"\\here\\inner", full(L"."));
  EXPECT_EQ(root + L"\\here", full(L".."));
  EXPECT_EQ(root + L"\\here\\inner\\Work", full(L"Work"));
  EXPECT_EQ(L"C:\\Work", full(L"\\Work"));
  EXPECT_EQ(L"C:\\Work\\", full(L"C:\\Work\\"));
}

TEST_F(FullPath, EmptyTextStaysEmpty) {
  EXPECT_EQ(L"", full(L""));
  EXPECT_EQ(L"", full(nullptr));
}

TEST_F(FullPath, TextInTheWorkspaceAtTheStartIsReadBeforeItIsOverwritten) {
  int start = ws_mark();
  ws_append(L"..");
  full_path(ws_text_at(start), start);
  EXPECT_EQ(root + L"\\here", std::wstring(ws_text_at(start)));
}

TEST_F(FullPath, PathsLongerThanMaxPathComeBackWhole) {
  std::wstring long_name(300, L'n');
  EXPECT_EQ(root + L"\\here\\inner\\" + long_name, full(long_name.c_str()));
}
