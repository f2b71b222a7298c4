// Builds and writes the result line from the driver state.
#include "app/result_line.h"

#include "app/driver.h"
#include "console/channel.h"
#include "strings/functions.h"
#include "strings/workspace.h"

namespace {
// Compares the text built at mark with a literal and gives the room back.
bool built_equals(int mark, const wchar_t* literal) {
  bool equal = string_equal(ws_text_at(mark), literal);
  ws_rewind(mark);
  return equal;
}
}  // namespace

bool write_result_line() {
  int mark = ws_mark();

  string_right(Folder, 1, mark);
  if (!built_equals(mark, L"\\")) {
    ws_append(Folder);
    ws_append(L"\\");
    string_assign(&Folder, mark);
  }

  if (!(option_flags & OPT_BACKSLASH)) {
    // A drive root keeps its backslash: D: alone would mean that drive's current folder.
    string_right(Folder, 2, mark);
    bool root = built_equals(mark, L":\\");
    string_right(Folder, 1, mark);
    if (!root && built_equals(mark, L"\\")) {
      string_left(Folder, static_cast<int>(string_length(Folder)) - 1, mark);
      string_assign(&Folder, mark);
    }
  }

  // cd alone cannot change drive, so the script gets the drive line first.
  string_lower(CommandString, mark);
  bool plain_cd = built_equals(mark, L"cd");
  string_mid(Folder, 2, 1, mark);
  bool has_drive = built_equals(mark, L":");
  if (plain_cd && has_drive) {
    string_left(Folder, 2, mark);
    string_upper(ws_text_at(mark), mark);
    string_assign(&FolderDrive, mark);
    string_curdir(mark);
    string_left(ws_text_at(mark), 2, mark);
    string_upper(ws_text_at(mark), mark);
    if (!built_equals(mark, FolderDrive)) {
      ws_append(FolderDrive);
      ws_append(L"\r\n");
      string_assign(&DriveLine, mark);
    }
  }

  string_right(CommandString, 1, mark);
  bool ends_in_equals = built_equals(mark, L"=");
  if (string_length(CommandString) != 0 && !ends_in_equals) {
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
