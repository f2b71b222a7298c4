// String variables and the string workspace: the one growable block in which every string
// expression builds its result. Positions and offsets are bytes, counts are UTF-16 units.
//
// Protocol: note the position P, let producers write at P (each reserves, writes, puts a NUL
// behind its text and gives back what it did not use), consume the text at base + P, and set the
// position back to P. No pointer into the workspace survives the next ws_reserve.
#pragma once
#include <windows.h>

// Owns one string-heap block with a NUL-terminated text; null is the empty string.
using StringVar = wchar_t*;
// ws_offset_of's answer: 0 for a pointer outside the workspace text, else byte offset + 1.
using OffsetCode = long long;

extern HANDLE string_heap;
extern char* workspace_base;
extern long long workspace_position;
extern long long workspace_capacity;

void ws_init();
void ws_done();
wchar_t* ws_reserve(int count, int start);
void ws_release(int count);
void ws_set_position(long long offset);
void ws_append(const wchar_t* source);
OffsetCode ws_offset_of(const void* pointer);
wchar_t* ws_pointer_at(OffsetCode code);

// Workspace position as the 32-bit start that producers take.
inline int ws_mark() { return static_cast<int>(workspace_position); }
// Puts the position back to a mark once the text built there has been used.
inline void ws_rewind(int mark) { workspace_position = mark; }
// The text that begins at a mark; valid until the next reserve.
inline wchar_t* ws_text_at(int mark) { return reinterpret_cast<wchar_t*>(workspace_base + mark); }

// The Win32 calls that answer a buffer too short with the size they need and the text's length once
// it fits (GetFullPathNameW, GetCurrentDirectoryW, GetLongPathNameW; GetConsoleTitleW, which also
// fills what fits): asked again with more room until the text fits. argument never lies in the
// workspace, which the asking may move.
using SizedCall = DWORD (*)(const wchar_t* argument, wchar_t* buffer, DWORD room);
// Places the call's text at start, NUL-terminated; its length, 0 where the call failed.
int ws_ask(SizedCall call, const wchar_t* argument, int start);

void string_copy_n(wchar_t* destination, const wchar_t* source, int count);
void string_assign(StringVar* variable, long long saved_position);
void string_dup(StringVar* variable, const wchar_t* source);
void string_free(wchar_t* block);
int string_equal(const wchar_t* a, const wchar_t* b);
// Consumes the text built since mark: compares it with text and puts the position back.
bool ws_take_equal(int mark, const wchar_t* text);
