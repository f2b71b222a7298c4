// The dialog on screen: its window once known, for placement, Ctrl+C and the time limit.
#include "dialog/shown_dialog.h"

#include "dialog/placement.h"
#include "runtime/frame.h"

IFileDialog* shown_file_dialog;

namespace {
volatile HWND shown_window;
}  // namespace

void cancel_shown_dialog() {
  if (HWND window = shown_window) PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
}

void close_shown_dialog() {
  if (shown_file_dialog) {
    shown_file_dialog->Close(HRESULT_FROM_WIN32(ERROR_TIMEOUT));
  } else {
    cancel_shown_dialog();
  }
}

void dialog_shown(HWND window) {
  if (shown_window == window) return;
  shown_window = window;
  if (browse_placement.center) place_centred(window, browse_placement.over);
  // Where Windows refuses (another program has the foreground), it flashes the dialog's taskbar button.
  SetForegroundWindow(window);
  if (console_interrupted) cancel_shown_dialog();
}

void dialog_gone() { shown_window = nullptr; }
