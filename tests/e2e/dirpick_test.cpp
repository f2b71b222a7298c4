// The real dirpick.exe on exact command lines: exact bytes on its redirected streams, exact exit
// codes, and the real dialog, confirmed on its preselected folder or cancelled.
#include <string>

#include "support/dirpick_run.h"
#include "support/process.h"
#include "support/windows.h"

namespace {
const std::wstring kUsage =
    L"Syntax:\r\n"
    L"    Dirpick \"CommandString\" \"InitialDir\" [\"WindowTitle\"] [Options]\r\n"
    L"CommandString\r\n"
    L"    will be prepended to the returnd folder name\r\n"
    L"InitialDir\r\n"
    L"    to start the user's selection\r\n"
    L"WindowTitle\r\n"
    L"    whatever you want to show in the title bar \r\n";

}  // namespace

TEST(Usage, NoParametersGiveBannerAndUsageOnStandardError) {
  for (const wchar_t* parameters : {L"", L"\"\"", L"/?"}) {
    RunResult run = dirpick(parameters, 0);
    EXPECT_EQ(0u, run.exit_code) << to_utf8(parameters);
    EXPECT_EQ("", run.out);
    std::wstring err = from_utf16_bytes(run.err);
    EXPECT_EQ(0u, err.find(L"Dirpick ver. 1.63/x64, ")) << to_utf8(parameters);
    ASSERT_GE(err.size(), kUsage.size() + 1);
    EXPECT_EQ(kUsage + L"\n", err.substr(err.size() - kUsage.size() - 1)) << "usage text, then one LF";
  }
}

TEST(Usage, BannerIsOneLineBeforeTheUsageText) {
  std::wstring err = from_utf16_bytes(dirpick(L"/?", 0).err);
  size_t end = err.find(L"\r\n");
  ASSERT_NE(std::wstring::npos, end);
  EXPECT_EQ(L"Syntax:\r\n", err.substr(end + 2, 9));
}

TEST(InvalidOption, SecondWordThatIsNoOptionIsRefusedWithItsCaseKept) {
  RunResult run = dirpick(L"cd C:\\ Title /XyZ", 0);
  EXPECT_EQ(255u, run.exit_code);
  EXPECT_EQ("", run.out);
  EXPECT_EQ(utf16_bytes(L"Invalid option: /XyZ\n"), run.err);
}

TEST(InvalidOption, ShortenedAndAlteredOptionWordsAreNotOptions) {
  for (const wchar_t* word : {L"/no", L"-noquote", L"/noquote:"}) {
    RunResult run = dirpick(std::wstring(L"cd C:\\ Title ") + word, 0);
    EXPECT_EQ(255u, run.exit_code) << to_utf8(word);
    EXPECT_EQ(utf16_bytes(std::wstring(L"Invalid option: ") + word + L"\n"), run.err);
    EXPECT_EQ("", run.out);
  }
}

TEST(InvalidOption, QuestionMarkLaterIsJustAWord) {
  RunResult run = dirpick(L"cd C:\\ Title /?", 0);
  EXPECT_EQ(255u, run.exit_code);
  EXPECT_EQ(utf16_bytes(L"Invalid option: /?\n"), run.err);
}

using PickedFolder = TempFolder;

TEST_F(PickedFolder, CdOnTheSameDriveIsOneQuotedLine) {
  std::wstring work = make_folder(L"Work");
  RunResult run = dirpick(L"cd " + in_quotes(work), IDOK, L"C:\\");
  EXPECT_EQ(0u, run.exit_code);
  EXPECT_EQ(output_line(L"cd " + in_quotes(work)), run.out);
  EXPECT_EQ("", run.err);
}

TEST_F(PickedFolder, CdToAnotherDriveWritesTheDriveLineFirst) {
  std::wstring work = make_folder(L"Work");
  RunResult run = dirpick(L"cd " + in_quotes(work), IDOK, L"Z:\\tmp");
  EXPECT_EQ(0u, run.exit_code);
  EXPECT_EQ(output_line(L"C:") + output_line(L"cd " + in_quotes(work)), run.out);
}

