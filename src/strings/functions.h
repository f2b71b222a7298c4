// String functions as workspace producers: each writes its result at a start position and
// leaves the workspace position on the result's NUL. A source may be an inner result that
// begins at the same start; it is then overwritten in place, even when the block moves.
#pragma once

void string_space(int count, int start);
void string_right(const wchar_t* source, int count, int start);
void string_left(const wchar_t* source, int count, int start);
// From a 1-based index (0 or below counts as 1), at most count units.
void string_mid(const wchar_t* source, int index, int count, int start);
long long string_length(const wchar_t* source);
// Whether the last count characters of source equal text; leaves the workspace as it was.
bool string_right_equals(const wchar_t* source, int count, const wchar_t* text);
void string_lower(const wchar_t* source, int start);
void string_upper(const wchar_t* source, int start);
// The current directory as the system gives it (a trailing backslash on a drive root alone), or the
// empty text when it cannot be read.
void string_curdir(int start);
