// Running the real dirpick.exe and answering its dialog as a user would.
#pragma once
#include <string>

#include "support/process.h"

struct DialogSeen {
  bool shown = false;
  RECT rect = {};
  HWND owner = nullptr;
};

// Runs dirpick with the exact parameters. When its dialog appears, `button` (IDOK, IDCANCEL)
// is pressed after the settle pause; with button 0 nobody answers. Checks it started and ended.
RunResult dirpick(const std::wstring& parameters, int button, const std::wstring& working_dir = L"",
                  DialogSeen* seen = nullptr, RunOptions options = {});
// The same for a whole command line, program name included, as CreateProcessW gets it.
RunResult dirpick_line(const std::wstring& command_line, int button, DialogSeen* seen = nullptr,
                       RunOptions options = {});

// One line of standard output as dirpick writes it: UTF-8 and CR LF.
std::string output_line(const std::wstring& text);
std::wstring in_quotes(const std::wstring& text);
