#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "replay_container.h"

namespace vantrel {

// An inflate error met while the game is read: the parse ends with this text and keeps no
// results, as when the error is met before the game is read.
struct InflateFailure {
  std::string text;
};

// The decompressed game as the steps of a parse read it: a window of bytes that starts at
// `offset()` bytes into the game. Over a buffer that holds the whole game the window is that
// buffer. Over the blocks of a replay file the window is a stretch of the game that Fill moves
// forward, inflating blocks as it goes: the game is never held whole, and the bytes read are
// still in the cache when the walk reads them.
class GameBytes {
 public:
  // What the window of a file's blocks starts with: room for the longest block of the block
  // stream several times over, small enough to stay in the cache beside the records being made.
  static constexpr size_t kFirstWindow = 256 * 1024;

  // The whole game, in a buffer of the caller.
  GameBytes(const uint8_t* data, size_t size);
  // The whole game, in a buffer this object keeps until Release.
  explicit GameBytes(InflatedReplay whole);
  // The game of `blocks`, inflated as Fill asks for it.
  explicit GameBytes(BlockReader& blocks);

  const uint8_t* data() const { return data_; }
  size_t size() const { return size_; }
  size_t offset() const { return offset_; }
  // Whether the window reaches the end of the game.
  bool complete() const { return complete_; }

  // Moves the start of the window to `from` (at least offset(); bytes before it are dropped)
  // and inflates until the window holds `count` bytes or reaches the end of the game. Pointers
  // into the window become invalid. Throws InflateFailure.
  void Fill(size_t from, size_t count);
  // Whether every byte of the game from `from` on is zero. Inflates the rest of the blocks, so
  // that an error in any block is met (InflateFailure) however early the reading stopped.
  bool RestIsZero(size_t from);
  // Inflates the rest of the blocks for their errors only (InflateFailure).
  void ReadToEnd();
  // Gives back the memory of the window; nothing is read after this.
  void Release();
  // The bytes of memory the window holds.
  size_t HeldBytes() const { return held_; }

 private:
  void Adopt(const uint8_t* data, size_t size, size_t held);
  // Inflates the next block, or writes the zero bytes that follow the last one, at the end of
  // the window (made larger when it is full). False when the game has no byte more.
  bool Grow();
  // Whether the next block fits in the room left in the window.
  bool BlockFits();
  void Resize(size_t capacity);
  // Inflates the rest of the game from `from` on; with `look`, whether all of it is zero.
  bool Drain(size_t from, bool look);
  void Check(const ContainerResult& result) const;

  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
  size_t offset_ = 0;
  bool complete_ = true;
  size_t held_ = 0;
  BlockReader* blocks_ = nullptr;
  // Of a file's blocks: the window, `size_` bytes of it filled. Not zeroed: every byte is
  // written before it is read.
  std::unique_ptr<uint8_t[]> window_;
  size_t capacity_ = 0;
  size_t zerosLeft_ = 0;  // zero bytes of the game after the last block not yet in the window
  InflatedReplay whole_;
};

}  // namespace vantrel
