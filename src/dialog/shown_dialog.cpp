// The dialog on screen: its window once known, for placement, Ctrl+C and the time limit.
#include "dialog/shown_dialog.h"

#include "dialog/placement.h"
#include "dialog/request.h"
#include "dialog/texts.h"
#include "runtime/exit_codes.h"
#include "runtime/frame.h"
#include "strings/conversion.h"
#include "strings/workspace.h"

IFileDialog* shown_file_dialog;

namespace {
volatile HWND shown_window;
BrowsePlacement placement;
bool box_up;
bool was_shown;

// A dialog whose thread is stuck in a shell call (listing a folder on a drive that stopped answering,
// a search waiting on one) cannot take Esc or a click on Cancel: the user's input waits in its queue.
// A thread of our own sees that input as it happens, through the low-level hooks, which run on the
// thread that set them; where the dialog has neither closed nor answered a message a while later,
// the run ends as the cancel it was asked to be. The same thread cancels the dialog on Ctrl+C.
HANDLE watcher;
DWORD watcher_id;
volatile ULONGLONG leave_asked_at;
volatile LONG hooks_set;  // the watcher's hooks are in place
constexpr DWORD kLeaveGraceMs = 1000;  // a dialog that can still answer closes well within this
constexpr DWORD kAnswerWaitMs = 500;
constexpr DWORD kWatchPollMs = 100;

void asked_to_leave() { leave_asked_at = GetTickCount64(); }

LRESULT CALLBACK key_seen(int code, WPARAM message, LPARAM info) {
  auto* key = reinterpret_cast<KBDLLHOOKSTRUCT*>(info);
  if (code == HC_ACTION && message == WM_KEYDOWN && key->vkCode == VK_ESCAPE && GetForegroundWindow() == shown_window)
    asked_to_leave();
  return CallNextHookEx(nullptr, code, message, info);
}

// A press on Cancel while the dialog is in front; nothing here sends the dialog's thread a message.
LRESULT CALLBACK click_seen(int code, WPARAM message, LPARAM info) {
  RECT cancel;
  HWND window = shown_window, button = nullptr;
  if (code == HC_ACTION && message == WM_LBUTTONDOWN && window && GetForegroundWindow() == window &&
      (button = GetDlgItem(window, IDCANCEL)) && IsWindowEnabled(button) && GetWindowRect(button, &cancel) &&
      PtInRect(&cancel, reinterpret_cast<MSLLHOOKSTRUCT*>(info)->pt))
    asked_to_leave();
  return CallNextHookEx(nullptr, code, message, info);
}

DWORD WINAPI watch(void*) {
  // A low-level hook that does not answer in time is passed over: on a loaded machine the press would go unseen.
  SetThreadPriority(this_thread(), THREAD_PRIORITY_HIGHEST);
  HHOOK keys = SetWindowsHookExW(WH_KEYBOARD_LL, key_seen, module_handle, 0);
  HHOOK clicks = SetWindowsHookExW(WH_MOUSE_LL, click_seen, module_handle, 0);
  InterlockedExchange(&hooks_set, 1);
  for (MSG message;;) {
    // The hooks are called through this thread's messages: it must keep taking them.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, kWatchPollMs, QS_ALLINPUT);
    if (console_interrupted) cancel_shown_dialog();  // again until it closes: a box may have come meanwhile
    bool quit = false;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) quit = quit || message.message == WM_QUIT;
    if (quit) break;
    ULONGLONG asked = leave_asked_at;
    HWND window = shown_window;
    if (!asked || GetTickCount64() < asked + kLeaveGraceMs) continue;
    leave_asked_at = 0;
    DWORD_PTR reply;
    // Timed out, not gone: a window closed meanwhile fails the call too.
    if (window && !SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerWaitMs, &reply) &&
        GetLastError() == ERROR_TIMEOUT)
      end_run(EXIT_CANCELLED);
  }
  if (keys) UnhookWindowsHookEx(keys);
  if (clicks) UnhookWindowsHookEx(clicks);
  return 0;
}

void watch_start() {
  if (watcher) return;
  leave_asked_at = 0;
  // Windows would put a stand-in in front of a dialog that has not taken input for five seconds; Esc then
  // goes to the stand-in, and its close box ends the process with a code of the system's.
  DisableProcessWindowsGhosting();
  hooks_set = 0;
  watcher = CreateThread(nullptr, 0, watch, nullptr, 0, &watcher_id);
  // Before the dialog can list a folder and stick there: a loaded machine may start the thread seconds later,
  // and a press meanwhile would go unseen.
  while (watcher && !hooks_set && WaitForSingleObject(watcher, 1) == WAIT_TIMEOUT) {
  }
}

