#include "net/WSockBuf.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(TBuffer, NonPositiveSizesGiveTheDefaultChunk) {
    for (const int size : {0, -5}) {
        TBuffer buffer(size);
        EXPECT_EQ(buffer.Capacity(), 1514) << size;
        buffer.SetCapacity(size);
        EXPECT_EQ(buffer.Capacity(), 1514) << size;
    }
}

TEST(TBuffer, WriteTakesWhatFitsAndAFullChunkTakesNothing) {
    const std::string data(2000, 'x');
    TBuffer buffer(1460);
    EXPECT_EQ(buffer.Write(data.data(), 2000), 1460);
    EXPECT_EQ(buffer.Write(data.data(), 10), 0);
    TBuffer second(1460);
    EXPECT_EQ(second.Write(data.data() + 1460, 540), 540);
    EXPECT_EQ(second.Written(), 540);
}

TEST(TBuffer, RemovingTheLastByteRestartsTheChunkAtItsStart) {
    TBuffer buffer(8);
    buffer.Write("abcdef", 6);
    EXPECT_EQ(buffer.Remove(2), 2);
    std::int32_t length = 0;
    const char* data = buffer.Peek(length);
    ASSERT_EQ(length, 4);
    EXPECT_EQ(std::string(data, 4), "cdef");
    EXPECT_EQ(buffer.Remove(100), 4); // only what is there
    EXPECT_EQ(buffer.Written(), 0);
    EXPECT_EQ(buffer.Consumed(), 0);
    EXPECT_EQ(buffer.Peek(length), nullptr);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(buffer.Remove(1), 0);
    EXPECT_EQ(buffer.Write("12345678", 8), 8); // the whole block again
    EXPECT_EQ(std::string(buffer.Memory(), 8), "12345678");
}

TEST(TBuffer, GrowingKeepsUnconsumedData) {
    TBuffer buffer(4);
    buffer.Write("wxyz", 4);
    buffer.Remove(1);
    buffer.SetCapacity(16);
    std::int32_t length = 0;
    const char* data = buffer.Peek(length);
    ASSERT_EQ(length, 3);
    EXPECT_EQ(std::string(data, 3), "xyz");
    EXPECT_EQ(buffer.Write("0123456789ab", 12), 12);
    // A size below what is written never cuts data off.
    buffer.SetCapacity(2);
    EXPECT_GE(buffer.Capacity(), buffer.Written());
}

} // namespace
