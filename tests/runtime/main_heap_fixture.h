// A private main heap for each test, as start-up would create it.
#pragma once
#include "gtest/gtest.h"
#include "runtime/frame.h"

class MainHeapTest : public ::testing::Test {
 protected:
  void SetUp() override { main_heap = runtime_heap_create(); }
  void TearDown() override {
    HeapDestroy(main_heap);
    main_heap = nullptr;
  }
};
