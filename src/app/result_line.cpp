// Builds and writes the result line from the driver state.
#include "app/result_line.h"

#include <wchar.h>

#include "app/driver.h"
#include "console/channel.h"
#include "paths/paths.h"
#include "runtime/frame.h"
#include "strings/conversion.h"
#include "strings/functions.h"
#include "strings/workspace.h"

namespace {
// In a batch file % starts a variable everywhere, and ^ & | < > act outside double quotes; which
// side of a quote a character is on counts from the start of its line, as cmd.exe counts.
void escape_folder_for_batch(int mark) {
  int quotes = 0;
  for (const wchar_t* p = CommandString; p && *p; ++p) quotes += *p == L'"';
  int room = 2 * static_cast<int>(string_length(Folder));
  wchar_t* out = ws_reserve(room, mark);
  int n = 0;
  for (const wchar_t* p = Folder; *p; out[n++] = *p++) {
    quotes += *p == L'"';
    if (*p == L'%') out[n++] = L'%';
    if (quotes % 2 == 0 && wcschr(L"^&|<>", *p)) out[n++] = L'^';
  }
  out[n] = 0;
  ws_release(room - n);
  string_assign(&Folder, mark);
}

// The drive line, the command text and the folder, quoted and escaped as the options ask.
void compose_command_line(int mark) {
  // cd alone cannot change drive, so the script gets the drive line first.
  string_lower(CommandString, mark);
  bool plain_cd = ws_take_equal(mark, L"cd");
  // cmd.exe cannot make a network folder current and would run on where it was; pushd maps a
  // drive letter and enters it.
  if (plain_cd && is_network_path(Folder)) string_dup(&CommandString, L"pushd");
  if (plain_cd && is_drive_path(Folder, static_cast<int>(string_length(Folder)))) {
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
  if (option_flags & OPT_BATCH) escape_folder_for_batch(mark);

  ws_append(DriveLine);
  ws_append(CommandString);
  ws_append(Folder);
}
}  // namespace

LineOutcome write_result_line() {
  int mark = ws_mark();

  // The folder comes without its trailing backslash and a drive root whole: D: alone would mean that
  // drive's current folder.
  if (option_flags & OPT_BACKSLASH) ensure_trailing_backslash(&Folder);

  if (option_flags & OPT_BARE) {
    // A caller that captures the answer takes the folder alone, with nothing to strip or unescape.
    ws_append(Folder);
  } else {
    compose_command_line(mark);
  }
  // A console shows every character; a redirected line must come back from the code page exact.
  if (output_encoding_mode == ENC_EXACT && !output_is_console()) {
    char* exact = wide_to_code_page_exact(ws_text_at(mark), output_code_page);
    if (!exact) return ws_rewind(mark), LINE_UNFIT;
    conv_free(exact);
  }
  // The time limit's last resort or a Ctrl+C may be ending the run on another thread: it ends the
  // process before this goes on, so that no line is begun and cut.
  if (!line_begin()) Sleep(INFINITE);
  bool written = output_hook(ws_text_at(mark));
  line_end();
  ws_rewind(mark);
  return written ? LINE_WRITTEN : LINE_LOST;
}
