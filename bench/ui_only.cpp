// A program that does the user-interface set-up of start-up (common controls and COM) and
// nothing else: it shows how much of Dirpick's start-up time that set-up costs.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

extern "C" [[noreturn]] void ui_only_entry() {
  INITCOMMONCONTROLSEX controls = {sizeof(controls), 0xB48};
  InitCommonControlsEx(&controls);
  CoInitialize(nullptr);
  ExitProcess(0);
}
