// Linked lists and zeroed allocation on the main heap.
#include "runtime/lists.h"

#include "runtime/frame.h"
#include "runtime/memory.h"

void* list_push_front(ListNode** head, int node_size) {
  // A missing node is reported, not fatal: the window guard skips a window it cannot record.
  if (!main_heap) return nullptr;
  auto* node = static_cast<ListNode*>(HeapAlloc(main_heap, HEAP_ZERO_MEMORY, node_size));
  if (!node) return nullptr;
  if (*head) {
    (*head)->prev = node;
    node->next = *head;
  }
  *head = node;
  return node + 1;
}

BOOL list_unlink_free(ListNode** head, void* payload) {
  ListNode* node = static_cast<ListNode*>(payload) - 1;
  if (node == *head) {
    *head = node->next;
    if (node->next) node->next->prev = nullptr;
  } else {
    node->prev->next = node->next;
    if (node->next) node->next->prev = node->prev;
  }
  return HeapFree(main_heap, 0, node);
}

void* alloc_zeroed(int size, void (*initialiser)(void* block)) {
  void* block = heap_alloc(main_heap, size, HEAP_ZERO_MEMORY);
  if (initialiser) initialiser(block);
  return block;
}
