#include "game_bytes.h"

#include <algorithm>
#include <cstring>

namespace vantrel {
namespace {

bool AllZero(const uint8_t* data, size_t size) {
  return std::all_of(data, data + size, [](uint8_t b) { return b == 0; });
}

}  // namespace

GameBytes::GameBytes(const uint8_t* data, size_t size) {
  Adopt(data, size, 0);
}

GameBytes::GameBytes(InflatedReplay whole) : whole_(std::move(whole)) {
  Adopt(whole_.data.get(), whole_.size, whole_.size);
}

GameBytes::GameBytes(BlockReader& blocks) : complete_(false), blocks_(&blocks) {
  Check(blocks.CheckSize());
  Resize(kFirstWindow);
  if (blocks.Done()) zerosLeft_ = blocks.Remaining();
}

void GameBytes::Adopt(const uint8_t* data, size_t size, size_t held) {
  data_ = data;
  size_ = size;
  held_ = held;
  complete_ = true;
}

void GameBytes::Check(const ContainerResult& result) const {
  if (!result.ok) throw InflateFailure{result.error};
}

void GameBytes::Resize(size_t capacity) {
  std::unique_ptr<uint8_t[]> larger(new uint8_t[capacity]);
  if (size_ > 0) std::memcpy(larger.get(), window_.get(), size_);
  window_ = std::move(larger);
  capacity_ = capacity;
  data_ = window_.get();
  held_ = capacity;
}

bool GameBytes::BlockFits() {
  uint32_t expected = 0;
  Check(blocks_->Next(expected));
  return expected <= capacity_ - size_;
}

bool GameBytes::Grow() {
  if (complete_) return false;
  if (size_ == capacity_) Resize(capacity_ * 2);
  if (!blocks_->Done()) {
    uint32_t expected = 0;
    Check(blocks_->Next(expected));
    if (expected > capacity_ - size_) Resize(size_ + expected);
    Check(blocks_->Inflate(window_.get() + size_));
    size_ += expected;
    if (blocks_->Done()) {
      Check(blocks_->Finish());
      zerosLeft_ = blocks_->Remaining();
    }
  } else {
    // What the blocks do not cover of the game's size reads as zero bytes.
    const size_t zeros = std::min(zerosLeft_, capacity_ - size_);
    std::memset(window_.get() + size_, 0, zeros);
    size_ += zeros;
    zerosLeft_ -= zeros;
  }
  complete_ = blocks_->Done() && zerosLeft_ == 0;
  return true;
}

void GameBytes::Fill(size_t from, size_t count) {
  if (blocks_ == nullptr) return;  // the whole game is there
  from = std::max(from, offset_);  // what was dropped stays dropped
  // What lies before `from` is dropped, inflated first when it is not yet there.
  while (from > offset_ + size_ && !complete_) {
    offset_ += size_;
    size_ = 0;
    Grow();
  }
  const size_t drop = std::min(from - offset_, size_);
  if (drop > 0) {
    std::memmove(window_.get(), window_.get() + drop, size_ - drop);
    size_ -= drop;
    offset_ += drop;
  }
  while (size_ < count && Grow()) {
  }
  // Then as much as fits in the window as it is, so that the next move comes late.
  while (!complete_ && size_ < capacity_ && (blocks_->Done() || BlockFits()))
    Grow();
}

bool GameBytes::RestIsZero(size_t from) {
  return Drain(from, true);
}

void GameBytes::ReadToEnd() {
  Drain(offset_ + size_, false);
}

bool GameBytes::Drain(size_t from, bool look) {
  if (blocks_ == nullptr) {
    const size_t start = std::min(std::max(from, offset_) - offset_, size_);
    return look && AllZero(data_ + start, size_ - start);
  }
  Fill(from, 0);
  bool zero = look;
  for (;;) {
    // Once a byte is not zero, the rest is inflated only for its errors.
    zero = zero && AllZero(data_, size_);
    if (complete_) return zero;
    Fill(offset_ + size_, 1);
  }
}

void GameBytes::Release() {
  window_.reset();
  whole_.data.reset();
  data_ = nullptr;
  size_ = capacity_ = held_ = 0;
}

}  // namespace vantrel
