// Through the probe, on the real start-up and shut-down: the parameter reader on exact command
// lines, the bytes of the output modes the tool itself never picks, and exit codes beyond its own.
#include <string.h>

#include <vector>

#include "harness.h"

namespace {
using Texts = std::vector<std::wstring>;
struct Handout {
  int count = -99;
  Texts texts;  // every param_next text, the last (non-advancing) one included
  std::vector<int> cursors;
};

Handout hand_out(const std::wstring& line) {
  SetEnvironmentVariableW(L"DIRPICK_PROBE", L"1");
  std::string out = run({.line = line, .program = L"channel_probe.exe"}).out;
  SetEnvironmentVariableW(L"DIRPICK_PROBE", nullptr);
  Handout h;
  size_t at = 0;
  auto next_int = [&](int v = 0) { return memcpy(&v, out.data() + at, 4), at += 4, v; };
  h.count = next_int();
  while (at + 8 <= out.size()) {
    h.cursors.push_back(next_int());
    size_t units = next_int();
    h.texts.emplace_back(reinterpret_cast<const wchar_t*>(out.data() + at), std::min(units, (out.size() - at) / 2));
    at += units * 2;
  }
  return h;
}

const std::wstring kWord(32000, L'w');
Texts pairs_then(size_t empty, Texts rest) { return rest.insert(rest.begin(), empty, L""), rest; }
const struct {
  std::wstring line;
  Texts texts;  // the parameters, then the empty text of the call that did not advance
} kReader[] = {
    {L"prog a \"b c\" d\"e f\"g", {L"a", L"b c", L"de fg", L""}},
    {L"prog \"ab\"cd", {L"ab", L"cd", L""}},
    {L"prog \"a\"\"b\"", {L"a", L"b", L""}},
    {L"prog a\"\"b", {L"ab", L""}},
    {L"prog a\"b\"c\"d e\"f g", {L"abcd ef", L"g", L""}},
    {L"prog x\"y z", {L"xy z", L""}},
    {L"prog \"unterminated text", {L"unterminated text", L""}},
    {L"prog \"\" x", {L"", L"x", L""}},
    {L"prog a   b ", {L"a", L"b", L""}},
    {L"\"C:\\Program Files\\prog.exe\" cd \"C:\\\" \"T\"", {L"cd", L"C:\\", L"T", L""}},
    {L"prog a\tb", {L"a\tb", L""}},
    {L"prog\t\"a b\"", {L""}},
    {L"   prog   a", {L"a", L""}},
    {L"\"prog\"a b", {L"a", L"b", L""}},
    {L"prog", {L""}},
    {L"prog " + std::wstring(9999, L'"') + L" x", pairs_then(4999, {L" x", L""})},
    {L"p " + kWord + L" end", {kWord, L"end", L""}},
};
}  // namespace

TEST(Reader, SplitsExactCommandLines) {
  for (const auto& row : kReader) {
    Handout h = hand_out(row.line);
    SCOPED_TRACE(utf8(row.line.substr(0, 60)));
    EXPECT_EQ(row.texts, h.texts);
    int count = static_cast<int>(row.texts.size()) - 1;
    EXPECT_EQ(count, h.count);
    std::vector<int> cursors;
    for (int k = 1; k <= count; ++k) cursors.push_back(k);
    cursors.push_back(count);
    EXPECT_EQ(cursors, h.cursors) << "one step per parameter, none past the last";
  }
}

TEST(Probe, OutputModesAndExitCodes) {
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
      {L"p out 7 ascii", Stream::File, 0, utf16(L"cd \"C:\\Work\"\r\n"), ""},
      {L"p out 25 ascii", Stream::Closed, 3, "", ""},
      {L"p out 2 null", Stream::File, 0, "\r\n", ""},
      {L"p out 2 empty", Stream::File, 0, "\r\n", ""},
      {L"p err null", Stream::File, 0, "", utf16(L"\n")},
      {L"p oom", Stream::File, 255, "", utf16(L"Dirpick: out of memory\n")},
      {L"p exit 4242", Stream::File, 4242, "", ""},
      {L"p exit 4294967301", Stream::File, 5, "", ""},
      {L"p exit -1", Stream::File, 0xFFFFFFFF, "", ""},
  };
  for (const auto& row : rows) {
    Result r = run({.line = row.line, .stream = row.stream, .program = L"channel_probe.exe"});
    SCOPED_TRACE(utf8(row.line));
    EXPECT_EQ(row.exit_code, r.exit_code);
    EXPECT_EQ(row.out, r.out);
    EXPECT_EQ(row.err, r.err);
  }
}