TEST_F(PickedFolder, UpperCaseCdKeepsItsCaseAndGetsTheDriveLine) {
  std::wstring work = make_folder(L"Work");
  RunResult run = dirpick(L"CD " + in_quotes(work), IDOK, L"Z:\\tmp");
  EXPECT_EQ(output_line(L"C:") + output_line(L"CD " + in_quotes(work)), run.out);
}

TEST_F(PickedFolder, CdWithSwitchGetsNoDriveLine) {
  std::wstring work = make_folder(L"Work");
  RunResult run = dirpick(L"\"cd /d\" " + in_quotes(work), IDOK, L"Z:\\tmp");
  EXPECT_EQ(output_line(L"cd /d " + in_quotes(work)), run.out);
}

TEST_F(PickedFolder, CommandEndingInEqualsTakesTheFolderDirectly) {
  std::wstring work = make_folder(L"Work");
  RunResult run = dirpick(L"\"set dir=\" " + in_quotes(work), IDOK, L"C:\\");
  EXPECT_EQ(output_line(L"set dir=" + in_quotes(work)), run.out);
}

TEST_F(PickedFolder, NoQuoteWritesTheBareFolder) {
  std::wstring work = make_folder(L"My Work");
  RunResult run = dirpick(L"pushd " + in_quotes(work) + L" \"\" /noquote", IDOK, L"C:\\");
  // The empty title ends the scan, so /noquote is never read.
  EXPECT_EQ(output_line(L"pushd " + in_quotes(work)), run.out);
  run = dirpick(L"pushd " + in_quotes(work) + L" Pick /NoQuotes", IDOK, L"C:\\");
  EXPECT_EQ(output_line(L"pushd " + work), run.out);
}

TEST_F(PickedFolder, BackslashOptionKeepsTheTrailingBackslash) {
  std::wstring work = make_folder(L"Work");
  RunResult run = dirpick(L"cd " + in_quotes(work) + L" Pick /BACKSLASH", IDOK, L"C:\\");
  EXPECT_EQ(output_line(L"cd " + in_quotes(work + L"\\")), run.out);
}

TEST_F(PickedFolder, DriveRootKeepsItsBackslash) {
  EXPECT_EQ(output_line(L"cd \"C:\\\""), dirpick(L"cd C:\\", IDOK, L"C:\\").out);
  EXPECT_EQ(output_line(L"cd C:\\"), dirpick(L"cd C:\\ t /noquote", IDOK, L"C:\\").out);
}

TEST_F(PickedFolder, DotAndMissingStartFolderMeanTheCurrentDirectory) {
  std::wstring work = make_folder(L"Work");
  EXPECT_EQ(output_line(L"cd " + in_quotes(work)), dirpick(L"cd .", IDOK, work).out);
  EXPECT_EQ(output_line(L"cd " + in_quotes(work)), dirpick(L"cd", IDOK, work).out);
  EXPECT_EQ(output_line(L"cd " + in_quotes(work)), dirpick(L"cd \"\"", IDOK, work).out);
}

TEST_F(PickedFolder, RelativeStartFolderIsMadeAbsolute) {
  std::wstring work = make_folder(L"Work\\Inner");
  EXPECT_EQ(output_line(L"cd " + in_quotes(work)), dirpick(L"cd Work\\Inner", IDOK, root).out);
}

TEST_F(PickedFolder, NonAsciiFolderIsUtf8OnARedirectedStream) {
  std::wstring folder = make_folder(L"\x00C4rger \x20AC \x65E5\x672C");
  RunResult run = dirpick(L"cd " + in_quotes(folder), IDOK, L"C:\\");
  EXPECT_EQ(0u, run.exit_code);
  EXPECT_EQ(output_line(L"cd " + in_quotes(folder)), run.out);
  EXPECT_NE(std::string::npos, run.out.find("\xC3\x84rger \xE2\x82\xAC \xE6\x97\xA5\xE6\x9C\xAC"));
}

TEST_F(PickedFolder, CancelGivesExitCodeOneAndNoOutput) {
  RunResult run = dirpick(L"cd " + in_quotes(root), IDCANCEL, L"C:\\");
  EXPECT_EQ(1u, run.exit_code);
  EXPECT_EQ("", run.out);
  EXPECT_EQ("", run.err);
}

