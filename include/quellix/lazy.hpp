// Lazy<T>: a value given either directly or as a builder that runs once, on first use;
// and OnceCell<T>, the build-once cell beneath it and beneath every value the library
// builds once and shares.
#ifndef QUELLIX_LAZY_HPP
#define QUELLIX_LAZY_HPP

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

#include "quellix/error.hpp"
#include "quellix/export.hpp"

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
[[nodiscard]] QUELLIX_API bool onceClaim(const void* cell, bool (*published)(const void*));
// The calling thread has finished building cell, successfully or not: waiting threads look
// again (after a failed build, one of them builds). Never throws.
QUELLIX_API void onceDone(const void* cell) noexcept;

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

// A copyable handle to one shared cell holding a T that is built at most once.
//
// Copies share the cell: a value built through one copy is seen by all of them. get()
// is safe from any number of threads at once; a thread that asks while another builds
// waits for that build. When the builder throws, the cell keeps the error and every later
// get() rethrows that same exception object. Once built, the value is immutable and read
// without locking.
template <class T>
class Lazy {
 public:
  // A cell that already holds T(value). Implicit, so a plain T (or anything T is made
  // from, such as a lambda for a std::function) may be passed where a Lazy<T> is expected.
  template <class U>
    requires(std::is_constructible_v<T, U &&> && !std::is_same_v<std::decay_t<U>, Lazy>)
  Lazy(U&& value)  // NOLINT(google-explicit-constructor)
      : cell_(std::make_shared<Cell>(Outcome{std::optional<T>(std::in_place, std::forward<U>(value)), {}})) {}

  // A cell whose value build() makes on the first get().
  static Lazy deferred(std::function<T()> build) {
    return Lazy(std::make_shared<Cell>(std::move(build)));
  }

  // The value, built first if need be. Throws what the builder threw (on this and every
  // later call), or ArgumentError if the builder asks for the value it is building, or
  // for one whose builder (on any thread, through any chain of deferred builders) waits
  // for a value this thread is building: such builders would otherwise wait for each
  // other forever. In that case the builder that asked last gets the ArgumentError.
  const T& get() const {
    Cell& cell = *cell_;
    const Outcome& outcome = cell.outcome.get([&cell] {
      Outcome made;
      try {
        made.value.emplace(cell.build());
      } catch (...) {
        made.error = std::current_exception();
      }
      cell.build = nullptr;
      return made;
    });
    if (outcome.error) std::rethrow_exception(outcome.error);
    return *outcome.value;
  }

  // Whether the value is built (false while pending or after a failed build).
  bool ready() const noexcept {
    const Outcome* outcome = cell_->outcome.ready();
    return outcome != nullptr && !outcome->error;
  }

  // Whether two handles share one cell.
  bool sharesCellWith(const Lazy& other) const noexcept { return cell_ == other.cell_; }

 private:
  // What the builder gave: the value, or the error it threw.
  struct Outcome {
    std::optional<T> value;
    std::exception_ptr error;
  };
  struct Cell {
    explicit Cell(std::function<T()> b) : build(std::move(b)) {}
    explicit Cell(Outcome ready) : outcome(std::move(ready)) {}
    std::function<T()> build;
    detail::OnceCell<Outcome> outcome;
  };
  explicit Lazy(std::shared_ptr<Cell> cell) : cell_(std::move(cell)) {}
  std::shared_ptr<Cell> cell_;
};

}  // namespace quellix

#endif
