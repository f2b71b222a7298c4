// What the parameter reader hands out for an exact command line, as param_probe reports it.
#pragma once
#include <string>
#include <vector>

struct Handout {
  int count = -99;                  // param_count
  std::vector<std::wstring> texts;  // every param_next call's text, the final empty one included
  std::vector<int> cursors;         // the cursor after each call

  // The texts of the calls that advanced the cursor: the parameters proper.
  std::vector<std::wstring> parameters() const;
};

// Starts param_probe.exe with exactly this command line and reads its report.
Handout hand_out(const std::wstring& command_line);
