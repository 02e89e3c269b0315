// Lazy<T>: a value given either directly or as a builder that runs once, on first use;
// and OnceCell<T>, the build-once cell beneath it and beneath every value the library
// builds once and shares.
#ifndef QUELLIX_LAZY_HPP
#define QUELLIX_LAZY_HPP

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <type_traits>
#include <utility>

#include "quellix/error.hpp"
#include "quellix/export.hpp"

namespace quellix {

namespace detail {
// Who builds which deferred cell and which cell each thread waits for, process-wide, so
// that builders needing each other from different threads are found instead of waiting
// forever. Thread-safe.
// The calling thread builds cell until lazyBuildEnds(cell). May throw std::bad_alloc.
QUELLIX_API void lazyBuildStarts(const void* cell);
QUELLIX_API void lazyBuildEnds(const void* cell) noexcept;
// The calling thread is about to wait for cell: returns false, recording nothing, when the
// thread building cell waits (through any chain of builders) for one this thread builds;
// otherwise records the wait until lazyWaitEnds(). May throw std::bad_alloc.
[[nodiscard]] QUELLIX_API bool lazyWaitBegins(const void* cell);
QUELLIX_API void lazyWaitEnds() noexcept;

// OnceCell<T>: the one way the library builds a value once and shares it (the deferred
// tables behind Lazy, the lookup index and automaton of a trie, the ready view of a
// hyphenator, the hyphenator of each built-in language).
//
// Why it is thread-safe, for all of them: the value is constructed completely before its
// address is published with a release store, and read through an acquire load, so a
// reader that sees the address sees the whole value; a published value is never changed
// or moved until the cell is destroyed. Builds are serialised by the cell's mutex: a
// caller that finds none published takes the mutex, looks again and only then builds, so
// at most one build succeeds and every other caller waits for it and uses its value. A
// build that throws publishes nothing, and the next caller builds again. A thread that
// asks a cell while building it, or while building a value whose builder (on any thread,
// through any chain of cells) waits for one this thread builds, gets ArgumentError
// instead of waiting forever; the process-wide record of builds and waits above serves
// that check, and is touched only on the way to a build, never once a value is there.
template <class T>
class OnceCell {
 public:
  constexpr OnceCell() noexcept = default;
  // A cell that holds value from the start.
  explicit OnceCell(T value) : value_(new T(std::move(value))) {}
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
  template <class Build>
  const T& buildOnce(Build& build) const {
    if (builder_.load(std::memory_order_relaxed) == std::this_thread::get_id())
      throw ArgumentError("deferred value needed by its own builder");
    if (!lazyWaitBegins(this)) throw ArgumentError("deferred values needed by each other's builders");
    std::unique_lock<std::mutex> lock(mutex_, std::defer_lock);
    {
      struct WaitEnds {
        ~WaitEnds() { lazyWaitEnds(); }
      } ends;
      lock.lock();
    }
    if (const T* value = value_.load(std::memory_order_relaxed)) return *value;
    lazyBuildStarts(this);
    builder_.store(std::this_thread::get_id(), std::memory_order_relaxed);
    struct BuildEnds {
      const OnceCell* cell;
      ~BuildEnds() {
        cell->builder_.store(std::thread::id(), std::memory_order_relaxed);
        lazyBuildEnds(cell);
      }
    } ends{this};
    std::unique_ptr<T> made;
    if constexpr (std::is_same_v<std::decay_t<decltype(build())>, std::unique_ptr<T>>)
      made = build();
    else
      made.reset(new T(build()));
    const T* published = made.release();
    value_.store(published, std::memory_order_release);
    return *published;
  }

  mutable std::atomic<const T*> value_{nullptr};
  mutable std::atomic<std::thread::id> builder_{};
  mutable std::mutex mutex_;
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
