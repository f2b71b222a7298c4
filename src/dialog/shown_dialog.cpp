// The dialog on screen: its window once known, for placement, Ctrl+C and the time limit.
#include "dialog/shown_dialog.h"

#include "dialog/placement.h"
#include "dialog/request.h"
#include "runtime/frame.h"

IFileDialog* shown_file_dialog;

namespace {
volatile HWND shown_window;
bool box_up;
bool was_shown;
}  // namespace

void cancel_shown_dialog() {
  if (HWND window = shown_window) PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
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

void dialog_shown(HWND window) {
  if (shown_window == window) return;
  // A full barrier, paired with the Ctrl+C handler's: one of the two always sees the other.
  InterlockedExchangePointer(reinterpret_cast<void* volatile*>(&shown_window), window);
  was_shown = true;
  if (browse_request.placement.center) place_centred(window, browse_request.placement.over);
  // Where Windows refuses (another program has the foreground), it flashes the dialog's taskbar button.
  SetForegroundWindow(window);
  if (console_interrupted) cancel_shown_dialog();
}

void tell_over_dialog(HWND owner, const wchar_t* text) {
  if (!owner) return;  // no dialog to stand over: the refusal stands alone
  box_up = true;
  MessageBoxW(owner, text, L"Dirpick", MB_OK | MB_ICONWARNING);
  box_up = false;
}

bool dialog_gone() {
  bool shown = was_shown;
  shown_window = nullptr;
  was_shown = false;
  return shown;
}
