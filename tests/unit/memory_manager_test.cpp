#include "gamedata/memory_manager.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "gamedata/errors.h"

namespace {

constexpr uint32_t kBlock = TCustomMemoryManager::kMemoryBlockSize;

int CountBlocks(const TCustomMemoryManager& manager) {
  int count = 0;
  for (const MemoryBlock* block = manager.Blocks; block != nullptr; block = block->Next)
    ++count;
  return count;
}

bool AllZero(const void* pointer, size_t size) {
  const auto* bytes = static_cast<const uint8_t*>(pointer);
  for (size_t i = 0; i < size; ++i) {
    if (bytes[i] != 0) return false;
  }
  return true;
}

// Runs `action` and returns the text of the CMemoryError it raised ("" when it raised none).
template <typename Action>
std::string MemoryErrorText(Action action) {
  try {
    action();
  } catch (const CMemoryError& error) {
    return error.what();
  }
  return "";
}

TEST(MemoryManagerTest, SmallAllocationsFollowEachOtherWithOneSpareByte) {
  TCustomMemoryManager manager;
  auto* first = static_cast<uint8_t*>(manager.Allocate(10));
  auto* second = static_cast<uint8_t*>(manager.Allocate(10));
  auto* third = static_cast<uint8_t*>(manager.Allocate(10));

  ASSERT_NE(manager.Blocks, nullptr);
  EXPECT_EQ(manager.Blocks->Next, nullptr);
  EXPECT_EQ(first, manager.Blocks->Base);
  EXPECT_EQ(second, manager.Blocks->Base + 10);
  EXPECT_EQ(third, manager.Blocks->Base + 21);
  EXPECT_EQ(manager.Blocks->Used, 32u);
}

TEST(MemoryManagerTest, AWholeBlockOnAnEmptyManagerFillsANewBlock) {
  TCustomMemoryManager manager;
  void* pointer = manager.Allocate(kBlock);
  ASSERT_NE(manager.Blocks, nullptr);
  EXPECT_EQ(pointer, manager.Blocks->Base);
  EXPECT_EQ(manager.Blocks->Used, kBlock);
  EXPECT_EQ(manager.Blocks->Next, nullptr);
  // The last byte of the block is usable.
  static_cast<uint8_t*>(pointer)[kBlock - 1] = 0xAB;
}

TEST(MemoryManagerTest, AWholeBlockOnAManagerWithoutRoomOpensANewestBlock) {
  TCustomMemoryManager manager;
  manager.Allocate(10);
  MemoryBlock* older = manager.Blocks;

  void* pointer = manager.Allocate(kBlock);
  ASSERT_NE(manager.Blocks, older);
  EXPECT_EQ(pointer, manager.Blocks->Base);
  EXPECT_EQ(manager.Blocks->Used, kBlock);
  EXPECT_EQ(manager.Blocks->Next, older);
  EXPECT_EQ(older->Used, 10u);
}

TEST(MemoryManagerTest, MoreThanABlockIsRefusedWithoutTouchingTheBlocks) {
  TCustomMemoryManager manager;
  EXPECT_EQ(MemoryErrorText([&] { manager.Allocate(kBlock + 1); }), "Too large memory block.");
  EXPECT_EQ(manager.Blocks, nullptr);

  manager.Allocate(10);
  EXPECT_EQ(MemoryErrorText([&] { manager.Allocate(std::numeric_limits<size_t>::max()); }),
            "Too large memory block.");
  EXPECT_EQ(CountBlocks(manager), 1);
  EXPECT_EQ(manager.Blocks->Used, 10u);
}

// A block whose Used is kBlock - 100 has room for less than 100 bytes.
struct RoomCase {
  size_t size;
  bool fitsInOldBlock;
};

class MemoryManagerRoomTest : public ::testing::TestWithParam<RoomCase> {};

TEST_P(MemoryManagerRoomTest, TheLastBytesOfABlockAreUsedOnlyWhenTheyLeaveTheSpareByte) {
  const RoomCase& c = GetParam();
  TCustomMemoryManager manager;
  manager.Allocate(kBlock - 100);
  MemoryBlock* block = manager.Blocks;
  ASSERT_EQ(block->Used, kBlock - 100);

  auto* pointer = static_cast<uint8_t*>(manager.Allocate(c.size));
  if (c.fitsInOldBlock) {
    EXPECT_EQ(pointer, block->Base + (kBlock - 100));
    EXPECT_EQ(manager.Blocks, block);
    EXPECT_EQ(block->Used, kBlock - 100 + c.size + 1);
    EXPECT_LE(block->Used, kBlock);
  } else {
    ASSERT_NE(manager.Blocks, block);
    EXPECT_EQ(pointer, manager.Blocks->Base);
    EXPECT_EQ(manager.Blocks->Used, c.size);
    EXPECT_EQ(manager.Blocks->Next, block);
    EXPECT_EQ(block->Used, kBlock - 100);
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, MemoryManagerRoomTest,
                         ::testing::Values(RoomCase{0, true}, RoomCase{1, true}, RoomCase{98, true},
                                           RoomCase{99, true}, RoomCase{100, false},
                                           RoomCase{101, false}, RoomCase{kBlock, false}));

TEST(MemoryManagerTest, AFullBlockIsNeverHandedOutAgainEvenForZeroBytes) {
  TCustomMemoryManager manager;
  manager.Allocate(kBlock);
  MemoryBlock* full = manager.Blocks;
  void* pointer = manager.Allocate(0);
  ASSERT_NE(manager.Blocks, full);
  EXPECT_EQ(pointer, manager.Blocks->Base);
  EXPECT_EQ(full->Used, kBlock);
}

TEST(MemoryManagerTest, WhenTheNewestBlockIsFullAnOlderBlockWithRoomIsUsed) {
  TCustomMemoryManager manager;
  manager.Allocate(kBlock - 100);
  MemoryBlock* older = manager.Blocks;
  manager.Allocate(kBlock);  // no room in the older block: a new, full block
  MemoryBlock* newest = manager.Blocks;
  ASSERT_NE(newest, older);

  auto* pointer = static_cast<uint8_t*>(manager.Allocate(50));
  EXPECT_EQ(pointer, older->Base + (kBlock - 100));
  EXPECT_EQ(older->Used, kBlock - 100 + 51);
  EXPECT_EQ(manager.Blocks, newest);
  EXPECT_EQ(CountBlocks(manager), 2);
}

TEST(MemoryManagerTest, TheNewestBlockIsTriedBeforeOlderOnesWithRoom) {
  TCustomMemoryManager manager;
  manager.Allocate(kBlock - 1000);
  MemoryBlock* older = manager.Blocks;
  manager.Allocate(2000);  // does not fit in the 1000 bytes left: a new block
  MemoryBlock* newest = manager.Blocks;
  ASSERT_NE(newest, older);
  ASSERT_EQ(newest->Next, older);

  // Both blocks have room for 10 bytes; the newest one gives them.
  auto* pointer = static_cast<uint8_t*>(manager.Allocate(10));
  EXPECT_EQ(pointer, newest->Base + 2000);
  EXPECT_EQ(newest->Used, 2011u);
  EXPECT_EQ(older->Used, kBlock - 1000);
}

TEST(MemoryManagerTest, AllocationsAreZeroFilledAndDoNotOverlap) {
  TCustomMemoryManager manager;
  struct Piece {
    uint8_t* pointer;
    size_t size;
    uint8_t fill;
  };
  std::vector<Piece> pieces;
  // Sizes chosen so that the pieces spread over several blocks, some filling a block to the end.
  const size_t sizes[] = {1, 0, 7, 4096, 3 * 1024 * 1024, 5 * 1024 * 1024, 65536, 1, 12345, kBlock};
  uint8_t fill = 1;
  for (int round = 0; round < 3; ++round) {
    for (size_t size : sizes) {
      auto* pointer = static_cast<uint8_t*>(manager.Allocate(size));
      ASSERT_TRUE(AllZero(pointer, size)) << "size " << size;
      std::memset(pointer, fill, size);
      pieces.push_back({pointer, size, fill});
      fill = static_cast<uint8_t>(fill % 250 + 1);
    }
  }
  for (const Piece& piece : pieces) {
    for (size_t i = 0; i < piece.size; ++i) {
      ASSERT_EQ(piece.pointer[i], piece.fill) << "piece of " << piece.size << " bytes, byte " << i;
    }
  }
  // No block ever hands out more than it holds.
  for (const MemoryBlock* block = manager.Blocks; block != nullptr; block = block->Next) {
    EXPECT_LE(block->Used, kBlock);
  }
}

TEST(MemoryManagerTest, ReleaseDoesNotGiveMemoryBack) {
  TCustomMemoryManager manager;
  auto* first = static_cast<uint8_t*>(manager.Allocate(100));
  first[0] = 1;
  manager.Release(first, 100);
  auto* second = static_cast<uint8_t*>(manager.Allocate(100));
  // The first allocation of a block takes no spare byte.
  EXPECT_EQ(second, first + 100);
  EXPECT_EQ(first[0], 1);
  EXPECT_TRUE(AllZero(second, 100));
}

TEST(MemoryManagerTest, FreeAllEmptiesTheManagerWhichCanBeUsedAgain) {
  TCustomMemoryManager manager;
  manager.Allocate(kBlock);
  manager.Allocate(kBlock);
  manager.Allocate(10);
  ASSERT_EQ(CountBlocks(manager), 3);

  manager.FreeAll();
  EXPECT_EQ(manager.Blocks, nullptr);
  manager.FreeAll();  // nothing to free: still fine
  EXPECT_EQ(manager.Blocks, nullptr);

  auto* pointer = static_cast<uint8_t*>(manager.Allocate(64));
  ASSERT_NE(manager.Blocks, nullptr);
  EXPECT_EQ(pointer, manager.Blocks->Base);
  EXPECT_EQ(manager.Blocks->Used, 64u);
  EXPECT_EQ(manager.Blocks->Next, nullptr);
  EXPECT_TRUE(AllZero(pointer, 64));
}

TEST(MemoryManagerTest, RecycleKeepsBlocksWhoseBytesAreZeroedForTheNextAllocations) {
  TCustomMemoryManager manager;
  std::memset(manager.Allocate(kBlock), 0xAB, kBlock);
  std::memset(manager.Allocate(1000), 0xCD, 1000);
  std::memset(manager.Allocate(kBlock - 2000), 0xEF, kBlock - 2000);
  ASSERT_EQ(CountBlocks(manager), 2);
  const uint8_t* newest = manager.Blocks->Base;

  manager.Recycle(1);
  ASSERT_EQ(CountBlocks(manager), 1);
  EXPECT_EQ(manager.Blocks->Base, newest);
  EXPECT_EQ(manager.Blocks->Used, 0u);
  auto* again = static_cast<uint8_t*>(manager.Allocate(kBlock - 1));
  EXPECT_EQ(again, newest);
  EXPECT_TRUE(AllZero(again, kBlock - 1));
  EXPECT_EQ(CountBlocks(manager), 1);

  manager.Recycle(0);
  EXPECT_EQ(manager.Blocks, nullptr);
}

// A short use between two long ones: what the long one wrote stays to be zeroed.
TEST(MemoryManagerTest, RecycledBytesAreZeroAfterAShorterUseInBetween) {
  TCustomMemoryManager manager;
  for (int i = 0; i < 100; ++i)
    std::memset(manager.Allocate(999), 0xAB, 1000);  // the spare byte written too
  manager.Recycle(1);
  std::memset(manager.Allocate(10), 0xCD, 10);
  manager.Recycle(1);
  for (int i = 0; i < 50; ++i) {
    // Allocations that start and end at other places than those of the first use.
    auto* bytes = static_cast<uint8_t*>(manager.Allocate(1999));
    EXPECT_TRUE(AllZero(bytes, 2000)) << i;
  }
}

struct Record16 {
  uint64_t a;
  uint64_t b;
};

TEST(MemoryManagerTest, NewGivesZeroFilledAlignedObjects) {
  TCustomMemoryManager manager;
  // A spare byte first, so that the next address is odd.
  manager.Allocate(2);
  Record16* records = manager.New<Record16>(4);
  ASSERT_NE(manager.Blocks, nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(records) % alignof(Record16), 0u);
  EXPECT_GE(reinterpret_cast<uint8_t*>(records), manager.Blocks->Base + 3);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(records[i].a, 0u);
    EXPECT_EQ(records[i].b, 0u);
  }
  uint32_t* single = manager.New<uint32_t>();
  EXPECT_EQ(reinterpret_cast<uintptr_t>(single) % alignof(uint32_t), 0u);
  EXPECT_GE(reinterpret_cast<uint8_t*>(single), reinterpret_cast<uint8_t*>(records + 4));
  EXPECT_LE(reinterpret_cast<uint8_t*>(single + 1), manager.Blocks->Base + manager.Blocks->Used);
  EXPECT_EQ(*single, 0u);
}

TEST(MemoryManagerTest, NewOfAWholeBlockOfBytesWorksAndMoreIsRefused) {
  TCustomMemoryManager manager;
  char* whole = manager.New<char>(kBlock);
  EXPECT_EQ(reinterpret_cast<uint8_t*>(whole), manager.Blocks->Base);
  EXPECT_EQ(manager.Blocks->Used, kBlock);
  EXPECT_EQ(MemoryErrorText([&] { manager.New<Record16>(kBlock / sizeof(Record16) + 1); }),
            "Too large memory block.");
}

TEST(MemoryManagerTest, NewWithACountWhoseSizeWouldOverflowIsRefused) {
  TCustomMemoryManager manager;
  const size_t max = std::numeric_limits<size_t>::max();
  // sizeof(Record16) * count wraps round to 16 and 0 bytes for these counts.
  const size_t counts[] = {max / sizeof(Record16) + 2, max / sizeof(Record16) + 1, max};
  for (size_t count : counts) {
    EXPECT_EQ(MemoryErrorText([&] { manager.New<Record16>(count); }), "Too large memory block.")
        << "count " << count;
  }
  EXPECT_EQ(manager.Blocks, nullptr);
}

}  // namespace
