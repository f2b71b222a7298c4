// Child processes with redirected streams, for tests that look at real bytes.
#include "support/process.h"

#include <vector>

namespace {
std::wstring temp_file_name() {
  wchar_t dir[MAX_PATH];
  wchar_t name[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  GetTempFileNameW(dir, L"dpk", 0, name);
  return name;
}

HANDLE inheritable_file(const std::wstring& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
  return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, disposition,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string read_all(const std::wstring& path) {
  std::string bytes;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got) bytes.append(chunk, got);
  CloseHandle(file);
  DeleteFileW(path.c_str());
  return bytes;
}
}  // namespace

std::wstring sibling_path(const wchar_t* name) {
  wchar_t self[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self, n);
  return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

RunResult run_exact(const std::wstring& program, const std::wstring& command_line, const RunOptions& options) {
  RunResult result;
  std::wstring out_path = temp_file_name();
  std::wstring err_path = temp_file_name();
  HANDLE out = options.stdout_closed    ? nullptr
               : options.stdout_invalid ? reinterpret_cast<HANDLE>(static_cast<INT_PTR>(0xBAD0))
               : options.stdout_full ? inheritable_file(L"Z:\\dev\\full", GENERIC_WRITE, OPEN_EXISTING)
                                     : inheritable_file(out_path, GENERIC_WRITE, CREATE_ALWAYS);
  HANDLE err = options.stderr_closed ? nullptr : inheritable_file(err_path, GENERIC_WRITE, CREATE_ALWAYS);
  HANDLE in = inheritable_file(L"NUL", GENERIC_READ, OPEN_EXISTING);

  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = in;
  si.hStdOutput = out;
  si.hStdError = err;
  std::vector<wchar_t> line(command_line.begin(), command_line.end());
  line.push_back(0);
  PROCESS_INFORMATION pi = {};
  BOOL started = CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                options.working_dir.empty() ? nullptr : options.working_dir.c_str(), &si, &pi);
  for (HANDLE h : {out, err, in})
    if (h && h != INVALID_HANDLE_VALUE && !(options.stdout_invalid && h == out)) CloseHandle(h);
  if (!started) {
    DeleteFileW(out_path.c_str());
    DeleteFileW(err_path.c_str());
    return result;
  }
  result.started = true;
  if (options.while_running) options.while_running(pi);
  if (WaitForSingleObject(pi.hProcess, options.timeout_ms) == WAIT_TIMEOUT) {
    result.timed_out = true;
    TerminateProcess(pi.hProcess, 0xDEAD);
    WaitForSingleObject(pi.hProcess, 5000);
  }
  GetExitCodeProcess(pi.hProcess, &result.exit_code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  result.out = read_all(out_path);
  result.err = read_all(err_path);
  return result;
}

std::string utf16_bytes(const std::wstring& text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

std::wstring from_utf16_bytes(const std::string& bytes) {
  return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
}

std::string to_utf8(const std::wstring& text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n, nullptr, nullptr);
  return bytes;
}
