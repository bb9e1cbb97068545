#include "net/WSockBuf.h"

#include <algorithm>
#include <cstring>

TBuffer::TBuffer(std::int32_t size) {
    SetCapacity(size);
}

void TBuffer::SetCapacity(std::int32_t size) {
    if (size <= 0)
        size = kDefaultSize;
    if (size == capacity_)
        return;
    // Never cut off data already written, whatever the caller asks.
    size = std::max(size, written_);
    auto block = std::make_unique<char[]>(static_cast<std::size_t>(size));
    if (written_ != consumed_ && written_ > 0)
        std::memcpy(block.get(), memory_.get(), static_cast<std::size_t>(written_));
    else
        written_ = consumed_ = 0;
    memory_ = std::move(block);
    capacity_ = size;
}

std::int32_t TBuffer::Write(const void* data, std::int32_t length) {
    const std::int32_t room = capacity_ - written_;
    if (room <= 0 || length <= 0)
        return 0;
    const std::int32_t count = std::min(room, length);
    std::memcpy(memory_.get() + written_, data, static_cast<std::size_t>(count));
    written_ += count;
    return count;
}

const char* TBuffer::Peek(std::int32_t& length) const {
    if (written_ == consumed_) {
        length = 0;
        return nullptr;
    }
    length = written_ - consumed_;
    return memory_.get() + consumed_;
}

std::int32_t TBuffer::Remove(std::int32_t count) {
    const std::int32_t available = written_ - consumed_;
    if (available <= 0 || count <= 0)
        return 0;
    const std::int32_t taken = std::min(count, available);
    consumed_ += taken;
    if (consumed_ == written_)
        written_ = consumed_ = 0;
    return taken;
}