void watch_stop() {
  if (!watcher) return;
  // A thread has no queue to post to until it has asked for a message.
  while (!PostThreadMessageW(watcher_id, WM_QUIT, 0, 0) && WaitForSingleObject(watcher, 10) == WAIT_TIMEOUT) {
  }
  WaitForSingleObject(watcher, INFINITE);
  CloseHandle(watcher);
  watcher = nullptr;
}
}  // namespace

void cancel_shown_dialog() {
  HWND window = shown_window;
  if (!window) return;
  // A box over the dialog (ours, or the shell's) keeps it from closing: each goes first, as Esc would
  // close it. Found by its owner, as this may run on the console's control thread.
  auto close_owned = [](HWND box, LPARAM dialog) {
    if (GetWindow(box, GW_OWNER) == reinterpret_cast<HWND>(dialog)) PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
  };
  EnumThreadWindows(GetWindowThreadProcessId(window, nullptr), close_owned, reinterpret_cast<LPARAM>(window));
  PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
}

void close_shown_dialog() {
  // Our box runs its own loop on this thread, and the dialog cannot close before it does: it goes
  // first, as Esc would close it. The shell's own boxes are left alone: once closed, Wine's file
  // dialog goes on to accept what the box refused.
  if (HWND box = GetActiveWindow(); box_up && box != shown_window) PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
  if (shown_file_dialog) {
    shown_file_dialog->Close(HRESULT_FROM_WIN32(ERROR_TIMEOUT));
  } else {
    cancel_shown_dialog();
  }
}

namespace {
constexpr UINT_PTR kForwardTimer = 0x44504B03;  // the dialogs' own timers take small numbers
constexpr UINT kForwardAgainMs = 300;

// Asks Windows to put the dialog in front; where it refuses, the dialog flashes and the console's title
// says that a folder dialog is waiting, until the dialog is gone.
void bring_forward(HWND window) {
  // Windows gives the foreground only to the program the user last used (a console started from the
  // one in front has it); elsewhere the dialog would wait unseen behind other windows. Where it is
  // refused, the taskbar button flashes until the dialog is activated, and the console says why the
  // script waits. Asked again once the dialog is on screen: before, it may have no taskbar button yet.
  if (SetForegroundWindow(window) && GetForegroundWindow() == window) return;
  FLASHWINFO flash = {sizeof(flash), window, FLASHW_ALL | FLASHW_TIMERNOFG, 0, 0};
  FlashWindowEx(&flash);
  int mark = ws_mark();
  ws_append_utf8(kWaiting);
  console_title_while_waiting(ws_text_at(mark));
  ws_rewind(mark);
}

void CALLBACK forward_again(HWND window, UINT, UINT_PTR timer, DWORD) {
  KillTimer(window, timer);
  if (GetForegroundWindow() != window) bring_forward(window);
}
}  // namespace

void dialog_showing(const BrowsePlacement& asked, IFileDialog* file_dialog) {
  placement = asked;
  shown_file_dialog = file_dialog;
}

void dialog_shown(HWND window) {
  if (shown_window == window) return;
  // A full barrier, paired with the Ctrl+C handler's: one of the two always sees the other.
  InterlockedExchangePointer(reinterpret_cast<void* volatile*>(&shown_window), window);
  was_shown = true;
  if (placement.center) place_centred(window, placement.over);
  SetForegroundWindow(window);
  SetTimer(window, kForwardTimer, kForwardAgainMs, forward_again);
  watch_start();
  if (console_interrupted) cancel_shown_dialog();
}

void tell_over_dialog(HWND owner, int mark) {
  if (!owner) return;  // no dialog to stand over: the refusal stands alone
  int caption = ws_mark() + 2;  // behind the text's NUL; both are read once nothing moves the workspace
  ws_set_position(caption);
  ws_append_utf8(kBoxCaption);
  box_up = true;
  MessageBoxW(owner, ws_text_at(mark), ws_text_at(caption), MB_OK | MB_ICONWARNING);
  box_up = false;
  ws_set_position(caption - 2);
}

bool dialog_gone() {
  watch_stop();
  console_title_while_waiting(nullptr);
  bool shown = was_shown;
  shown_window = nullptr;
  was_shown = false;
  return shown;
}
