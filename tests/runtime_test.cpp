// The runtime frame in-process: list links, the object table, and the end routine raced by threads.
#include <vector>

#include "harness.h"
#include "runtime/frame.h"
#include "runtime/lists.h"
#include "runtime/objects.h"

namespace {
std::vector<ObjectId> released;
ObjectTable* current;
void* live(void* object) { return *static_cast<long long*>(object) = 1, object; }
ListNode* node(void* payload) { return static_cast<ListNode*>(payload) - 1; }

struct Runtime : ::testing::Test {
  void SetUp() override {
    runtime_clear();
    main_heap = runtime_heap_create();
    released.clear();
  }
  void TearDown() override { HeapDestroy(main_heap); }
};
}  // namespace

TEST_F(Runtime, ListsKeepBothLinksThroughEveryUnlink) {
  ListNode* head = nullptr;
  void* tail = list_push_front(&head, sizeof(ListNode) + 8);
  void* middle = list_push_front(&head, sizeof(ListNode) + 8);
  void* front = list_push_front(&head, sizeof(ListNode) + 8);
  EXPECT_EQ(0, *static_cast<long long*>(front)) << "zeroed";
  EXPECT_EQ(node(middle), node(tail)->prev);
  EXPECT_TRUE(list_unlink_free(&head, middle));
  EXPECT_EQ(node(tail), node(front)->next);
  EXPECT_EQ(node(front), node(tail)->prev);
  EXPECT_TRUE(list_unlink_free(&head, front));
  EXPECT_EQ(nullptr, head->prev);
  EXPECT_TRUE(list_unlink_free(&head, tail));
  EXPECT_EQ(nullptr, head);
  EXPECT_EQ(7, *static_cast<int*>(alloc_zeroed(24, [](void* b) { *static_cast<int*>(b) += 7; })));
}

TEST_F(Runtime, ObjectTableGrowsReleasesAndIteratesInOrder) {
  current = object_table_create(8, 4, [](ObjectId id) { released.push_back(id), object_free(current, id); });
  void* three = live(object_alloc(current, 3));
  live(object_alloc(current, 4));
  EXPECT_EQ(8, current->slot_count) << "the id plus the growth";
  EXPECT_EQ(three, live(object_alloc(current, 3))) << "a taken number is released and handed back";
  object_alloc(current, 1);  // first word zero: not live
  EXPECT_EQ(nullptr, object_get(current, 1));
  void* older = live(object_alloc(current, kNewDynamicObject));
  void* newer = live(object_alloc(current, kNewDynamicObject));
  EXPECT_EQ(newer, object_get(current, reinterpret_cast<ObjectId>(newer)));
  released.clear();
  object_table_teardown(current);
  EXPECT_EQ((std::vector<ObjectId>{3, 4, reinterpret_cast<ObjectId>(newer), reinterpret_cast<ObjectId>(older)}),
            released);
  EXPECT_EQ(three, current->slots[3]) << "a freed numbered object keeps its block";
  EXPECT_EQ(nullptr, object_get(current, 3));
  // A release that leaves the dynamic head in place must not be handed it forever.
  ObjectTable* t = object_table_create(8, 4, [](ObjectId id) { released.push_back(id); });
  live(object_alloc(t, kNewDynamicObject));
  live(object_alloc(t, kNewDynamicObject));
  object_table_teardown(t);
  EXPECT_EQ(6u, released.size());
  EXPECT_EQ(nullptr, t->dynamic_list);
  handle_table = object_table_create(8, 4, handle_release);
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  *static_cast<HANDLE*>(object_alloc(handle_table, 0)) = event;
  handle_release(0);
  EXPECT_EQ(nullptr, object_get(handle_table, 0));
  EXPECT_FALSE(SetEvent(event)) << "the handle is still open";
}

TEST_F(Runtime, EndRunsOnceWhicheverThreadComesFirstAndOnlyOnClose) {
  exit_table = object_table_create(8, 4, [](ObjectId id) { released.push_back(id); });
  live(object_alloc(exit_table, 0));
  EXPECT_FALSE(close_event_handler(CTRL_C_EVENT));
  EXPECT_FALSE(close_event_handler(CTRL_BREAK_EVENT));
  EXPECT_TRUE(released.empty()) << "Ctrl+C and Ctrl+Break run nothing";
  spare_heap = runtime_heap_create();
  HANDLE threads[2];
  for (HANDLE& t : threads) t = CreateThread(nullptr, 0, [](void*) -> DWORD { return runtime_end(), 0; }, nullptr, 0, nullptr);
  EXPECT_FALSE(close_event_handler(CTRL_CLOSE_EVENT));
  WaitForMultipleObjects(2, threads, TRUE, 10000);
  EXPECT_EQ(1u, released.size()) << "the exit table is torn down once";
  spare_heap = runtime_heap_create();
  runtime_end();
  EXPECT_TRUE(HeapValidate(spare_heap, 0, nullptr)) << "the end routine ran its steps a second time";
  exit_table = nullptr;
}
