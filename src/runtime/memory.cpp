// The runtime's checked allocations and its out-of-memory exit.
#include "runtime/memory.h"

#include "runtime/exit_codes.h"

namespace {
// The one text of the product kept in UTF-16: written as it stands, with no workspace to decode it into.
constexpr wchar_t kOutOfMemoryLine[] = L"Dirpick: out of memory\n";
constexpr DWORD kOutOfMemoryUnits = sizeof(kOutOfMemoryLine) / sizeof(wchar_t) - 1;
}  // namespace

void out_of_memory() {
  // Writes straight to the handle: this path must not allocate, and standard output stays
  // untouched so that a script never reads a half-built result line.
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  DWORD written = 0;
  if (!WriteConsoleW(err, kOutOfMemoryLine, kOutOfMemoryUnits, &written, nullptr))
    WriteFile(err, kOutOfMemoryLine, kOutOfMemoryUnits * sizeof(wchar_t), &written, nullptr);
  ExitProcess(EXIT_REFUSED);
}

void* heap_alloc(HANDLE heap, SIZE_T size, DWORD flags) {
  // HeapAlloc on a heap that was never created faults instead of failing.
  if (!heap) out_of_memory();
  void* block = HeapAlloc(heap, flags, size);
  if (!block) out_of_memory();
  return block;
}

void* heap_realloc(HANDLE heap, void* block, SIZE_T size, DWORD flags) {
  if (!heap) out_of_memory();
  void* moved = HeapReAlloc(heap, flags, block, size);
  if (!moved) out_of_memory();
  return moved;
}
