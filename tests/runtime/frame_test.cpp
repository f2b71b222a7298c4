// The end routine and the close-event handler.
#include "runtime/frame.h"

#include <vector>

#include "gtest/gtest.h"
#include "runtime/objects.h"

namespace {
DWORD WINAPI end_on_thread(void*) {
  runtime_end();
  return 0;
}

int exit_releases;
void count_release(ObjectId) { ++exit_releases; }
}  // namespace

class EndRoutine : public ::testing::Test {
 protected:
  void SetUp() override {
    runtime_clear();
    main_heap = runtime_heap_create();
  }
  void TearDown() override { HeapDestroy(main_heap); }
};

TEST_F(EndRoutine, DestroysTheSpareHeapOnceWhenCalledFromTwoThreads) {
  spare_heap = runtime_heap_create();
  HANDLE threads[2];
  for (HANDLE& t : threads) t = CreateThread(nullptr, 0, end_on_thread, nullptr, 0, nullptr);
  runtime_end();
  WaitForMultipleObjects(2, threads, TRUE, 10000);
  for (HANDLE t : threads) CloseHandle(t);

  // A heap handed over afterwards must survive any further end routine.
  HANDLE later = runtime_heap_create();
  spare_heap = later;
  runtime_end();
  void* block = HeapAlloc(later, 0, 64);
  EXPECT_NE(nullptr, block) << "the end routine ran its steps a second time";
  EXPECT_TRUE(HeapValidate(later, 0, nullptr));
  HeapDestroy(later);
}

TEST_F(EndRoutine, TearsDownTheExitTableFirst) {
  spare_heap = runtime_heap_create();
  exit_table = object_table_create(8, 4, count_release);
  *static_cast<long long*>(object_alloc(exit_table, 0)) = 1;
  exit_releases = 0;
  runtime_end();
  EXPECT_EQ(1, exit_releases);
  exit_table = nullptr;
}

TEST_F(EndRoutine, CloseEventRunsItAndEveryEventPassesOn) {
  spare_heap = runtime_heap_create();
  exit_table = object_table_create(8, 4, count_release);
  *static_cast<long long*>(object_alloc(exit_table, 0)) = 1;
  exit_releases = 0;
  EXPECT_FALSE(close_event_handler(CTRL_C_EVENT));
  EXPECT_FALSE(close_event_handler(CTRL_BREAK_EVENT));
  EXPECT_EQ(0, exit_releases) << "Ctrl+C and Ctrl+Break run nothing";
  EXPECT_FALSE(close_event_handler(CTRL_CLOSE_EVENT));
  EXPECT_EQ(1, exit_releases);
  exit_table = nullptr;
}
