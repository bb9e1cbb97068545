#pragma once
// One chunk of a socket's send queue: written once from its start, drained once from its front,
// never wrapped around.

#include <cstdint>
#include <memory>

class TBuffer {
public:
    // Chunks created or resized with a size of 0 or less get this many bytes.
    static constexpr std::int32_t kDefaultSize = 1514;

    explicit TBuffer(std::int32_t size);
    TBuffer(const TBuffer&) = delete;
    TBuffer& operator=(const TBuffer&) = delete;

    // Keeps the bytes written so far; `size` must not be smaller than Written().
    void SetCapacity(std::int32_t size);
    // Appends as much of `data` as fits; returns the number of bytes taken.
    std::int32_t Write(const void* data, std::int32_t length);
    // The unconsumed bytes, or null with length 0 when there are none.
    const char* Peek(std::int32_t& length) const;
    // Takes up to `count` bytes from the front; returns how many were taken. Taking the last
    // byte empties the chunk so that it fills again from its start.
    std::int32_t Remove(std::int32_t count);

    std::int32_t Capacity() const { return capacity_; }
    std::int32_t Written() const { return written_; }
    std::int32_t Consumed() const { return consumed_; }
    const char* Memory() const { return memory_.get(); }

private:
    std::unique_ptr<char[]> memory_;
    std::int32_t capacity_ = 0;
    std::int32_t written_ = 0;
    std::int32_t consumed_ = 0;
};
