// Lazy<T>: a value given either directly or as a builder that runs once, on first use,
// over LazyCell, the cell the library and programs share.
#ifndef QUELLIX_LAZY_HPP
#define QUELLIX_LAZY_HPP

#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

#include "quellix/error.hpp"
#include "quellix/export.hpp"

namespace quellix {

// The shared cell behind every Lazy<T>, whatever T is: a value built at most once, held
// as an untyped pointer. It is part of the library's ABI on purpose: Lazy<T> is a template
// compiled into each program, and a program and the library hand each other Lazy cells
// (a Hyphenator is made of them), so both must build and read a cell through the same
// code, these exported functions. What a cell holds (the value or its builder's error,
// and how threads wait for a build) is the library's own: a LazyCell is one pointer to
// that state, made only by holding() and deferred(), so the state may change without
// changing the ABI. Lazy<T> is the typed face; use it rather than this class.
//
// Thread-safe: any number of threads may call get() and ready() on one cell at once; a
// thread that asks while another builds waits for that build. A builder that asks for its
// own cell, or for one whose builder (on any thread, through any chain of builders) waits
// for a cell this thread is building, gets ArgumentError instead of waiting forever.
class QUELLIX_API LazyCell {
 public:
  using Value = std::shared_ptr<const void>;

  // A cell that holds value. Throws std::bad_alloc.
  [[nodiscard]] static std::shared_ptr<const LazyCell> holding(Value value);
  // A cell whose value build() makes on the first get(). Throws std::bad_alloc.
  [[nodiscard]] static std::shared_ptr<const LazyCell> deferred(std::function<Value()> build);

  LazyCell(const LazyCell&) = delete;
  LazyCell& operator=(const LazyCell&) = delete;
  ~LazyCell();

  // The value, built first if need be (the builder is then dropped). When the builder
  // throws, the cell keeps the error and this and every later call rethrows that same
  // exception object. Throws ArgumentError as described above, and std::bad_alloc.
  const void* get() const;
  // Whether the value is built (false while pending or after a failed build). Never throws.
  bool ready() const noexcept;

 private:
  struct State;
  // Takes over state. Inline, so not exported: only holding() and deferred() make cells.
  explicit LazyCell(State* state) noexcept : state_(state) {}
  State* state_;  // owned; deleted by the destructor
};

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
      : cell_(LazyCell::holding(std::make_shared<const T>(std::forward<U>(value)))) {}

  // A cell whose value build() makes on the first get().
  static Lazy deferred(std::function<T()> build) {
    return Lazy(LazyCell::deferred([build = std::move(build)]() -> LazyCell::Value {
      return std::make_shared<const T>(build());
    }));
  }

  // The value, built first if need be. Throws what the builder threw (on this and every
  // later call), or ArgumentError if the builder asks for the value it is building, or
  // for one whose builder (on any thread, through any chain of deferred builders) waits
  // for a value this thread is building: such builders would otherwise wait for each
  // other forever. In that case the builder that asked last gets the ArgumentError.
  const T& get() const { return *static_cast<const T*>(cell_->get()); }

  // Whether the value is built (false while pending or after a failed build).
  bool ready() const noexcept { return cell_->ready(); }

  // Whether two handles share one cell.
  bool sharesCellWith(const Lazy& other) const noexcept { return cell_ == other.cell_; }

 private:
  explicit Lazy(std::shared_ptr<const LazyCell> cell) noexcept : cell_(std::move(cell)) {}
  std::shared_ptr<const LazyCell> cell_;
};

}  // namespace quellix

#endif
