// The folders remembered between runs, one entry a name, kept per user.
#pragma once
#include <windows.h>

// Whether a folder may be remembered under the text: 1 to 64 letters, digits, -, _ and ., the first no dot.
bool is_memory_name(const wchar_t* name);
// Appends at mark the folder last remembered under the name, a drive or network path; false, nothing
// appended, where none is stored or the entry is no such path.
bool recall_folder(const wchar_t* name, int mark);
// Stores the folder under the name; false where the entry could not be written.
bool remember_folder(const wchar_t* name, const wchar_t* folder);
