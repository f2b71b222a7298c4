// The command driver: reads the parameters, answers a usage request, makes the start folder
// absolute, scans the options, shows the dialog and leaves the exit status.
#include "app/driver.h"

#include "app/remembered.h"
#include "app/result_line.h"
#include "app/version.h"
#include "cmdline/params.h"
#include "console/channel.h"
#include "dialog/browser.h"
#include "dialog/time_limit.h"
#include "paths/folders.h"
#include "paths/known_folder.h"
#include "paths/paths.h"
#include "runtime/exit_codes.h"
#include "runtime/frame.h"
#include "runtime/memory.h"
#include "strings/conversion.h"
#include "strings/functions.h"

StringVar CommandString;
StringVar InitialDir;
StringVar RootDir;
StringVar WindowTitle;
StringVar Param;
StringVar ParamLower;
StringVar Folder;
StringVar FolderDrive;
StringVar DriveLine;
StringVar ConsoleTitle;
int option_flags;
int ExitStatus;
HWND console_window;

namespace {
UINT timeout_ms;  // the time limit /timeout asks for; 0: none
StringVar* patterns;  // what /require asks a chosen folder to hold, one a parameter
int pattern_count;
StringVar memory_name;  // what /remember keeps the folder under, lower-cased; null: nothing kept
StringVar remembered;   // the folder last chosen under it, then the one chosen now

// Every text the driver shows, in one place (with the options' lines in their table): UTF-8, as all of the
// product's own texts are, decoded where shown, so that each reads the same in every locale. Each a pointer to a
// literal: an array of 16 bytes or more is aligned to 16, which pads every message.
constexpr const char* kBannerStart = "Dirpick ver. ";
constexpr const char* kBannerMiddle = "/x64, ";

constexpr const char* kUsage =
    "Syntax:\r\n"
    "    Dirpick \"CommandString\" \"InitialDir\" [\"WindowTitle\"] [Options]\r\n"
    "CommandString\r\n"
    "    will be prepended to the returnd folder name\r\n"
    "InitialDir\r\n"
    "    to start the user's selection\r\n"
    "WindowTitle\r\n"
    "    whatever you want to show in the title bar \r\n";
static_assert(__builtin_strlen(kUsage) == 251);
constexpr const char* kOptionsHead = "Options\r\n    begin at the third parameter: dirpick cd \"\" /batch\r\n";
constexpr const char* kExitCodesUsage = "Exit codes: 0 line written, 1 cancelled, 2 nobody answered, 255 refused\r\n";

// Where an option's value goes.
enum OptionValue : unsigned char { NO_VALUE, LIMIT_VALUE, ROOT_VALUE, PATTERN_VALUE, NAME_VALUE };

// Every option, one row each, in the order /? lists them: its line in /? (indented there), which begins with its
// word as the lower-cased parameter spells it (a value follows the colon); for a value, how many of the word's
// characters claim a parameter for it, well formed or not (a mistyped limit is refused, never taken for the
// title); the flags it sets and clears; where its value goes; the flags it cannot be used beside, and the
// message that says why.
struct Option {
  const char* usage;
  unsigned char claims = 0;
  unsigned char set = 0, clear = 0, refuses = 0;
  OptionValue value = NO_VALUE;
  const char* refusal = nullptr;
};
constexpr Option kOptions[] = {
    {.usage = "/noquote      write the folder without double quotes", .clear = OPT_QUOTE},
    {.usage = "/noquotes     the same as /noquote", .clear = OPT_QUOTE},
    {.usage = "/backslash    keep the folder's trailing backslash", .set = OPT_BACKSLASH},
    {.usage = "/center       open the dialog centred over the console window", .set = OPT_CENTER},
    {.usage = "/batch        escape the line for a temporary batch file, in its code page", .set = OPT_BATCH},
    {.usage = "/modern       show the file dialog in pick-folders mode instead of the tree", .set = OPT_MODERN},
    {.usage = "/bare         write the folder alone (give - as the CommandString)", .set = OPT_BARE,
     .refuses = OPT_BATCH,
     .refusal = "Dirpick: /bare and /batch cannot be used together: /bare is for a caller that captures the folder, "
                "/batch for a temporary script"},
    {.usage = "/timeout:N    give up (exit 2) N seconds after Dirpick started, 1 to 86400", .claims = 8,
     .value = LIMIT_VALUE},
    {.usage = "/root:PATH    offer only PATH and the folders below it", .claims = 6, .value = ROOT_VALUE},
    {.usage = "/require:PAT  OK only on a folder that holds PAT: a name, a path, * and ?", .claims = 9,
     .value = PATTERN_VALUE},
    {.usage = "/utf8         write the line in UTF-8, for a program that reads it", .set = OPT_UTF8,
     .refuses = OPT_BATCH,
     .refusal = "Dirpick: /utf8 and /batch cannot be used together: cmd.exe reads a temporary script in the console's "
                "code page"},
    {.usage = "/remember:NAME open on the last folder chosen under NAME; keep the new one", .claims = 9,
     .value = NAME_VALUE},
};

constexpr const char* kInvalidOption = "Invalid option: ";
constexpr const char* kLineLost = "Dirpick: the result line could not be written";
constexpr const char* kNotRememberedStart = "Dirpick: the folder could not be remembered under \"";
// The way out differs: a temporary script can do without /batch, a capturing caller cannot.
constexpr const char* kLineUnfitStart = "Dirpick: code page ";
constexpr const char* kLineUnfitEnd = " cannot hold the folder exactly; ";
constexpr const char* kBatchWayOut = "run chcp 65001 first, or leave out /batch";
constexpr const char* kBareWayOut = "add /utf8 for a caller that reads UTF-8, or run chcp 65001 first";
constexpr const char* kUtf8WayOut = "it holds a lone surrogate, which no UTF-8 can";
constexpr const char* kNoDesktop = "Dirpick: there is no visible desktop to show the folder dialog on";
constexpr const char* kNoDialog = "Dirpick: the folder dialog could not be shown";
constexpr const char* kUnreadable = "Dirpick: the chosen folder's path could not be read whole";
constexpr const char* kUnknownFolderStart = "Dirpick: \"";
constexpr const char* kOptionTooEarly = "\" is an option: options begin at the third parameter, as in dirpick cd \"\" /batch";
constexpr const char* kUnknownFolderEnd = "\" names no known folder with a path on disk";
constexpr const char* kRootStart = "Dirpick: the root \"";
constexpr const char* kRootEnd = "\" is not an existing folder";
constexpr const char* kRootLost = "\" cannot be shown as the dialog's top folder";
constexpr const char* kRootSilent = "\" does not answer";

constexpr long long kTimeoutMaxSeconds = 86400;
constexpr UINT kMsPerSecond = 1000;

bool is_empty(const wchar_t* text) { return string_equal(text, L""); }

void write_usage() {
  int mark = ws_mark();
  // One append each: a table of pointers would take a writable section of its own.
  ws_append_utf8(kBannerStart);
  ws_append_utf8(kVersion);
  ws_append_utf8(kBannerMiddle);
  ws_append_utf8(kRights);
  ws_append(L"\r\n");
  text_decode(kUsage, -1, ENC_UTF8, ws_mark());
  text_decode(kOptionsHead, -1, ENC_UTF8, ws_mark());
  for (const Option& option : kOptions) {
    ws_append(L"    ");
    text_decode(option.usage, -1, ENC_UTF8, ws_mark());
    ws_append(L"\r\n");
  }
  text_decode(kExitCodesUsage, -1, ENC_UTF8, ws_mark());
  write_error_line(ws_text_at(mark));
  ws_rewind(mark);
}

// The console's own window, for centring the dialog. Under Windows Terminal it is a hidden stand-in
// owned by the terminal's window; two consoles may share a title, so the title is asked only where
// the console has no window of its own.
void find_console_window() {
  if ((console_window = GetConsoleWindow())) {
    console_window = GetAncestor(console_window, GA_ROOTOWNER);
    return;
  }
  int mark = ws_mark();
  auto title = [](const wchar_t*, wchar_t* buffer, DWORD room) {
    SetLastError(ERROR_SUCCESS);  // an empty title gives 0 too, and leaves the error as it was
    DWORD length = GetConsoleTitleW(buffer, room);
    // Windows 10 1703 fails a short buffer instead of filling what fits: ask with twice the room, up to
    // the 64 Ki characters no title reaches.
    bool short_buffer = !length && room < 0x10000 && GetLastError() == ERROR_INSUFFICIENT_BUFFER;
    return short_buffer ? 2 * room : length;
  };
  if (!ws_ask(title, nullptr, mark)) return ws_rewind(mark);
  string_assign(&ConsoleTitle, mark);
  console_window = FindWindowW(nullptr, ConsoleTitle);
}

// Whether the text begins with the word's first length characters (with its NUL: is the word).
bool begins_with(const wchar_t* text, const char* word, int length) {
  for (int i = 0; i < length; ++i)
    if (text[i] != static_cast<unsigned char>(word[i])) return false;
  return true;
}

// The length of the option's word, which begins its line in /?: up to the blank, or to the colon with it.
int word_length(const Option& option) {
  int length = 0;
  while (option.usage[length] != ' ' && option.usage[length++] != ':') {
  }
  return length;
}

// The option a lower-cased parameter is meant for, well formed or not; null for none.
const Option* option_of(const wchar_t* lowered) {
  for (const Option& option : kOptions) {
    int length = word_length(option);
    if (begins_with(lowered, option.usage, option.value ? option.claims : length) && (option.value || !lowered[length]))
      return &option;
  }
  return nullptr;
}

// "/timeout:N" with N from 1 to 86400 in digits only; false for any other form.
bool apply_timeout(const wchar_t* digits) {
  if (!*digits) return false;
  long long seconds = 0;
  for (const wchar_t* p = digits; *p; ++p) {
    if (*p < L'0' || *p > L'9') return false;
    seconds = seconds * 10 + (*p - L'0');
    if (seconds > kTimeoutMaxSeconds) return false;
  }
  if (seconds < 1) return false;
  timeout_ms = static_cast<UINT>(seconds) * kMsPerSecond;
  return true;
}

// Takes the option's value from the parameter; false where the value cannot be used: a limit out of range,
// an empty root, a pattern that could never be inside a folder.
bool apply_value(const Option& option, const wchar_t* lowered, const wchar_t* parameter) {
  int length = word_length(option);
  if (!begins_with(lowered, option.usage, length)) return false;  // "/timeout12": the colon is missing
  const wchar_t* value = parameter + length;
  if (option.value == LIMIT_VALUE) return apply_timeout(lowered + length);
  if (option.value == ROOT_VALUE) return *value && (string_dup(&RootDir, value), true);
  if (option.value == NAME_VALUE) return is_memory_name(value) && (string_dup(&memory_name, lowered + length), true);
  if (!is_inside_pattern(value)) return false;
  string_dup(&patterns[pattern_count++], value);
  return true;
}

// A message decoded at mark; subject, the text it names, goes between its two parts.
const wchar_t* decoded(const char* message, int mark, const wchar_t* subject = L"", const char* end = "") {
  text_decode(message, -1, ENC_UTF8, mark);
  ws_append(subject);
  text_decode(end, -1, ENC_UTF8, ws_mark());
  return ws_text_at(mark);
}

// Ends a run that shows no dialog: one message on standard error, nothing on standard output.
void stop(const wchar_t* message, int status) {
  write_error_line(message);
  ExitStatus = status;
  process_exit_code = ExitStatus;
}

// A folder made absolute, a known folder's name looked up first, or the current directory; in the
// folder form. False, the folder untouched, for a name that is no known folder: a mistyped name must
// never open another folder.
bool resolve_folder(StringVar* folder, int mark) {
  if (!is_known_folder_name(*folder)) {
    ws_append(*folder);
  } else if (!known_folder_path(*folder, mark)) {
    return false;
  }
  full_path(ws_text_at(mark), mark);
  long_path(mark);
  if (!*ws_text_at(mark)) string_curdir(mark);
  folder_form(mark);
  string_assign(folder, mark);
  return true;
}

// The root made absolute: null where it may fence the dialog, else how the refusal ends. A root that is
// gone is never replaced by what is left of its path: that would widen the fence.
const char* root_refusal(int mark) {
  if (!resolve_folder(&RootDir, mark)) return kRootEnd;
  FolderAnswer answer = ask_folder(RootDir, static_cast<int>(string_length(RootDir)), kAnswerMs);
  // The fence needs the root's own item, which no shell call gives without asking the drive again: a root
  // that has not answered in time, or whose server cannot be reached, ends the run rather than keep the
  // dialog away.
  if (answer.late || !answer.nearest) return kRootSilent;
  // One the disk tells nothing of (a drive not ready) is no gone root: the fence holds all the same.
  if (answer.whole == PRESENT || answer.whole == UNKNOWN) return nullptr;
  ensure_trailing_backslash(&RootDir);  // a refusal names a resolved root as a folder: "C:\Gone\" as ever
  return kRootEnd;
}

// Ends a run on a parameter that cannot be used: the message names it.
void refuse(const char* start, const wchar_t* subject, const char* end, int mark, int status = EXIT_REFUSED) {
  stop(decoded(start, mark, subject, end), status);
  ws_rewind(mark);
}

// Reads the parameters: the command text, the start folder, the title and the options. False where
// the run ends here: the usage text was asked for, or a parameter is refused.
bool read_command(int mark) {
  param_next(mark);
  string_assign(&CommandString, mark);
  if (string_equal(CommandString, L"/?") || is_empty(CommandString)) {
    write_usage();
    // An empty first parameter is a script's unset variable, not a call for help: no line was written.
    if (is_empty(CommandString) && param_count() > 0) process_exit_code = EXIT_REFUSED;
    return false;
  }

  // Made absolute once the options have been checked: a known folder's name is looked up then. An
  // option word in its place was meant as an option: taken as a folder, /batch would open C:\batch
  // (or what is left of it) and the option would be lost.
  param_next(mark);
  string_assign(&InitialDir, mark);
  string_lower(InitialDir, mark);
  string_assign(&ParamLower, mark);
  if (option_of(ParamLower)) return refuse(kUnknownFolderStart, InitialDir, kOptionTooEarly, mark), false;

  option_flags = OPT_QUOTE;
  // Every parameter is read: scripts pass "" or an unset %TITLE% for the title, and options behind
  // it must not be dropped. An empty one holds the title's place; any later one is skipped.
  bool title_taken = false;
  int count = param_count();
  // Room for a pattern a parameter: the patterns stay a list from here to the check.
  patterns = static_cast<StringVar*>(heap_alloc(main_heap, sizeof(StringVar) * count, 0));
  while (parameter_cursor() < count) {
    param_next(mark);
    string_assign(&Param, mark);
    if (is_empty(Param)) {
      title_taken = true;
      continue;
    }
    string_lower(Param, mark);
    string_assign(&ParamLower, mark);
    const Option* option = option_of(ParamLower);
    if (option && !option->value) {
      option_flags = (option_flags | option->set) & ~option->clear;
      continue;
    }
    // A value option's word that is not well formed is never a title: the script meant the option.
    if (option && apply_value(*option, ParamLower, Param)) continue;
    if (!option && !title_taken) {
      title_taken = true;
      ws_append(Param);
      string_assign(&WindowTitle, mark);
      continue;
    }
    return refuse(kInvalidOption, Param, "", mark), false;
  }
  // A temporary script is read in the console's code page, with nothing to strip: /batch stands alone.
  for (const Option& option : kOptions)
    if ((option_flags & option.set) && (option_flags & option.refuses))
      return stop(decoded(option.refusal, mark), EXIT_REFUSED), false;
  return true;
}

// The start folder and the root made absolute, and a desktop to show the dialog on. False where the
// run ends here.
bool prepare(int mark) {
  if (!resolve_folder(&InitialDir, mark)) return refuse(kUnknownFolderStart, InitialDir, kUnknownFolderEnd, mark), false;
  const char* root_end = RootDir ? root_refusal(mark) : nullptr;
  int status = root_end == kRootSilent ? EXIT_UNANSWERED : EXIT_REFUSED;  // nobody could answer a silent root
  if (root_end) return refuse(kRootStart, RootDir, root_end, mark, status), false;
  DWORD session = 1;  // where it cannot be read, the dialog is tried
  ProcessIdToSessionId(GetCurrentProcessId(), &session);
  if (!desktop_visible(session)) return stop(decoded(kNoDesktop, mark), EXIT_UNANSWERED), false;
  if (memory_name && recall_folder(memory_name, mark)) string_assign(&remembered, mark);
  return true;
}

// Shows the dialog until it gives a folder the script can receive, or none: the outcome, the folder
// in Folder.
int choose_folder(int mark) {
  // A batch file and a capturing caller read the console's code page, unless the caller asked for
  // UTF-8. Either way the line must read back exactly: UTF-8 cannot hold a lone surrogate, which
  // would come back as U+FFFD, another folder. A console shows every name.
  if (option_flags & (OPT_BATCH | OPT_BARE | OPT_UTF8)) {
    output_encoding_mode = ENC_EXACT;
    output_code_page = option_flags & OPT_UTF8 ? CP_UTF8 : batch_code_page();
  }
  UINT code_page = output_encoding_mode == ENC_EXACT && !output_is_console() ? output_code_page : 0;
  int outcome = browse({.title = WindowTitle,
                        .start = InitialDir,
                        .remembered = remembered,
                        .root = RootDir,
                        .patterns = patterns,
                        .pattern_count = pattern_count,
                        .placement = {.center = option_flags & OPT_CENTER, .over = console_window},
                        .modern = option_flags & OPT_MODERN,
                        .code_page = code_page},
                       mark);
  string_assign(&Folder, mark);
  return outcome;
}

// Tells the script what came of the dialog: the line, a message, the exit status.
void report(int outcome, int mark) {
  if (outcome == BROWSE_NO_DIALOG) {
    stop(decoded(kNoDialog, mark), EXIT_UNANSWERED);
  } else if (outcome == BROWSE_UNREADABLE) {
    // A path cut short could name another real folder.
    write_error_line(decoded(kUnreadable, mark));
  } else if (outcome == BROWSE_ROOT_LOST) {
    ensure_trailing_backslash(&RootDir);
    refuse(kRootStart, RootDir, kRootLost, mark);
  } else if (outcome == BROWSE_TIMED_OUT) {
    ExitStatus = EXIT_UNANSWERED;
  } else if (is_empty(Folder)) {
    ExitStatus = EXIT_CANCELLED;
  } else {
    string_dup(&remembered, Folder);  // the line's own text is quoted and escaped as it is built
    LineOutcome line = write_result_line();
    if (line == LINE_WRITTEN) {
      ExitStatus = EXIT_WRITTEN;
      // The line stands whatever the store does: the script has its folder.
      if (memory_name && !remember_folder(memory_name, remembered))
        write_error_line(decoded(kNotRememberedStart, mark, memory_name, "\""));
    } else if (line == LINE_UNFIT) {
      wchar_t code_page[12];
      wsprintfW(code_page, L"%u", output_code_page);
      decoded(kLineUnfitStart, mark, code_page, kLineUnfitEnd);
      const char* way_out = option_flags & OPT_BARE ? kBareWayOut : kBatchWayOut;
      if (option_flags & OPT_UTF8) way_out = kUtf8WayOut;  // nothing to switch to: UTF-8 holds every real name
      text_decode(way_out, -1, ENC_UTF8, ws_mark());
      write_error_line(ws_text_at(mark));
    } else {
      // A script must never take a lost line for a chosen folder.
      write_error_line(decoded(kLineLost, mark));
    }
  }
  console_close();
  process_exit_code = ExitStatus;
}

}  // namespace

void driver_clear() {
  CommandString = InitialDir = RootDir = WindowTitle = Param = ParamLower = nullptr;
  patterns = nullptr;
  pattern_count = 0;
  memory_name = remembered = nullptr;
  Folder = FolderDrive = DriveLine = ConsoleTitle = nullptr;
  option_flags = 0;
  timeout_ms = 0;
  ExitStatus = 0;
  console_window = nullptr;
}

void driver_run() {
  ExitStatus = EXIT_REFUSED;
  find_console_window();
  int mark = ws_mark();
  if (!read_command(mark)) return;
  // Counted from the start: whatever blocks before the dialog (a start folder on a drive that stopped
  // answering) is inside the limit too.
  limit_arm(timeout_ms);
  if (!prepare(mark)) return;
  report(choose_folder(mark), mark);
}
