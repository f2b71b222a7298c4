// Object table operations; all memory comes from the main heap, zero-filled.
#include "runtime/objects.h"

#include <string.h>

#include "runtime/frame.h"
#include "runtime/memory.h"

namespace {
bool is_live(void* object) {
  return object && *static_cast<long long*>(object) != 0;
}

constexpr int kLinkBytes = sizeof(ListNode);
}  // namespace

ObjectTable* object_table_create(int item_size, int growth, ReleaseFn release) {
  auto* table = static_cast<ObjectTable*>(heap_alloc(main_heap, sizeof(ObjectTable), HEAP_ZERO_MEMORY));
  table->item_size = item_size;
  table->growth = growth;
  table->release = release;
  table->slot_count = growth;
  table->slots = static_cast<void**>(heap_alloc(main_heap, growth * sizeof(void*), HEAP_ZERO_MEMORY));
  return table;
}

void* object_alloc(ObjectTable* table, ObjectId id) {
  if (id == kNewDynamicObject) {
    void* object = list_push_front(&table->dynamic_list, table->item_size + kLinkBytes);
    if (!object) out_of_memory();
    return object;
  }
  if (id >= table->slot_count) {
    table->slot_count = id + table->growth;
    table->slots = static_cast<void**>(
        heap_realloc(main_heap, table->slots, table->slot_count * sizeof(void*), HEAP_ZERO_MEMORY));
  }
  if (void* held = table->slots[id]) {
    if (table->release) table->release(id);
    return held;
  }
  void* object = heap_alloc(main_heap, table->item_size, HEAP_ZERO_MEMORY);
  table->slots[id] = object;
  return object;
}

void* object_get(ObjectTable* table, ObjectId id) {
  void* candidate = (id >= 0 && id < table->slot_count) ? table->slots[id] : reinterpret_cast<void*>(id);
  return is_live(candidate) ? candidate : nullptr;
}

void object_free(ObjectTable* table, ObjectId id) {
  if (id >= 0 && id < table->slot_count) {
    // The zeroed block stays in its slot for the next object_alloc of that number.
    if (table->slots[id]) memset(table->slots[id], 0, table->item_size);
    return;
  }
  list_unlink_free(&table->dynamic_list, reinterpret_cast<void*>(id));
}

void object_iter_reset(ObjectTable* table) { table->iter_pos = 0; }

void* object_iter_next(ObjectTable* table, ObjectId* id) {
  while (table->iter_pos >= 0 && table->iter_pos < table->slot_count) {
    long long slot = table->iter_pos++;
    if (is_live(table->slots[slot])) {
      *id = slot;
      return table->slots[slot];
    }
  }
  if (!table->dynamic_list) return nullptr;
  void* head = table->dynamic_list + 1;
  *id = reinterpret_cast<ObjectId>(head);
  return head;
}

void object_table_teardown(ObjectTable* table) {
  if (!table->release) return;
  object_iter_reset(table);
  ObjectId id = 0;
  while (void* object = object_iter_next(table, &id)) {
    table->release(id);
    // A callback that left the dynamic head in place would be handed it forever.
    if (table->dynamic_list && table->dynamic_list + 1 == object) list_unlink_free(&table->dynamic_list, object);
  }
}

void handle_release(ObjectId id) {
  auto* object = static_cast<HANDLE*>(object_get(handle_table, id));
  if (!object) return;
  CloseHandle(*object);
  object_free(handle_table, id);
}

void objects_at_exit() {
  if (exit_table) object_table_teardown(exit_table);
}
