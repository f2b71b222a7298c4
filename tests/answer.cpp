// The shell tests' dialog answerer, the C++ tests' own: answer.exe ROW BUTTON FOLDER [NAME] answers
// the next dialog of another program and prints its centre ("x y"), or the failure naming the row;
// answer.exe ctrl-c PID presses Ctrl+C in that program's console.
#include "harness.h"

#include <shellapi.h>
#include <cstdio>

int main() {
  int count = 0;
  wchar_t** arg = CommandLineToArgvW(GetCommandLineW(), &count);
  if (count == 3 && arg[1] == std::wstring(L"ctrl-c")) {  // Ctrl+C in the console of process arg[2]
    SetConsoleCtrlHandler([](DWORD) -> BOOL { return TRUE; }, TRUE);
    return FreeConsole(), !(AttachConsole(_wtoi(arg[2])) && GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
  }
  if (count < 4) return 2;
  Seen seen = answer_dialog(kAnyOther, {.line = arg[1], .button = _wtoi(arg[2]), .type = count > 4 ? arg[4] : nullptr,
                                        .pick = arg[3]});
  std::printf("%ld %ld\n", (seen.rect.left + seen.rect.right) / 2, (seen.rect.top + seen.rect.bottom) / 2);
  return ::testing::UnitTest::GetInstance()->ad_hoc_test_result().Failed();
}