TEST_F(PickedFolder, StartFolderLongerThanMaxPathIsResolvedWhole) {
  // The first 259 characters of the full path name a folder of their own, which the dialog
  // (limited to 259) preselects; a start folder lost to a short buffer would preselect nothing.
  std::wstring first_part(259 - root.size() - 1, L'a');
  std::wstring prefix = make_folder(first_part);
  ASSERT_EQ(259u, prefix.size());
  make_folder(first_part + L"\\" + std::wstring(40, L'b'));
  RunResult run = dirpick(L"cd " + first_part + L"\\" + std::wstring(40, L'b'), IDOK, root);
  EXPECT_EQ(0u, run.exit_code);
  EXPECT_EQ(output_line(L"cd " + in_quotes(prefix)), run.out);
}

TEST_F(PickedFolder, LostResultLineIsAFailureNotAChoice) {
  RunOptions full;
  full.stdout_full = true;
  RunResult run = dirpick(L"cd " + in_quotes(root), IDOK, L"C:\\", nullptr, full);
  EXPECT_EQ(255u, run.exit_code);
  EXPECT_EQ(utf16_bytes(L"Dirpick: the result line could not be written\n"), run.err);
}

TEST_F(PickedFolder, CenterPlacesTheDialogInTheMiddleOfTheWorkArea) {
  RECT area;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  DialogSeen centred;
  DialogSeen plain;
  dirpick(L"cd " + in_quotes(root) + L" Pick /center", IDOK, L"C:\\", &centred);
  dirpick(L"cd " + in_quotes(root) + L" Pick", IDOK, L"C:\\", &plain);
  ASSERT_TRUE(centred.shown);
  ASSERT_TRUE(plain.shown);
  LONG cx = (centred.rect.left + centred.rect.right) / 2;
  LONG cy = (centred.rect.top + centred.rect.bottom) / 2;
  EXPECT_NEAR((area.left + area.right) / 2, cx, 2);
  EXPECT_NEAR((area.top + area.bottom) / 2, cy, 2);
  EXPECT_GE(centred.rect.left, area.left);
  EXPECT_LE(centred.rect.right, area.right);
  EXPECT_FALSE(EqualRect(&centred.rect, &plain.rect)) << "without /center the system places the dialog";
}

TEST_F(PickedFolder, ForegroundWindowOfAnotherProcessDoesNotOwnTheDialog) {
  HWND mine = foreground_window(L"test window", 0);
  ASSERT_EQ(mine, GetForegroundWindow());
  DialogSeen seen;
  RunResult run = dirpick(L"cd " + in_quotes(root), IDOK, L"C:\\", &seen);
  ASSERT_TRUE(seen.shown);
  EXPECT_EQ(nullptr, seen.owner);
  EXPECT_EQ(0u, run.exit_code);
  DestroyWindow(mine);
}

TEST_F(PickedFolder, Shell32WithoutTheDialogIsACancelNotACrash) {
  // A copy of the exe beside a SHELL32 that has neither entry point. Wine's per-program
  // setting makes only this copy prefer the DLL beside it over the system's.
  const std::wstring name = L"dirpick-without-shell.exe";
  std::wstring exe = root + L"\\" + name;
  ASSERT_TRUE(CopyFileW(sibling_path(L"dirpick.exe").c_str(), exe.c_str(), FALSE));
  ASSERT_TRUE(CopyFileW(sibling_path(L"fake-shell32\\shell32.dll").c_str(), (root + L"\\shell32.dll").c_str(), FALSE));
  std::wstring key = L"Software\\Wine\\AppDefaults\\" + name + L"\\DllOverrides";
  HKEY overrides = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                           &overrides, nullptr));
  const wchar_t native[] = L"native";
  RegSetValueExW(overrides, L"shell32", 0, REG_SZ, reinterpret_cast<const BYTE*>(native), sizeof(native));
  RegCloseKey(overrides);

  RunOptions options;
  options.working_dir = root;
  options.timeout_ms = 15000;
  RunResult run = run_exact(exe, L"dirpick cd " + in_quotes(root), options);
  RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
  EXPECT_FALSE(run.timed_out) << "a dialog appeared after all";
  EXPECT_EQ(1u, run.exit_code);
  EXPECT_EQ("", run.out);
  EXPECT_EQ("", run.err);
}
