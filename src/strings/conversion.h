// Conversion between stored 8-bit text and UTF-16, and from UTF-16 to bytes for output.
// Every conversion goes through the platform's code-page functions with flags 0, so broken
// input is converted the way the platform converts it.
#pragma once
#include <windows.h>

// Encoding codes: the low 5 bits select, 0x40 is a flag.
enum EncodingCode : int {
  ENC_UTF8 = 2,
  ENC_ANSI = 24,
  ENC_UTF16 = 25,
  ENC_EXACT = 26,  // output only: in output_code_page, exactly or not at all
  ENC_BYTE_COUNT = 0x40,  // with ENC_UTF8: the length counts bytes, not characters
};

// Decodes stored text into the workspace at start. length -1 reads up to the NUL; below -1 reads
// as 0; otherwise it counts units of the source (characters for UTF-8 without ENC_BYTE_COUNT).
void text_decode(const void* source, long long length, int code, int start);
// Bytes taken by the first count complete UTF-8 sequences; broken bytes pass uncounted.
long long utf8_prefix_bytes(const char* text, long long count);

// New NUL-terminated byte strings from malloc, never null; release with conv_free.
char* wide_to_utf8_alloc(const wchar_t* text);
char* wide_to_ansi_alloc(const wchar_t* text);
// The text in a code page without best-fit substitutes; null unless every character converts
// back to itself (a lone surrogate never does, not even in UTF-8).
char* wide_to_code_page_exact(const wchar_t* text, UINT code_page);
void conv_free(char* bytes);

// Appends one of the product's own texts, which are UTF-8, at the workspace's position.
void ws_append_utf8(const char* text);
void ansi_to_ws(const char* text, int start);
void utf8_to_ws(const char* text, int start);
wchar_t* ansi_to_wide_alloc(const char* text);
wchar_t* utf8_to_wide_alloc(const char* text);
