// Allocation from the runtime's private heaps with the one reaction to an exhausted heap:
// a fixed line on standard error and exit code 255, so nothing ever runs on with a null block.
#pragma once
#include <windows.h>

[[noreturn]] void out_of_memory();

void* heap_alloc(HANDLE heap, SIZE_T size, DWORD flags);
void* heap_realloc(HANDLE heap, void* block, SIZE_T size, DWORD flags);
