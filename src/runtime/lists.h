// Doubly linked lists with caller-sized payloads, and zeroed blocks, all in the main heap.
// Callers see payload addresses only; the two links sit right in front of the payload.
#pragma once
#include <windows.h>

struct ListNode {
  ListNode* next;  // null at the tail
  ListNode* prev;  // null at the head
};

// node_size includes the two links. Null when the main heap has no room; the list is unchanged.
void* list_push_front(ListNode** head, int node_size);
// Non-zero when the node went back to the heap.
BOOL list_unlink_free(ListNode** head, void* payload);
void* alloc_zeroed(int size, void (*initialiser)(void* block));
