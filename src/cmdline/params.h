// The parameter reader: hands out the command line's parameters one at a time, quotes removed.
// Only the space separates, a double quote groups, nothing escapes (a backslash is ordinary).
// Nothing is kept between calls but the cursor; each call scans GetCommandLineW afresh.
#pragma once

// Builds the next parameter at start (empty once they are used up) and returns the new position.
int param_next(int start);
// As param_next, after moving the cursor to index (a negative index leaves it alone).
int param_at(int index, int start);
// Parameters after the program name; -1 for an empty command line.
int param_count();
// With a length pointer: the parameter the cursor names (or the terminating NUL), its scanned
// length stored through the pointer, and the cursor advanced when one was found.
// With null: the count, as param_count.
const wchar_t* param_scan(int* length);
// Copies at most limit units of source, dropping double quotes, and ends the copy with a NUL.
// Returns the number of quotes dropped.
int copy_unquoted(const wchar_t* source, wchar_t* destination, int limit);
// The number of the next parameter to hand out; lives in the runtime state block.
int& parameter_cursor();
