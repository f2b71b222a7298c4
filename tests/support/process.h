// Launching the product and the probes on exact command lines, with their standard streams
// redirected to files, and reading back the exact bytes and the exit code.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

// A program in the test executables' own folder (where the build puts every binary).
std::wstring sibling_path(const wchar_t* name);

struct RunOptions {
  std::wstring working_dir;                        // empty: the test's own
  std::function<void(PROCESS_INFORMATION&)> while_running;  // runs after the start
  DWORD timeout_ms = 30000;
  bool stdout_full = false;      // standard output on a device that is always full
  bool stdout_closed = false;    // no standard output handle at all
  bool stdout_invalid = false;   // a handle value that names nothing
  bool stderr_closed = false;
};

struct RunResult {
  bool started = false;
  DWORD exit_code = 0;
  bool timed_out = false;
  std::string out;  // bytes written to standard output
  std::string err;  // bytes written to standard error
};

// CreateProcessW hands the child exactly command_line; nothing is quoted or added.
RunResult run_exact(const std::wstring& program, const std::wstring& command_line, const RunOptions& options = {});

// UTF-16LE bytes as they would sit in a redirected stream.
std::string utf16_bytes(const std::wstring& text);
std::wstring from_utf16_bytes(const std::string& bytes);
std::string to_utf8(const std::wstring& text);
