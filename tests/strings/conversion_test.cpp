// Text conversions: decoding into the workspace with every selector, the UTF-8 prefix walk,
// and the byte strings made for output.
#include "strings/conversion.h"

#include <stdlib.h>

#include "strings/workspace_fixture.h"

using TextDecode = WorkspaceTest;

TEST_F(TextDecode, AnsiTextUpToItsNul) {
  ws_append(L"ab");
  text_decode("Usage", -1, ENC_ANSI, 4);
  EXPECT_EQ(L"Usage", built(4));
  EXPECT_EQ(14, workspace_position);
}

TEST_F(TextDecode, LengthZeroOrBelowMinusOneIsEmptyForEveryEncoding) {
  for (int code : {int{ENC_UTF8}, int{ENC_ANSI}, int{ENC_UTF16}, ENC_UTF8 | ENC_BYTE_COUNT}) {
    const void* source = code == ENC_UTF16 ? static_cast<const void*>(L"abc") : "abc";
    text_decode(source, 0, code, 0);
    EXPECT_EQ(L"", built(0)) << code;
    text_decode(source, -7, code, 0);
    EXPECT_EQ(L"", built(0)) << code;
  }
}

TEST_F(TextDecode, NullSourceIsEmpty) {
  text_decode(nullptr, -1, ENC_UTF8, 0);
  EXPECT_EQ(L"", built(0));
}

TEST_F(TextDecode, Utf16CopiesUpToTheNulAndGivesTheRestBack) {
  text_decode(L"abc", 10, ENC_UTF16, 0);
  EXPECT_EQ(L"abc", built(0));
  EXPECT_EQ(6, workspace_position);
  text_decode(L"abcdef", 2, ENC_UTF16, 0);
  EXPECT_EQ(L"ab", built(0));
  text_decode(L"abc", -1, ENC_UTF16, 0);
  EXPECT_EQ(L"abc", built(0));
}

TEST_F(TextDecode, Utf16CountFarBeyondTheTextDoesNotGrowTheWorkspace) {
  text_decode(L"ab", 1LL << 40, ENC_UTF16, 0);
  EXPECT_EQ(L"ab", built(0));
  EXPECT_EQ(16, workspace_capacity);
}

TEST_F(TextDecode, Utf8LengthCountsCharacters) {
  text_decode("\xC3\xA9" "ab", 2, ENC_UTF8, 0);
  EXPECT_EQ(L"\x00E9" L"a", built(0));
}

TEST_F(TextDecode, Utf8WithByteCountCountsBytes) {
  text_decode("\xC3\xA9" "ab", 2, ENC_UTF8 | ENC_BYTE_COUNT, 0);
  EXPECT_EQ(L"\x00E9", built(0));
}

TEST_F(TextDecode, Utf8FourByteSequenceBecomesASurrogatePair) {
  text_decode("x\xF0\x9F\x98\x80", -1, ENC_UTF8, 0);
  EXPECT_EQ(L"x\xD83D\xDE00", built(0));
}

TEST_F(TextDecode, OnlyTheLowFiveBitsSelect) {
  text_decode("abc", -1, 0x38, 0);  // 24 with bit 5 set
  EXPECT_EQ(L"abc", built(0));
  text_decode("abc", -1, 7, 0);     // any other selector reads as ANSI
  EXPECT_EQ(L"abc", built(0));
  text_decode(L"ab", -1, ENC_UTF16 | 0x80, 0);
  EXPECT_EQ(L"ab", built(0));
}

TEST_F(TextDecode, InvalidUtf8ConvertsAsThePlatformDoes) {
  text_decode("a\xFF" "b", -1, ENC_UTF8, 0);
  std::wstring text = built(0);
  ASSERT_EQ(3u, text.size());
  EXPECT_EQ(L'a', text[0]);
  EXPECT_EQ(L'\xFFFD', text[1]);
  EXPECT_EQ(L'b', text[2]);
}

TEST(Utf8PrefixBytes, CountsCompleteSequences) {
  EXPECT_EQ(4, utf8_prefix_bytes("\xF0\x9F\x98\x80" "a", 1));
  EXPECT_EQ(5, utf8_prefix_bytes("\xF0\x9F\x98\x80" "a", 2));
  EXPECT_EQ(3, utf8_prefix_bytes("\xE2\x82\xAC", 1));
  EXPECT_EQ(2, utf8_prefix_bytes("\xC3\xA9", 5));
  EXPECT_EQ(0, utf8_prefix_bytes("abc", 0));
  EXPECT_EQ(0, utf8_prefix_bytes("abc", -3));
}

