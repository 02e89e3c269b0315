// OnceCell<T>, the one way the library builds a value once and shares it, and the
// process-wide record of first builds beneath it (lazy.cpp). Internal: the public Lazy<T>
// (quellix/lazy.hpp) reaches it through LazyCell.
#ifndef QUELLIX_SRC_BASE_ONCE_CELL_HPP
#define QUELLIX_SRC_BASE_ONCE_CELL_HPP

#include <atomic>
#include <memory>
#include <type_traits>
#include <utility>

namespace quellix {

namespace detail {
// The process-wide record behind every OnceCell's first build: which thread builds which
// cell, and which cell each waiting thread waits for. Thread-safe.
//
// onceClaim: returns true when the calling thread is to build cell (now recorded as its
// builder), false as soon as published(cell) says its value is there, waiting meanwhile
// while another thread builds it. Throws ArgumentError instead of waiting when the caller
// builds cell itself ("deferred value needed by its own builder") or when cell's builder
// waits, through any chain of builders, for a cell the caller builds ("deferred values
// needed by each other's builders"); std::bad_alloc.
[[nodiscard]] bool onceClaim(const void* cell, bool (*published)(const void*));
// The calling thread has finished building cell, successfully or not: waiting threads look
// again (after a failed build, one of them builds). Never throws.
void onceDone(const void* cell) noexcept;

// OnceCell<T>: the one way the library builds a value once and shares it (the deferred
// tables behind Lazy, the lookup index and automaton of a trie, the ready view of a
// hyphenator, the hyphenator of each built-in language). It is one pointer.
//
// Why it is thread-safe, for all of them: the value is constructed completely before its
// address is published with a release store, and read through an acquire load, so a
// reader that sees the address sees the whole value; a published value is never changed
// or moved until the cell is destroyed. A caller that finds no value claims the build in
// the process-wide record above, under its one mutex: at most one thread holds the claim,
// and every other caller waits (on the record's condition variable) until the value is
// published, so at most one build of a cell succeeds and everyone uses its value. A build
// that throws publishes nothing and gives up the claim; the next caller builds again.
// Builders run without any lock held, so a builder may use other cells; one that would
// wait for itself, directly or through other threads' builders, gets ArgumentError
// instead. The record is touched only on the way to a first build, never once a value is
// there.
template <class T>
class OnceCell {
 public:
  constexpr OnceCell() noexcept = default;
  // A cell that holds value from the start.
  explicit OnceCell(T value) : value_(new T(std::move(value))) {}
  // A cell that holds *value from the start (null: an empty cell).
  explicit OnceCell(std::unique_ptr<const T> value) noexcept : value_(value.release()) {}
  OnceCell(const OnceCell&) = delete;
  OnceCell& operator=(const OnceCell&) = delete;
  ~OnceCell() { delete value_.load(std::memory_order_acquire); }

  // The value, or null while none is built. One acquire load; never throws.
  const T* ready() const noexcept { return value_.load(std::memory_order_acquire); }

  // The value, built first by build() (returning T or std::unique_ptr<T>) if there is
  // none. Throws what build throws, std::bad_alloc, or ArgumentError as described above.
  template <class Build>
  const T& get(Build&& build) const {
    if (const T* value = ready()) [[likely]] return *value;
    return buildOnce(build);
  }

 private:
  static bool published(const void* cell) noexcept {
    return static_cast<const OnceCell*>(cell)->ready() != nullptr;
  }

  template <class Build>
  const T& buildOnce(Build& build) const {
    if (!onceClaim(this, &published)) return *ready();
    struct Done {
      const OnceCell* cell;
      ~Done() { onceDone(cell); }
    } done{this};
    std::unique_ptr<const T> made;
    if constexpr (std::is_same_v<std::decay_t<decltype(build())>, std::unique_ptr<T>> ||
                  std::is_same_v<std::decay_t<decltype(build())>, std::unique_ptr<const T>>)
      made = build();
    else
      made.reset(new T(build()));
    const T* value = made.release();
    value_.store(value, std::memory_order_release);
    return *value;
  }

  mutable std::atomic<const T*> value_{nullptr};
};

}  // namespace detail

}  // namespace quellix

#endif
