// Hostile input to the real exe: extreme command lines, strange start folders, long current
// directories and broken standard streams. Each case: no crash, no hang, the exit code the rules
// give, nothing on standard output unless a folder was chosen, and exact messages.
#include <string>
#include <vector>

#include "support/dirpick_run.h"
#include "support/param_probe.h"
#include "support/process.h"
#include "support/windows.h"

namespace {
constexpr DWORD kExitUsage = 0;
constexpr DWORD kExitCancelled = 1;
constexpr DWORD kExitInvalid = 255;

std::wstring lower(std::wstring text) {
  CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

struct Expected {
  DWORD exit_code;
  std::wstring invalid;  // the refused word when exit_code is 255
};

// The driver's rules applied to the reader's split of the same line.
Expected expected_for(const std::vector<std::wstring>& p) {
  if (p.empty() || p[0].empty() || p[0] == L"/?") return {kExitUsage, L""};
  bool titled = false;
  for (size_t i = 2; i < p.size(); ++i) {
    if (p[i].empty()) break;
    std::wstring word = lower(p[i]);
    if (word == L"/noquote" || word == L"/noquotes" || word == L"/backslash" || word == L"/center") continue;
    if (!titled) {
      titled = true;
      continue;
    }
    return {kExitInvalid, p[i]};
  }
  return {kExitCancelled, L""};  // the dialog, which the test cancels
}

void expect_rules_hold(const std::wstring& command_line) {
  Expected expected = expected_for(hand_out(command_line).parameters());
  RunResult run = dirpick_line(command_line, IDCANCEL);
  std::string shown = to_utf8(command_line.substr(0, 80));
  EXPECT_EQ(expected.exit_code, run.exit_code) << "[" << shown << "]";
  EXPECT_EQ("", run.out) << "[" << shown << "]";
  if (expected.exit_code == kExitInvalid) {
    EXPECT_EQ(utf16_bytes(L"Invalid option: " + expected.invalid + L"\n"), run.err) << "[" << shown << "]";
  }
  if (expected.exit_code == kExitUsage) {
    EXPECT_EQ(0u, from_utf16_bytes(run.err).find(L"Dirpick ver. 1.63/x64")) << "[" << shown << "]";
  }
}
}  // namespace

TEST(HostileCommandLine, UnterminatedQuoteAtEveryPosition) {
  const std::wstring base = L"dirpick cd C:\\ T /x /Noquote y";
  for (size_t at = 8; at <= base.size(); ++at) {
    std::wstring command_line = base;
    command_line.insert(at, 1, L'"');
    expect_rules_hold(command_line);
  }
}

TEST(HostileCommandLine, LongestPossibleLine) {
  std::wstring command_line = L"dirpick cd C:\\ T ";
  command_line += std::wstring(32766 - command_line.size(), L'w');
  ASSERT_EQ(32766u, command_line.size());
  RunResult run = dirpick_line(command_line, IDCANCEL);
  EXPECT_EQ(kExitInvalid, run.exit_code);
  EXPECT_EQ(utf16_bytes(L"Invalid option: " + std::wstring(32766 - 17, L'w') + L"\n"), run.err);
  EXPECT_EQ("", run.out);
}

TEST(HostileCommandLine, ThousandsOfParameters) {
  std::wstring command_line = L"dirpick cd C:\\ T";
  for (int i = 0; i < 3000; ++i) command_line += (i % 2) ? L" /NOQUOTE" : L" /backslash";
  DialogSeen seen;
  RunOptions on_c;
  on_c.working_dir = L"C:\\";
  RunResult run = dirpick_line(command_line, IDOK, &seen, on_c);
  EXPECT_TRUE(seen.shown);
  EXPECT_EQ(0u, run.exit_code);
  EXPECT_EQ(output_line(L"cd C:\\"), run.out);
}

TEST(HostileCommandLine, OnlySpacesAskForUsage) {
  expect_rules_hold(L"dirpick" + std::wstring(100, L' '));
  expect_rules_hold(std::wstring(50, L' '));
}

TEST(HostileCommandLine, TabsBelongToTheProgramName) {
  RunResult run = dirpick_line(L"dirpick\tcd\tC:\\", 0);
  EXPECT_EQ(kExitUsage, run.exit_code);
  EXPECT_EQ("", run.out);
}

TEST(HostileCommandLine, ControlCharactersPassThroughUnchanged) {
  RunResult run = dirpick_line(L"dirpick cd\x01\x1b C:\\ T\x07", IDOK);
  EXPECT_EQ(0u, run.exit_code);
  EXPECT_EQ("cd\x01\x1b \"C:\\\"\r\n", run.out);
}

TEST(HostileCommandLine, LoneSurrogatesBecomeReplacementCharactersInUtf8) {
  RunResult run = dirpick_line(L"dirpick cd\xD800 C:\\", IDOK);
  EXPECT_EQ(0u, run.exit_code);
  EXPECT_EQ("cd\xEF\xBF\xBD \"C:\\\"\r\n", run.out);
}

TEST(HostileCommandLine, LoneSurrogateInAnInvalidOptionIsEchoedAsIs) {
  RunResult run = dirpick_line(L"dirpick cd C:\\ T /x\xDC00", 0);
  EXPECT_EQ(kExitInvalid, run.exit_code);
  EXPECT_EQ(utf16_bytes(L"Invalid option: /x\xDC00\n"), run.err);
}

TEST(HostileCommandLine, TenThousandQuotes) {
  expect_rules_hold(L"dirpick " + std::wstring(10000, L'"'));
  expect_rules_hold(L"dirpick cd C:\\ T " + std::wstring(10000, L'"') + L" x y");
  expect_rules_hold(L"dirpick cd C:\\ T " + std::wstring(9999, L'"') + L" x y");
}

// Strange start folders: the dialog still opens, and cancelling it is a plain cancel.
TEST(HostileStartFolder, DialogOpensAndCancelsCleanly) {
  const std::wstring folders[] = {
      L"C:\\does\\not\\exist",
      L"Q:\\no\\such\\drive",
      L"\\\\server\\share\\dir",
      L"\\\\?\\C:\\windows",
      L"\\\\?\\UNC\\server\\share",
      L"C:\\lone\xD800surrogate",
      L"C:\\" + std::wstring(400, L'x'),
      L"C:\\" + std::wstring(32700, L'y'),
  };
  for (const std::wstring& folder : folders) {
    DialogSeen seen;
    RunResult run = dirpick(L"cd \"" + folder + L"\"", IDCANCEL, L"", &seen);
    std::string shown = to_utf8(folder.substr(0, 40));
    EXPECT_TRUE(seen.shown) << shown;
    EXPECT_EQ(kExitCancelled, run.exit_code) << shown;
    EXPECT_EQ("", run.out) << shown;
    EXPECT_EQ("", run.err) << shown;
  }
}

using HostileFolder = TempFolder;

TEST_F(HostileFolder, RelativeStartFolderBeyond32767Characters) {
  // Resolved against the current directory, the full path outgrows what any call takes.
  std::wstring here = make_folder(std::wstring(200, L'd'));
  std::wstring relative(32766 - 11, L'r');
  DialogSeen seen;
  RunResult run = dirpick(L"cd " + relative, IDCANCEL, here, &seen);
  EXPECT_TRUE(seen.shown);
  EXPECT_EQ(kExitCancelled, run.exit_code);
  EXPECT_EQ("", run.out);
}

TEST(HostileStreams, ClosedStandardOutputMakesAChosenFolderAFailure) {
  RunOptions closed;
  closed.stdout_closed = true;
  RunResult run = dirpick(L"cd C:\\", IDOK, L"C:\\", nullptr, closed);
  EXPECT_EQ(kExitInvalid, run.exit_code);
  EXPECT_EQ(utf16_bytes(L"Dirpick: the result line could not be written\n"), run.err);
}

TEST(HostileStreams, InvalidStandardOutputMakesAChosenFolderAFailure) {
  RunOptions invalid;
  invalid.stdout_invalid = true;
  EXPECT_EQ(kExitInvalid, dirpick(L"cd C:\\", IDOK, L"C:\\", nullptr, invalid).exit_code);
}

TEST(HostileStreams, ClosedStandardErrorChangesNoExitCode) {
  RunOptions closed;
  closed.stderr_closed = true;
  EXPECT_EQ(kExitUsage, dirpick(L"/?", 0, L"", nullptr, closed).exit_code);
  EXPECT_EQ(kExitInvalid, dirpick(L"cd C:\\ T /bad", 0, L"", nullptr, closed).exit_code);
  RunResult run = dirpick(L"cd C:\\", IDOK, L"C:\\", nullptr, closed);
  EXPECT_EQ(0u, run.exit_code);
  EXPECT_EQ(output_line(L"cd \"C:\\\""), run.out);
}

TEST(HostileStreams, FullStandardOutputOnCancelIsStillACancel) {
  RunOptions full;
  full.stdout_full = true;
  EXPECT_EQ(kExitCancelled, dirpick(L"cd C:\\", IDCANCEL, L"C:\\", nullptr, full).exit_code);
}
