// The bytes that really arrive on redirected streams, through the real start-up and shut-down.
#include "console/channel.h"

#include "gtest/gtest.h"
#include "support/process.h"

namespace {
RunResult probe(const std::wstring& args, const RunOptions& options = {}) {
  RunResult run = run_exact(sibling_path(L"channel_probe.exe"), L"channel_probe " + args, options);
  EXPECT_TRUE(run.started);
  EXPECT_FALSE(run.timed_out);
  return run;
}

const std::wstring kNonAscii = L"cd \"D:\\\x00C4rger \x20AC \xD83D\xDE00\"";
}  // namespace

TEST(OutputLine, ArrivesAsUtf8WithoutByteOrderMarkEndingInCrLf) {
  RunResult run = probe(L"out 2 ascii");
  EXPECT_EQ(0u, run.exit_code);
  EXPECT_EQ("cd \"C:\\Work\"\r\n", run.out);
  EXPECT_EQ("", run.err);
}

TEST(OutputLine, NonAsciiTextIsMultiByteUtf8) {
  RunResult run = probe(L"out 2 nonascii");
  EXPECT_EQ("cd \"D:\\\xC3\x84rger \xE2\x82\xAC \xF0\x9F\x98\x80\"\r\n", run.out);
}

TEST(OutputLine, Mode24GoesThroughTheAnsiCodePage) {
  RunResult run = probe(L"out 24 nonascii");
  std::wstring line = kNonAscii + L"\r\n";
  char expected[128] = {};
  int n = WideCharToMultiByte(CP_ACP, 0, line.c_str(), static_cast<int>(line.size()), expected, sizeof(expected),
                              nullptr, nullptr);
  EXPECT_EQ(std::string(expected, n), run.out);
  EXPECT_EQ(0u, run.exit_code);
}

TEST(OutputLine, Mode25IsRawUtf16) {
  RunResult run = probe(L"out 25 nonascii");
  EXPECT_EQ(utf16_bytes(kNonAscii + L"\r\n"), run.out);
  EXPECT_EQ(std::string("\x0D\x00\x0A\x00", 4), run.out.substr(run.out.size() - 4)) << "ends 0D 00 0A 00";
}

TEST(OutputLine, AnyOtherModeIsRawUtf16Too) {
  RunResult run = probe(L"out 7 ascii");
  EXPECT_EQ(utf16_bytes(L"cd \"C:\\Work\"\r\n"), run.out);
}

TEST(OutputLine, NullAndEmptyTextsWriteOnlyTheLineEnd) {
  EXPECT_EQ("\r\n", probe(L"out 2 null").out);
  EXPECT_EQ("\r\n", probe(L"out 2 empty").out);
}

TEST(OutputLine, AFullStreamIsReportedAsAFailedWrite) {
  RunOptions full;
  full.stdout_full = true;
  RunResult run = probe(L"out 2 ascii", full);
  EXPECT_EQ(3u, run.exit_code);
}

TEST(OutputLine, AMissingStreamIsReportedAsAFailedWrite) {
  RunOptions closed;
  closed.stdout_closed = true;
  EXPECT_EQ(3u, probe(L"out 2 ascii", closed).exit_code);
  EXPECT_EQ(3u, probe(L"out 25 ascii", closed).exit_code);
}

TEST(ErrorLine, ArrivesAsUtf16EndingInOneLineFeed) {
  RunResult run = probe(L"err nonascii");
  EXPECT_EQ(utf16_bytes(kNonAscii + L"\n"), run.err);
  EXPECT_EQ("", run.out);
}

TEST(ErrorLine, NullAndEmptyTextsWriteOnlyTheLineFeed) {
  EXPECT_EQ(std::string("\x0A\x00", 2), probe(L"err null").err);
  EXPECT_EQ(std::string("\x0A\x00", 2), probe(L"err empty").err);
}

TEST(ProcessExit, CodesPassThroughAsTheirLow32Bits) {
  EXPECT_EQ(0u, probe(L"exit 0").exit_code);
  EXPECT_EQ(1u, probe(L"exit 1").exit_code);
  EXPECT_EQ(255u, probe(L"exit 255").exit_code);
  EXPECT_EQ(4242u, probe(L"exit 4242").exit_code);
  EXPECT_EQ(0x00000005u, probe(L"exit 4294967301").exit_code) << "2^32 + 5";
  EXPECT_EQ(0xFFFFFFFFu, probe(L"exit -1").exit_code);
}

TEST(ProcessExit, FirstParameterReachesTheProgramAfterStartUp) {
  // An unknown first word ends with 99: the probe read "bogus", not the program name.
  EXPECT_EQ(99u, probe(L"bogus").exit_code);
}

TEST(OutOfMemory, EndsWithExitCode255AndALineOnStandardErrorOnly) {
  RunResult run = probe(L"oom");
  EXPECT_EQ(255u, run.exit_code);
  EXPECT_EQ("", run.out);
  EXPECT_EQ(utf16_bytes(L"Dirpick: out of memory\n"), run.err);
}
