// Reads param_probe's binary report: param_count, then per call the cursor, a length and UTF-16.
#include "support/param_probe.h"

#include <string.h>

#include "gtest/gtest.h"
#include "support/process.h"

std::vector<std::wstring> Handout::parameters() const {
  std::vector<std::wstring> advanced;
  int previous = 0;
  for (size_t i = 0; i < texts.size(); ++i) {
    if (cursors[i] != previous) advanced.push_back(texts[i]);
    previous = cursors[i];
  }
  return advanced;
}

Handout hand_out(const std::wstring& command_line) {
  RunResult run = run_exact(sibling_path(L"param_probe.exe"), command_line);
  EXPECT_TRUE(run.started);
  EXPECT_EQ(0u, run.exit_code);
  const std::string& bytes = run.out;
  Handout h;
  size_t at = 0;
  auto next_int = [&]() {
    int v = 0;
    if (at + 4 <= bytes.size()) memcpy(&v, bytes.data() + at, 4);
    at += 4;
    return v;
  };
  h.count = next_int();
  while (at + 8 <= bytes.size()) {
    h.cursors.push_back(next_int());
    int units = next_int();
    h.texts.push_back(from_utf16_bytes(bytes.substr(at, units * 2)));
    at += units * 2;
  }
  return h;
}
