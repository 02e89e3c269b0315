// Lazy<T>: a value given either directly or as a builder that runs once, on first use.
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
      : cell_(std::make_shared<Cell>()) {
    cell_->value.emplace(std::forward<U>(value));
    cell_->state.store(kReady, std::memory_order_release);
  }

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
    if (cell.state.load(std::memory_order_acquire) == kReady) return *cell.value;
    if (cell.builder.load(std::memory_order_relaxed) == std::this_thread::get_id())
      throw ArgumentError("deferred value needed by its own builder");
    if (!detail::lazyWaitBegins(&cell))
      throw ArgumentError("deferred values needed by each other's builders");
    std::unique_lock<std::mutex> lock(cell.mutex, std::defer_lock);
    {
      struct WaitEnds {
        ~WaitEnds() { detail::lazyWaitEnds(); }
      } ends;
      lock.lock();
    }
    switch (cell.state.load(std::memory_order_relaxed)) {
      case kReady: return *cell.value;
      case kFailed: std::rethrow_exception(cell.error);
      default: break;
    }
    detail::lazyBuildStarts(&cell);
    cell.builder.store(std::this_thread::get_id(), std::memory_order_relaxed);
    try {
      cell.value.emplace(cell.build());
    } catch (...) {
      cell.error = std::current_exception();
      cell.build = nullptr;
      cell.builder.store(std::thread::id(), std::memory_order_relaxed);
      detail::lazyBuildEnds(&cell);
      cell.state.store(kFailed, std::memory_order_release);
      throw;
    }
    cell.build = nullptr;
    cell.builder.store(std::thread::id(), std::memory_order_relaxed);
    detail::lazyBuildEnds(&cell);
    cell.state.store(kReady, std::memory_order_release);
    return *cell.value;
  }

  // Whether the value is built (false while pending or after a failed build).
  bool ready() const noexcept { return cell_->state.load(std::memory_order_acquire) == kReady; }

  // Whether two handles share one cell.
  bool sharesCellWith(const Lazy& other) const noexcept { return cell_ == other.cell_; }

 private:
  enum : int { kPending = 0, kReady = 1, kFailed = 2 };
  struct Cell {
    Cell() = default;
    explicit Cell(std::function<T()> b) : build(std::move(b)) {}
    std::atomic<int> state{kPending};
    std::atomic<std::thread::id> builder{};
    std::mutex mutex;
    std::function<T()> build;
    std::optional<T> value;
    std::exception_ptr error;
  };
  explicit Lazy(std::shared_ptr<Cell> cell) : cell_(std::move(cell)) {}
  std::shared_ptr<Cell> cell_;
};

}  // namespace quellix

#endif
