// Scratch space for dividing a word: the stack for the usual word, buffers the thread keeps
// for longer ones, so that dividing long words again allocates nothing. Internal to the
// engine.
#ifndef QUELLIX_SRC_ENGINE_SCRATCH_HPP
#define QUELLIX_SRC_ENGINE_SCRATCH_HPP

#include <array>
#include <cstddef>
#include <memory>
#include <type_traits>

namespace quellix::detail {

// Buffers this thread keeps for words too long for the stack. Several are in use at once
// (one call needs a few, and a caller's normaliser may divide words itself); past kBlocks
// a call takes fresh memory.
class ThreadBuffers {
 public:
  static constexpr std::size_t kBlocks = 8;
  // Buffers above this size are given back after use rather than kept.
  static constexpr std::size_t kKeptBytes = std::size_t{32} << 20;

  // A free buffer of at least bytes bytes, or null when all are in use.
  std::byte* acquire(std::size_t bytes, std::size_t& block) {
    std::size_t pick = kBlocks;
    for (std::size_t k = 0; k < kBlocks; ++k) {
      if (blocks_[k].busy) continue;
      if (blocks_[k].bytes >= bytes) {
        pick = k;
        break;
      }
      if (pick == kBlocks || blocks_[k].bytes > blocks_[pick].bytes) pick = k;
    }
    if (pick == kBlocks) return nullptr;
    Block& chosen = blocks_[pick];
    if (chosen.bytes < bytes) {
      chosen.data.reset();
      chosen.bytes = 0;
      chosen.data.reset(new std::byte[bytes]);
      chosen.bytes = bytes;
    }
    chosen.busy = true;
    block = pick;
    return chosen.data.get();
  }
  void release(std::size_t block) noexcept {
    Block& given = blocks_[block];
    given.busy = false;
    if (given.bytes > kKeptBytes) {
      given.data.reset();
      given.bytes = 0;
    }
  }

 private:
  struct Block {
    std::unique_ptr<std::byte[]> data;
    std::size_t bytes = 0;
    bool busy = false;
  };
  std::array<Block, kBlocks> blocks_;
};

// Defined once, in word_division.cpp, not `inline`: MinGW-w64's GCC emits the TLS init
// function of an inline thread_local with a destructor in every object that uses it, and
// the link of the DLL or a program then fails on its multiple definitions.
extern thread_local ThreadBuffers threadBuffers;

// Stack storage for the usual word; for longer ones a buffer of this thread's.
template <class T, std::size_t N>
class Scratch {
  static_assert(std::is_trivially_copyable_v<T> && alignof(T) <= alignof(std::max_align_t));

 public:
  explicit Scratch(std::size_t n) {
    if (n <= N) return;
    if (std::byte* kept = threadBuffers.acquire(n * sizeof(T), block_)) {
      data_ = reinterpret_cast<T*>(kept);
    } else {
      heap_.reset(new T[n]);
      data_ = heap_.get();
    }
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  ~Scratch() {
    if (block_ != kNoBlock) threadBuffers.release(block_);
  }
  T* data() noexcept { return data_; }
  T& operator[](std::size_t k) noexcept { return data_[k]; }

 private:
  static constexpr std::size_t kNoBlock = ThreadBuffers::kBlocks;
  T local_[N];
  std::unique_ptr<T[]> heap_;
  T* data_ = local_;
  std::size_t block_ = kNoBlock;
};

// Words up to this many characters are divided on the stack.
inline constexpr std::size_t kStackWord = 256;

}  // namespace quellix::detail

#endif
