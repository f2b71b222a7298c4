// The object table: equally sized objects addressed by a slot number or, for dynamic
// objects, by their own address. An object is live while its first 64-bit word is non-zero.
#pragma once
#include <windows.h>

#include "runtime/lists.h"

using ObjectId = long long;
using ReleaseFn = void (*)(ObjectId id);

constexpr ObjectId kNewDynamicObject = -1;

struct ObjectTable {
  int item_size;
  int growth;           // slots at creation, and the headroom added when the array grows
  long long slot_count;
  void** slots;
  ListNode* dynamic_list;
  ReleaseFn release;
  long long iter_pos;
};

ObjectTable* object_table_create(int item_size, int growth, ReleaseFn release);
void* object_alloc(ObjectTable* table, ObjectId id);
void* object_get(ObjectTable* table, ObjectId id);
void object_free(ObjectTable* table, ObjectId id);
void object_iter_reset(ObjectTable* table);
void* object_iter_next(ObjectTable* table, ObjectId* id);
void object_table_teardown(ObjectTable* table);
void handle_release(ObjectId id);
void objects_at_exit();
