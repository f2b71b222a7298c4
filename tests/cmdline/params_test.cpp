// The parameter reader on exact command lines: a probe is started with CreateProcessW, which
// under Wine hands it the line unchanged, and reports what param_next gave out.
#include "cmdline/params.h"

#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "support/param_probe.h"
#include "support/process.h"

namespace {
struct Row {
  const wchar_t* line;
  std::vector<std::wstring> texts;  // as handed out, the final empty text included
  int count;
};

void expect_row(const Row& row) {
  Handout h = hand_out(row.line);
  EXPECT_EQ(row.texts, h.texts) << "command line: [" << to_utf8(row.line) << "]";
  EXPECT_EQ(row.count, h.count) << "command line: [" << to_utf8(row.line) << "]";
}
}  // namespace

TEST(ParamReader, QuotedSectionsGroupAndInnerSectionsJoinWords) {
  expect_row({L"prog a \"b c\" d\"e f\"g", {L"a", L"b c", L"de fg", L""}, 3});
}

TEST(ParamReader, ClosingQuoteEndsTheParameter) {
  expect_row({L"prog \"ab\"cd", {L"ab", L"cd", L""}, 2});
  expect_row({L"prog \"a\"\"b\"", {L"a", L"b", L""}, 2});
}

TEST(ParamReader, EmptyInnerSectionVanishes) {
  expect_row({L"prog a\"\"b", {L"ab", L""}, 1});
  expect_row({L"prog a\"b\"c\"d e\"f g", {L"abcd ef", L"g", L""}, 2});
}

TEST(ParamReader, UnterminatedQuotesRunToTheEnd) {
  expect_row({L"prog x\"y z", {L"xy z", L""}, 1});
  expect_row({L"prog \"unterminated text", {L"unterminated text", L""}, 1});
}

TEST(ParamReader, EmptyQuotedParameterAdvancesTheCursor) {
  Handout h = hand_out(L"prog \"\" x");
  EXPECT_EQ((std::vector<std::wstring>{L"", L"x", L""}), h.texts);
  EXPECT_EQ((std::vector<int>{1, 2, 2}), h.cursors);
  EXPECT_EQ(2, h.count);
}

TEST(ParamReader, RunsOfSpacesAndTrailingSpacesMakeNoParameter) {
  Handout h = hand_out(L"prog a   b ");
  EXPECT_EQ((std::vector<std::wstring>{L"a", L"b", L""}), h.texts);
  EXPECT_EQ((std::vector<int>{1, 2, 2}), h.cursors) << "the request after the last parameter keeps the cursor";
  EXPECT_EQ(2, h.count);
}

TEST(ParamReader, BackslashDoesNotEscapeAQuote) {
  expect_row({L"\"C:\\Program Files\\Tools\\prog.exe\" cd \"C:\\\"", {L"cd", L"C:\\", L""}, 2});
}

TEST(ParamReader, OnlyTheSpaceSeparates) {
  expect_row({L"prog a\tb", {L"a\tb", L""}, 1});
  expect_row({L"prog\t\"a b\"", {L""}, 0});
}

TEST(ParamReader, ProgramNameIsSkippedHoweverItIsWritten) {
  expect_row({L"   prog   a", {L"a", L""}, 1});
  expect_row({L"\"prog\"a b", {L"a", L"b", L""}, 2});
  expect_row({L"prog", {L""}, 0});
}

TEST(ParamReader, ParamAtMovesTheCursorAndANegativeIndexReadsOn) {
  SetEnvironmentVariableW(L"DIRPICK_PROBE_MODE", L"at");
  Handout h = hand_out(L"prog zero one two");
  SetEnvironmentVariableW(L"DIRPICK_PROBE_MODE", nullptr);
  EXPECT_EQ((std::vector<std::wstring>{L"one", L"two", L"zero"}), h.texts);
  EXPECT_EQ((std::vector<int>{2, 3, 1}), h.cursors);
}

TEST(ParamReader, TenThousandQuotesAreNoText) {
  std::wstring line = L"prog " + std::wstring(10000, L'"') + L" x";
  Handout h = hand_out(line);
  // An even run of quotes is a string of empty quoted sections.
  ASSERT_FALSE(h.texts.empty());
  for (const std::wstring& text : h.texts) EXPECT_EQ(std::wstring::npos, text.find(L'"'));
  EXPECT_EQ(L"x", h.texts[h.texts.size() - 2]);
}

TEST(ParamReader, LongestCommandLineIsReadWhole) {
  std::wstring word(32000, L'w');
  Handout h = hand_out(L"p " + word + L" end");
  EXPECT_EQ((std::vector<std::wstring>{word, L"end", L""}), h.texts);
  EXPECT_EQ(2, h.count);
}

namespace {
// A small deterministic generator, so that a failing line can be reproduced from its seed.
struct Lcg {
  unsigned long long state;
  unsigned next(unsigned bound) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<unsigned>(state >> 33) % bound;
  }
};

std::wstring generated_line(Lcg& rng) {
  static const wchar_t alphabet[] = {L'a', L'b', L' ', L' ', L'"', L'"', L'\t', L'\\', L'\x00E9', L'\xD800'};
  std::wstring line = rng.next(3) == 0 ? L"\"p q\"" : L"prog";
  unsigned length = rng.next(24);
  for (unsigned i = 0; i < length; ++i) line += alphabet[rng.next(sizeof(alphabet) / sizeof(alphabet[0]))];
  return line;
}
}  // namespace

TEST(ParamReaderProperties, HoldOnGeneratedCommandLines) {
  Lcg rng{20261206};
  for (int i = 0; i < 150; ++i) {
    std::wstring line = generated_line(rng);
    Handout h = hand_out(line);
    SCOPED_TRACE("line " + std::to_string(i) + ": [" + to_utf8(line) + "]");
    ASSERT_FALSE(h.texts.empty());
    // param_count equals the number of calls that advanced the cursor; the last call did not.
    int advancing = static_cast<int>(h.texts.size()) - 1;
    EXPECT_EQ(advancing, h.count);
    for (int k = 0; k < advancing; ++k) EXPECT_EQ(k + 1, h.cursors[k]);
    EXPECT_EQ(advancing, h.cursors.back()) << "the cursor moved past the last parameter";
    EXPECT_EQ(L"", h.texts.back());
    for (const std::wstring& text : h.texts) EXPECT_EQ(std::wstring::npos, text.find(L'"'));
    // Every unit handed out comes from the line, in order, and nothing is invented.
    std::wstring all;
    for (const std::wstring& text : h.texts) all += text;
    std::wstring rest;
    for (wchar_t c : line)
      if (c != L'"') rest += c;
    size_t at = 0;
    for (wchar_t c : all) {
      at = rest.find(c, at);
      ASSERT_NE(std::wstring::npos, at) << "a unit that is not in the line";
      ++at;
    }
  }
}
