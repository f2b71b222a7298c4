// Linked lists: links after each push and unlink, and zeroed blocks.
#include "runtime/lists.h"

#include "runtime/main_heap_fixture.h"

namespace {
struct Payload {
  int value;
};
constexpr int kNodeBytes = sizeof(ListNode) + sizeof(Payload);

ListNode* node_of(void* payload) { return static_cast<ListNode*>(payload) - 1; }

Payload* push(ListNode** head, int value) {
  auto* p = static_cast<Payload*>(list_push_front(head, kNodeBytes));
  p->value = value;
  return p;
}
}  // namespace

using List = MainHeapTest;

TEST_F(List, PushOntoEmptyGivesAZeroedLonelyNode) {
  ListNode* head = nullptr;
  auto* p = static_cast<Payload*>(list_push_front(&head, kNodeBytes));
  ASSERT_NE(nullptr, p);
  EXPECT_EQ(node_of(p), head);
  EXPECT_EQ(nullptr, head->next);
  EXPECT_EQ(nullptr, head->prev);
  EXPECT_EQ(0, p->value);
}

TEST_F(List, PushAgainMakesTheNewNodeTheHead) {
  ListNode* head = nullptr;
  Payload* first = push(&head, 1);
  Payload* second = push(&head, 2);
  EXPECT_EQ(node_of(second), head);
  EXPECT_EQ(node_of(first), head->next);
  EXPECT_EQ(node_of(second), node_of(first)->prev);
  EXPECT_EQ(nullptr, head->prev);
}

TEST_F(List, UnlinkHeadMakesItsSuccessorTheHead) {
  ListNode* head = nullptr;
  Payload* a = push(&head, 1);
  Payload* b = push(&head, 2);
  EXPECT_TRUE(list_unlink_free(&head, b));
  EXPECT_EQ(node_of(a), head);
  EXPECT_EQ(nullptr, head->prev);
}

TEST_F(List, UnlinkMiddleJoinsItsNeighbours) {
  ListNode* head = nullptr;
  Payload* tail = push(&head, 1);
  Payload* middle = push(&head, 2);
  Payload* front = push(&head, 3);
  EXPECT_TRUE(list_unlink_free(&head, middle));
  EXPECT_EQ(node_of(tail), node_of(front)->next);
  EXPECT_EQ(node_of(front), node_of(tail)->prev);
}

TEST_F(List, UnlinkTailEndsTheListAtItsPredecessor) {
  ListNode* head = nullptr;
  Payload* tail = push(&head, 1);
  Payload* front = push(&head, 2);
  EXPECT_TRUE(list_unlink_free(&head, tail));
  EXPECT_EQ(nullptr, node_of(front)->next);
  EXPECT_EQ(node_of(front), head);
}

TEST_F(List, UnlinkOnlyNodeEmptiesTheList) {
  ListNode* head = nullptr;
  Payload* only = push(&head, 1);
  EXPECT_TRUE(list_unlink_free(&head, only));
  EXPECT_EQ(nullptr, head);
}

TEST_F(List, AllocZeroedRunsTheInitialiserOnAZeroedBlock) {
  static int seen_zero;
  auto* block = static_cast<int*>(alloc_zeroed(24, [](void* b) {
    seen_zero = static_cast<int*>(b)[5] == 0;
    static_cast<int*>(b)[0] = 7;
  }));
  EXPECT_EQ(1, seen_zero);
  EXPECT_EQ(7, block[0]);
  EXPECT_EQ(24u, HeapSize(main_heap, 0, block));
}
