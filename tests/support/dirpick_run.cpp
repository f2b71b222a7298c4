// Runs dirpick.exe and answers its dialog from the test process.
#include "support/dirpick_run.h"

#include "gtest/gtest.h"
#include "support/windows.h"

namespace {
constexpr DWORD kPastSettlePauseMs = 300;
}

RunResult dirpick_line(const std::wstring& command_line, int button, DialogSeen* seen, RunOptions options) {
  options.while_running = [&](PROCESS_INFORMATION& pi) {
    if (!button) return;
    HWND dialog = wait_for_browse_dialog(pi.dwProcessId, 20000, pi.hProcess);
    if (!dialog) return;
    Sleep(kPastSettlePauseMs);
    if (seen) {
      seen->shown = true;
      GetWindowRect(dialog, &seen->rect);
      seen->owner = GetWindow(dialog, GW_OWNER);
    }
    press_button(dialog, button);
  };
  RunResult run = run_exact(sibling_path(L"dirpick.exe"), command_line, options);
  EXPECT_TRUE(run.started);
  EXPECT_FALSE(run.timed_out) << "dirpick did not end (a dialog nobody answered?)";
  return run;
}

RunResult dirpick(const std::wstring& parameters, int button, const std::wstring& working_dir, DialogSeen* seen,
                  RunOptions options) {
  options.working_dir = working_dir;
  return dirpick_line(L"dirpick " + parameters, button, seen, options);
}

std::string output_line(const std::wstring& text) { return to_utf8(text) + "\r\n"; }

std::wstring in_quotes(const std::wstring& text) { return L"\"" + text + L"\""; }
