// Through the probe: output modes and lines the tool never writes, the out-of-memory exit, exit
// codes beyond its own, the parameter count, and result lines for folders no dialog gives (a
// lower-case drive, network folders).
#include "harness.h"

TEST(Probe, ModesExitCodesAndCounts) {
  const std::wstring nonascii = L"cd \"D:\\\x00C4rger \x20AC \xD83D\xDE00\"\r\n";
  std::string ansi(64, '\0');
  ansi.resize(WideCharToMultiByte(CP_ACP, 0, nonascii.c_str(), -1, ansi.data(), 64, nullptr, nullptr) - 1);
  const struct {
    const wchar_t* line;
    Stream stream;
    DWORD exit_code;
    std::string out, err;
  } rows[] = {
      {L"p out 2 nonascii", Stream::File, 0, utf8(nonascii), ""},
      {L"p out 24 nonascii", Stream::File, 0, ansi, ""},
      {L"p out 25 nonascii", Stream::File, 0, utf16(nonascii), ""},
      {L"p out 25 ascii", Stream::Closed, 3, "", ""},
      {L"p out 2 null", Stream::File, 0, "\r\n", ""},
      {L"p err empty", Stream::File, 0, "", utf16(L"\n")},
      {L"p oom", Stream::File, 255, "", utf16(L"Dirpick: out of memory\n")},
      {L"p exit 4294967301", Stream::File, 5, "", ""},
      {L"p exit -1", Stream::File, 0xFFFFFFFF, "", ""},
      {L"p count a   b  ", Stream::File, 303, "", ""},
      {L"p line cd d:\\work\\", Stream::File, 0, "D:\r\ncd \"d:\\work\"\r\n", ""},
      {L"p line cd \\\\server\\share\\", Stream::File, 0, "pushd \"\\\\server\\share\"\r\n", ""},
      {L"p line \"cd /d\" \\\\server\\share\\", Stream::File, 0, "cd /d \"\\\\server\\share\"\r\n", ""},
      {L"p line CD \\\\?\\UNC\\server\\share\\", Stream::File, 0, "CD \"\\\\?\\UNC\\server\\share\"\r\n", ""},
      {L"\"p q\"count \"\" x\"y z", Stream::File, 303, "", ""},
  };
  for (const auto& row : rows) {
    Result r = run({.line = row.line, .stream = row.stream, .program = L"channel_probe.exe"});
    SCOPED_TRACE(utf8(row.line));
    EXPECT_EQ(row.exit_code, r.exit_code);
    EXPECT_EQ(row.out, r.out);
    EXPECT_EQ(row.err, r.err);
  }
}
