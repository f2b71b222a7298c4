// The object table: growth, re-allocation, liveness, iteration order and teardown.
#include "runtime/objects.h"

#include <vector>

#include "runtime/main_heap_fixture.h"

namespace {
std::vector<ObjectId> released;
ObjectTable* current;

void record_release(ObjectId id) { released.push_back(id); }

// Releases as a real callback would: the object leaves the table.
void free_on_release(ObjectId id) {
  released.push_back(id);
  object_free(current, id);
}

void mark_live(void* object, long long value = 1) { *static_cast<long long*>(object) = value; }
}  // namespace

class ObjectTableTest : public MainHeapTest {
 protected:
  void SetUp() override {
    MainHeapTest::SetUp();
    released.clear();
  }
};

TEST_F(ObjectTableTest, GrowsToTheIdPlusGrowth) {
  ObjectTable* t = object_table_create(8, 4, nullptr);
  object_alloc(t, 4);
  EXPECT_EQ(8, t->slot_count);
  object_alloc(t, 20);
  EXPECT_EQ(24, t->slot_count);
  EXPECT_EQ(nullptr, t->slots[19]);
  EXPECT_NE(nullptr, t->slots[20]);
}

TEST_F(ObjectTableTest, ReallocationReleasesFirstAndReturnsTheSameBlock) {
  ObjectTable* t = object_table_create(8, 4, record_release);
  void* first = object_alloc(t, 2);
  void* again = object_alloc(t, 2);
  EXPECT_EQ(first, again);
  EXPECT_EQ(std::vector<ObjectId>{2}, released);
}

TEST_F(ObjectTableTest, FreedNumberedObjectReadsAsNullAndKeepsItsBlock) {
  ObjectTable* t = object_table_create(8, 4, nullptr);
  void* object = object_alloc(t, 1);
  mark_live(object);
  EXPECT_EQ(object, object_get(t, 1));
  object_free(t, 1);
  EXPECT_EQ(nullptr, object_get(t, 1));
  EXPECT_EQ(object, t->slots[1]);
  EXPECT_EQ(nullptr, object_get(t, 3)) << "never allocated";
}

TEST_F(ObjectTableTest, DynamicObjectsAreTheirOwnIds) {
  ObjectTable* t = object_table_create(16, 4, nullptr);
  void* object = object_alloc(t, kNewDynamicObject);
  mark_live(object);
  auto id = reinterpret_cast<ObjectId>(object);
  EXPECT_EQ(object, object_get(t, id));
  object_free(t, id);
  EXPECT_EQ(nullptr, t->dynamic_list);
}

TEST_F(ObjectTableTest, IteratesNumberedAscendingThenDynamicFromTheHead) {
  current = object_table_create(8, 4, free_on_release);
  mark_live(object_alloc(current, 3));
  mark_live(object_alloc(current, 0));
  object_alloc(current, 1);  // first word zero: not live
  void* older = object_alloc(current, kNewDynamicObject);
  void* newer = object_alloc(current, kNewDynamicObject);
  mark_live(older);
  mark_live(newer);
  object_table_teardown(current);
  EXPECT_EQ((std::vector<ObjectId>{0, 3, reinterpret_cast<ObjectId>(newer), reinterpret_cast<ObjectId>(older)}),
            released);
  EXPECT_EQ(nullptr, current->dynamic_list);
}

TEST_F(ObjectTableTest, TeardownWithoutReleaseDoesNothing) {
  ObjectTable* t = object_table_create(8, 4, nullptr);
  void* object = object_alloc(t, 0);
  mark_live(object);
  object_table_teardown(t);
  EXPECT_EQ(object, object_get(t, 0));
}

TEST_F(ObjectTableTest, TeardownEndsWhenReleaseLeavesADynamicObjectInTheList) {
  ObjectTable* t = object_table_create(8, 4, record_release);
  mark_live(object_alloc(t, kNewDynamicObject));
  mark_live(object_alloc(t, kNewDynamicObject));
  object_table_teardown(t);
  EXPECT_EQ(2u, released.size());
  EXPECT_EQ(nullptr, t->dynamic_list);
}

TEST_F(ObjectTableTest, HandleReleaseClosesTheHandleAndFreesTheObject) {
  handle_table = object_table_create(8, 4, handle_release);
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  *static_cast<HANDLE*>(object_alloc(handle_table, 0)) = event;
  handle_release(0);
  EXPECT_EQ(nullptr, object_get(handle_table, 0));
  EXPECT_FALSE(SetEvent(event)) << "the handle is still open";
  handle_table = nullptr;
}

TEST_F(ObjectTableTest, ObjectsAtExitTearsDownTheExitTableOnlyWhenSet) {
  exit_table = nullptr;
  objects_at_exit();
  exit_table = object_table_create(8, 4, record_release);
  mark_live(object_alloc(exit_table, 1));
  objects_at_exit();
  EXPECT_EQ(std::vector<ObjectId>{1}, released);
  exit_table = nullptr;
}
