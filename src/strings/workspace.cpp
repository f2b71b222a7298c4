// The string workspace's growth rule, and the operations on string variables.
#include "strings/workspace.h"

#include <stdint.h>
#include <string.h>
#include <wchar.h>

#include "runtime/frame.h"
#include "runtime/memory.h"

HANDLE string_heap;
char* workspace_base;
long long workspace_position;
long long workspace_capacity;

namespace {
constexpr long long kFirstBlockBytes = 16;
constexpr long long kGrowthOvershoot = 16384;
constexpr long long kShrinkAbove = 1048576;
// Every block is this much larger than the capacity the growth rule works with.
constexpr long long kBlockSlack = 10;
constexpr long long kMaxCapacity = 0x7FFFFFFF - kGrowthOvershoot - kBlockSlack;

void resize_block(long long capacity) {
  workspace_capacity = capacity;
  workspace_base = static_cast<char*>(heap_realloc(string_heap, workspace_base, capacity + kBlockSlack, 0));
}
}  // namespace

void ws_init() {
  string_heap = runtime_heap_create();
  workspace_position = 0;
  workspace_capacity = kFirstBlockBytes;
  workspace_base = static_cast<char*>(heap_alloc(string_heap, kFirstBlockBytes, 0));
}

void ws_done() {
  HeapFree(string_heap, 0, workspace_base);
  HeapDestroy(string_heap);
  string_heap = nullptr;
  workspace_base = nullptr;
  workspace_position = 0;
  workspace_capacity = 0;
}

wchar_t* ws_reserve(int count, int start) {
  // The need is measured from the position, not from start (start never lies beyond it).
  long long need = workspace_position + 2LL * count;
  // Text of 2 GiB is beyond the design; the 32-bit arithmetic would wrap and skip the growth.
  if (need > kMaxCapacity || need < 0) out_of_memory();
  if (need >= workspace_capacity - 4) {
    resize_block(need + kGrowthOvershoot);
  } else if (workspace_capacity > kShrinkAbove) {
    resize_block(need < kShrinkAbove ? kShrinkAbove : need);
  }
  workspace_position = start + 2LL * count;
  return reinterpret_cast<wchar_t*>(workspace_base + start);
}

void ws_release(int count) { workspace_position -= 2LL * count; }

int ws_ask(SizedCall call, const wchar_t* argument, int start) {
  DWORD room = MAX_PATH, length;
  wchar_t* text;
  while ((length = call(argument, text = ws_reserve(static_cast<int>(room), start), room)) >= room) room = length + 1;
  ws_release(static_cast<int>(room - length));
  text[length] = 0;
  return static_cast<int>(length);
}

void ws_set_position(long long offset) {
  workspace_position = offset;
  *reinterpret_cast<wchar_t*>(workspace_base + offset) = 0;
}

void ws_append(const wchar_t* source) {
  if (!source) {
    *reinterpret_cast<wchar_t*>(workspace_base + workspace_position) = 0;
    return;
  }
  int count = static_cast<int>(wcslen(source));
  wchar_t* p = ws_reserve(count, ws_mark());
  string_copy_n(p, source, count);
}

OffsetCode ws_offset_of(const void* pointer) {
  auto p = reinterpret_cast<uintptr_t>(pointer);
  auto base = reinterpret_cast<uintptr_t>(workspace_base);
  if (p < base || p > base + workspace_position) return 0;
  return static_cast<OffsetCode>(p - base) + 1;
}

wchar_t* ws_pointer_at(OffsetCode code) {
  return reinterpret_cast<wchar_t*>(workspace_base + static_cast<int>(code) - 1);
}

void string_copy_n(wchar_t* destination, const wchar_t* source, int count) {
  wchar_t* end = destination + (count > 0 ? count : 0);
  // Two units a step; an odd count copies one unit too many, which the NUL then overwrites.
  // A 4-byte temporary keeps the forward in-place copy exact.
  while (count > 0) {
    uint32_t pair;
    memcpy(&pair, source, sizeof(pair));
    memcpy(destination, &pair, sizeof(pair));
    destination += 2;
    source += 2;
    count -= 2;
  }
  *end = 0;
}

void string_assign(StringVar* variable, long long saved_position) {
  int bytes = static_cast<int>(workspace_position - saved_position);
  SIZE_T block_bytes = bytes + kBlockSlack;
  void* block = *variable ? heap_realloc(string_heap, *variable, block_bytes, 0)
                          : heap_alloc(string_heap, block_bytes, 0);
  *variable = static_cast<wchar_t*>(block);
  string_copy_n(*variable, reinterpret_cast<wchar_t*>(workspace_base + saved_position), bytes / 2);
  workspace_position = saved_position;
}

void string_dup(StringVar* variable, const wchar_t* source) {
  if (!source) return;
  int count = static_cast<int>(wcslen(source));
  *variable = static_cast<wchar_t*>(heap_alloc(string_heap, 2 * (static_cast<SIZE_T>(count) + 5), 0));
  string_copy_n(*variable, source, count);
}

void string_free(wchar_t* block) {
  if (block) HeapFree(string_heap, 0, block);
}

int string_equal(const wchar_t* a, const wchar_t* b) {
  return wcscmp(a ? a : L"", b ? b : L"") == 0 ? 1 : 0;
}

bool ws_take_equal(int mark, const wchar_t* text) {
  bool equal = string_equal(ws_text_at(mark), text);
  ws_rewind(mark);
  return equal;
}
