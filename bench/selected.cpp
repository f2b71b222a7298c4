// What a user waits for: the time from the start until the dialog shows its start folder selected, on
// folders made just before each run, as a script makes them; short and long (beyond MAX_PATH) ones.
// Prints "short MEDIAN WORST" and "long MEDIAN WORST" in milliseconds. Usage: bench_selected.exe [RUNS]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "harness.h"

int main(int argc, char** argv) {
  int runs = argc > 1 ? std::atoi(argv[1]) : 7;
  std::wstring base = std::filesystem::temp_directory_path() / ("dirpick-bench-" + std::to_string(GetTickCount64()));
  for (const wchar_t* kind : {L"short", L"long"}) {
    std::vector<ULONGLONG> times;
    for (int run_number = 0; run_number < runs; ++run_number) {
      std::wstring folder = base + L"\\" + kind + std::to_wstring(run_number) + L"\\Work";
      if (kind[0] == L'l') folder += L"\\" + std::wstring(120, L'l') + L"\\" + std::wstring(100, L'm');
      std::filesystem::create_directories(L"\\\\?\\" + folder);
      Result r = run({.line = L"dirpick cd \"" + folder + L"\"", .dir = L"C:\\", .button = IDOK, .pick = folder});
      if (r.out.empty()) return std::printf("%ls: the dialog never showed the start folder\n", kind), 1;
      times.push_back(r.seen.shown_at);
    }
    std::sort(times.begin(), times.end());
    std::printf("%ls %llu %llu\n", kind, times[times.size() / 2], times.back());
  }
  remove_tree(L"\\\\?\\" + base);
  return 0;
}
