// Builds and writes the result line from the driver state.
#include "app/result_line.h"

#include "app/driver.h"
#include "console/channel.h"
#include "strings/functions.h"
#include "strings/workspace.h"

bool write_result_line() {
  int mark = ws_mark();

  ensure_trailing_backslash(&Folder);

  if (!(option_flags & OPT_BACKSLASH)) {
    // A drive root keeps its backslash: D: alone would mean that drive's current folder.
    if (!string_right_equals(Folder, 2, L":\\") && string_right_equals(Folder, 1, L"\\")) {
      string_left(Folder, static_cast<int>(string_length(Folder)) - 1, mark);
      string_assign(&Folder, mark);
    }
  }

  // cd alone cannot change drive, so the script gets the drive line first.
  string_lower(CommandString, mark);
  bool plain_cd = ws_take_equal(mark, L"cd");
  string_mid(Folder, 2, 1, mark);
  bool has_drive = ws_take_equal(mark, L":");
  if (plain_cd && has_drive) {
    string_left(Folder, 2, mark);
    string_upper(ws_text_at(mark), mark);
    string_assign(&FolderDrive, mark);
    string_curdir(mark);
    string_left(ws_text_at(mark), 2, mark);
    string_upper(ws_text_at(mark), mark);
    if (!ws_take_equal(mark, FolderDrive)) {
      ws_append(FolderDrive);
      ws_append(L"\r\n");
      string_assign(&DriveLine, mark);
    }
  }

  if (string_length(CommandString) != 0 && !string_right_equals(CommandString, 1, L"=")) {
    ws_append(CommandString);
    ws_append(L" ");
    string_assign(&CommandString, mark);
  }

  if (option_flags & OPT_QUOTE) {
    ws_append(L"\"");
    ws_append(Folder);
    ws_append(L"\"");
    string_assign(&Folder, mark);
  }

  ws_append(DriveLine);
  ws_append(CommandString);
  ws_append(Folder);
  bool written = output_hook(ws_text_at(mark));
  ws_rewind(mark);
  return written;
}
