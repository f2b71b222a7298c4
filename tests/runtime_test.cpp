// The runtime frame in-process: list links, and the end routine with its object teardown raced by
// threads.
#include <vector>

#include "harness.h"
#include "runtime/frame.h"
#include "runtime/lists.h"
#include "runtime/objects.h"

namespace {
std::vector<ObjectId> released;
void* live(void* object) { return *static_cast<long long*>(object) = 1, object; }

struct Runtime : ::testing::Test {
  void SetUp() override {
    runtime_clear();
    main_heap = runtime_heap_create();
    released.clear();
  }
  void TearDown() override { HeapDestroy(main_heap); }
};
}  // namespace

// The values front to back, then back to front: both links of every node.
TEST_F(Runtime, ListsKeepBothLinksThroughEveryUnlink) {
  ListNode* head = nullptr;
  void* nodes[3];
  for (long long i = 0; i < 3; ++i) *static_cast<long long*>(nodes[i] = list_push_front(&head, sizeof(ListNode) + 8)) += i;
  auto links = [&] {
    std::string text;
    ListNode* last = nullptr;
    for (ListNode* n = head; n; n = n->next) text += std::to_string(*reinterpret_cast<long long*>((last = n) + 1));
    for (text += "|"; last; last = last->prev) text += std::to_string(*reinterpret_cast<long long*>(last + 1));
    return text;
  };
  EXPECT_EQ("210|012", links());
  for (auto [index, after] : {std::pair{1, "20|02"}, {2, "0|0"}, {0, "|"}}) {
    EXPECT_TRUE(list_unlink_free(&head, nodes[index]));
    EXPECT_EQ(after, links());
  }
  EXPECT_EQ(7, *static_cast<int*>(alloc_zeroed(24, [](void* b) { *static_cast<int*>(b) += 7; })));
}

// The end routine tears the exit table down: numbered objects in order, then dynamic ones from
// the newest, each released once however its release treats it.
TEST_F(Runtime, EndRunsOnceWhicheverThreadComesFirstAndOnlyOnClose) {
  exit_table = object_table_create(8, 4, [](ObjectId id) { released.push_back(id); });
  void* three = live(object_alloc(exit_table, 3));
  live(object_alloc(exit_table, 4));
  EXPECT_EQ(8, exit_table->slot_count) << "the id plus the growth";
  EXPECT_EQ(three, live(object_alloc(exit_table, 3))) << "a taken number is released and handed back";
  object_alloc(exit_table, 1);  // its first word is zero: not live
  void* older = live(object_alloc(exit_table, kNewDynamicObject));
  void* newer = live(object_alloc(exit_table, kNewDynamicObject));
  EXPECT_EQ(newer, object_get(exit_table, reinterpret_cast<ObjectId>(newer)));
  released.clear();
  EXPECT_FALSE(close_event_handler(CTRL_C_EVENT));
  EXPECT_FALSE(close_event_handler(CTRL_BREAK_EVENT));
  EXPECT_TRUE(released.empty()) << "Ctrl+C and Ctrl+Break run nothing";
  spare_heap = runtime_heap_create();
  HANDLE threads[2];
  for (HANDLE& t : threads) t = CreateThread(nullptr, 0, [](void*) -> DWORD { return runtime_end(), 0; }, nullptr, 0, nullptr);
  EXPECT_FALSE(close_event_handler(CTRL_CLOSE_EVENT));
  WaitForMultipleObjects(2, threads, TRUE, 10000);
  EXPECT_EQ((std::vector<ObjectId>{3, 4, reinterpret_cast<ObjectId>(newer), reinterpret_cast<ObjectId>(older)}),
            released) << "the exit table is torn down once";
  EXPECT_EQ(nullptr, exit_table->dynamic_list);
  spare_heap = runtime_heap_create();
  runtime_end();
  EXPECT_TRUE(HeapValidate(spare_heap, 0, nullptr)) << "the end routine ran its steps a second time";
  exit_table = nullptr;
}
