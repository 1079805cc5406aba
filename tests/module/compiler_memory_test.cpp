// The DLL's own memcpy, memmove and memset (module/startup/compiler_memory.S),
// assembled under other names: the results byte for byte against a plain loop,
// for lengths from 0 up and every offset, the bytes around the target
// untouched, memmove over every overlap in both directions.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" void* kw_test_memcpy(void* destination, const void* source, size_t count);
extern "C" void* kw_test_memmove(void* destination, const void* source, size_t count);
extern "C" void* kw_test_memset(void* destination, int value, size_t count);

namespace {

constexpr size_t kSize = 96;

std::vector<uint8_t> Pattern(uint8_t seed) {
  std::vector<uint8_t> bytes(kSize);
  for (size_t i = 0; i < kSize; ++i) bytes[i] = static_cast<uint8_t>(seed + 37 * i);
  return bytes;
}

TEST(CompilerMemory, CopyGivesTheSourceBytesAndLeavesTheRestAlone) {
  const std::vector<uint8_t> source = Pattern(1);
  for (size_t offset = 0; offset < 8; ++offset) {
    for (size_t count = 0; count <= 40; ++count) {
      std::vector<uint8_t> target = Pattern(200);
      std::vector<uint8_t> expected = target;
      for (size_t i = 0; i < count; ++i) expected[offset + i] = source[3 + i];
      EXPECT_EQ(kw_test_memcpy(target.data() + offset, source.data() + 3, count), target.data() + offset)
          << "offset " << offset << ", count " << count;
      ASSERT_EQ(target, expected) << "offset " << offset << ", count " << count;
    }
  }
}

TEST(CompilerMemory, MoveCopiesAsIfThroughABufferOverEveryOverlap) {
  for (size_t from = 0; from < 24; ++from) {
    for (size_t to = 0; to < 24; ++to) {
      for (size_t count = 0; count <= 40; count += 3) {
        std::vector<uint8_t> bytes = Pattern(9);
        std::vector<uint8_t> expected = bytes;
        const std::vector<uint8_t> original = bytes;
        for (size_t i = 0; i < count; ++i) expected[to + i] = original[from + i];
        EXPECT_EQ(kw_test_memmove(bytes.data() + to, bytes.data() + from, count), bytes.data() + to)
            << "from " << from << " to " << to << ", count " << count;
        ASSERT_EQ(bytes, expected) << "from " << from << " to " << to << ", count " << count;
      }
    }
  }
  // The direction flag is clear again after a backward move.
  std::vector<uint8_t> bytes = Pattern(3);
  kw_test_memmove(bytes.data() + 1, bytes.data(), 10);
  uint32_t flags = 0;
  asm volatile("pushfl; popl %0" : "=r"(flags));
  EXPECT_EQ(flags & 0x400u, 0u);
}

TEST(CompilerMemory, SetFillsWithTheLowByteOfTheValue) {
  for (size_t offset = 0; offset < 8; ++offset) {
    for (size_t count = 0; count <= 40; ++count) {
      std::vector<uint8_t> target = Pattern(50);
      std::vector<uint8_t> expected = target;
      for (size_t i = 0; i < count; ++i) expected[offset + i] = 0xA5;
      EXPECT_EQ(kw_test_memset(target.data() + offset, 0x7A5, count), target.data() + offset)
          << "offset " << offset << ", count " << count;
      ASSERT_EQ(target, expected) << "offset " << offset << ", count " << count;
    }
  }
}

}  // namespace