TEST(Utf8PrefixBytes, PassesBrokenBytesUncounted) {
  EXPECT_EQ(2, utf8_prefix_bytes("\x80" "a", 1));         // stray continuation
  EXPECT_EQ(2, utf8_prefix_bytes("\xC3" "a", 1));         // lead without continuation
  EXPECT_EQ(3, utf8_prefix_bytes("\xE2\x82" "a", 1));     // 3-byte lead with one continuation
  EXPECT_EQ(4, utf8_prefix_bytes("\xF0\x9F\x98" "a", 1)); // 4-byte lead with two
  EXPECT_EQ(3, utf8_prefix_bytes("\xF0\x9F" "a", 1));     // 4-byte lead with one
  EXPECT_EQ(2, utf8_prefix_bytes("\xF8" "a", 1));         // no lead at all
  EXPECT_EQ(1, utf8_prefix_bytes("a\x80", 1)) << "broken bytes after the n-th character stay outside";
}

TEST(Utf8PrefixBytes, StopsAtTheNulInsideASequence) {
  EXPECT_EQ(1, utf8_prefix_bytes("\xE2", 1));
  // A 4-byte lead whose second next byte is the NUL passes alone; its continuation follows it.
  EXPECT_EQ(2, utf8_prefix_bytes("\xF0\x9F", 2));
  EXPECT_EQ(3, utf8_prefix_bytes("\xF0\x9F\x98", 1));
  EXPECT_EQ(0, utf8_prefix_bytes("", 3));
}

TEST(OutputConversion, Utf8OfNonAsciiText) {
  char* bytes = wide_to_utf8_alloc(L"D:\\\x00C4rger \x20AC\xD83D\xDE00");
  EXPECT_STREQ("D:\\\xC3\x84rger \xE2\x82\xAC\xF0\x9F\x98\x80", bytes);
  conv_free(bytes);
}

TEST(OutputConversion, NullAndEmptyGiveAnAllocatedEmptyString) {
  for (const wchar_t* text : {static_cast<const wchar_t*>(nullptr), L""}) {
    char* utf8 = wide_to_utf8_alloc(text);
    char* ansi = wide_to_ansi_alloc(text);
    ASSERT_NE(nullptr, utf8);
    ASSERT_NE(nullptr, ansi);
    EXPECT_STREQ("", utf8);
    EXPECT_STREQ("", ansi);
    conv_free(utf8);
    conv_free(ansi);
  }
}

TEST(OutputConversion, AnsiUsesTheAnsiCodePage) {
  char* bytes = wide_to_ansi_alloc(L"caf\x00E9");
  char expected[8] = {};
  WideCharToMultiByte(CP_ACP, 0, L"caf\x00E9", -1, expected, sizeof(expected), nullptr, nullptr);
  EXPECT_STREQ(expected, bytes);
  EXPECT_EQ(4u, strlen(bytes));
  conv_free(bytes);
}

TEST(OutputConversion, LoneSurrogateBecomesTheReplacementCharacter) {
  char* bytes = wide_to_utf8_alloc(L"a\xD800" L"b");
  EXPECT_STREQ("a\xEF\xBF\xBD" "b", bytes);
  conv_free(bytes);
}

using InputConversion = WorkspaceTest;

TEST_F(InputConversion, AnsiAndUtf8IntoTheWorkspace) {
  ansi_to_ws("plain", 0);
  EXPECT_EQ(L"plain", built(0));
  utf8_to_ws("\xC3\xA9t\xC3\xA9", 0);
  EXPECT_EQ(L"\x00E9t\x00E9", built(0));
  ansi_to_ws(nullptr, 0);
  EXPECT_EQ(L"", built(0));
  utf8_to_ws(nullptr, 0);
  EXPECT_EQ(L"", built(0));
}

TEST(InputConversionAlloc, AnsiAndUtf8IntoNewBlocks) {
  wchar_t* a = ansi_to_wide_alloc("abc");
  wchar_t* u = utf8_to_wide_alloc("\xE2\x82\xAC!");
  wchar_t* empty = ansi_to_wide_alloc("");
  wchar_t* none = utf8_to_wide_alloc(nullptr);
  EXPECT_STREQ(L"abc", a);
  EXPECT_STREQ(L"\x20AC!", u);
  EXPECT_STREQ(L"", empty);
  EXPECT_STREQ(L"", none);
  for (wchar_t* p : {a, u, empty, none}) free(p);
}
