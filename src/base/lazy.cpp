// The process-wide record of first builds behind OnceCell: who builds which cell, who
// waits for which, and the one condition variable waiting threads sleep on; and
// LazyCell, the public Lazy<T>'s cell, over a OnceCell.
#include "quellix/lazy.hpp"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "once_cell.hpp"
#include "thread_lock.hpp"

namespace quellix::detail {
namespace {

struct BuildGraph {
  RecordMutex mutex;
#if !defined(QUELLIX_ONE_THREAD)
  std::condition_variable changed;  // a build ended
#endif
  // A few entries at a time (each thread builds one nest of cells and waits for at most
  // one), so plain lists: no hash table to carry into the WebAssembly core.
  std::vector<std::pair<const void*, std::thread::id>> builderOf;  // cells being built
  std::vector<std::pair<std::thread::id, const void*>> waitsFor;   // threads waiting
};

// The entry of key in list, or null.
template <typename Key, typename Value>
const Value* findIn(const std::vector<std::pair<Key, Value>>& list, const Key& key) noexcept {
  for (const auto& entry : list)
    if (entry.first == key) return &entry.second;
  return nullptr;
}

template <typename Key, typename Value>
void eraseFrom(std::vector<std::pair<Key, Value>>& list, const Key& key) noexcept {
  list.erase(std::remove_if(list.begin(), list.end(), [&key](const auto& entry) { return entry.first == key; }),
             list.end());
}

BuildGraph& graph() {
  static BuildGraph* const shared = new BuildGraph;  // never destroyed: used until exit
  return *shared;
}

// Whether waiting for cell would wait for self: follow cell -> its builder -> the cell
// that builder waits for -> ... A thread waits for one cell at a time, so the chain has
// no branches; it ends at a thread that waits for nothing, or comes back to self.
bool waitComesBack(const BuildGraph& g, const void* cell, std::thread::id self) {
  const void* next = cell;
  for (std::size_t steps = 0; steps <= g.waitsFor.size(); ++steps) {
    const std::thread::id* builder = findIn(g.builderOf, next);
    if (builder == nullptr) return false;
    if (*builder == self) return true;
    const void* const* waiting = findIn(g.waitsFor, *builder);
    if (waiting == nullptr) return false;
    next = *waiting;
  }
  return false;
}

}  // namespace

bool onceClaim(const void* cell, bool (*published)(const void*)) {
  BuildGraph& g = graph();
  const std::thread::id self = std::this_thread::get_id();
  std::unique_lock<RecordMutex> lock(g.mutex);
  for (;;) {
    if (published(cell)) return false;
    const std::thread::id* builder = findIn(g.builderOf, cell);
    if (builder == nullptr) {
      g.builderOf.emplace_back(cell, self);
      return true;
    }
    if (*builder == self) throw ArgumentError("deferred value needed by its own builder");
    if (waitComesBack(g, cell, self))
      throw ArgumentError("deferred values needed by each other's builders");
#if defined(QUELLIX_ONE_THREAD)
    // Unreachable: on one thread the caller is every cell's builder, refused above.
    throw ArgumentError("deferred value needed by its own builder");
#else
    g.waitsFor.emplace_back(self, cell);  // none yet: a thread waits in one place at a time
    g.changed.wait(lock);
    eraseFrom(g.waitsFor, self);
#endif
  }
}

void onceDone(const void* cell) noexcept {
  BuildGraph& g = graph();
  {
    const std::lock_guard<RecordMutex> lock(g.mutex);
    eraseFrom(g.builderOf, cell);
  }
#if !defined(QUELLIX_ONE_THREAD)
  g.changed.notify_all();
#endif
}

}  // namespace quellix::detail

namespace quellix {

struct LazyCell::State {
  struct Outcome {
    Value value;
    std::exception_ptr error;
  };
  std::function<Value()> build;  // until it has run
  detail::OnceCell<Outcome> outcome;

  explicit State(std::function<Value()> builder) : build(std::move(builder)) {}
  // An empty exception_ptr: nothing is thrown. NOLINTNEXTLINE(bugprone-throw-keyword-missing)
  explicit State(Value value) : outcome(Outcome{std::move(value), {}}) {}
};

LazyCell::~LazyCell() { delete state_; }

std::shared_ptr<const LazyCell> LazyCell::holding(Value value) {
  auto state = std::make_unique<State>(std::move(value));
  std::unique_ptr<LazyCell> cell(new LazyCell(state.get()));
  static_cast<void>(state.release());  // the cell owns it now
  return std::shared_ptr<const LazyCell>(std::move(cell));
}

std::shared_ptr<const LazyCell> LazyCell::deferred(std::function<Value()> build) {
  auto state = std::make_unique<State>(std::move(build));
  std::unique_ptr<LazyCell> cell(new LazyCell(state.get()));
  static_cast<void>(state.release());  // the cell owns it now
  return std::shared_ptr<const LazyCell>(std::move(cell));
}

const void* LazyCell::get() const {
  State& state = *state_;
  const State::Outcome& outcome = state.outcome.get([&state] {
    State::Outcome made;
    try {
      made.value = state.build();
    } catch (...) {
      made.error = std::current_exception();
    }
    state.build = nullptr;
    return made;
  });
  if (outcome.error) std::rethrow_exception(outcome.error);
  return outcome.value.get();
}

bool LazyCell::ready() const noexcept {
  const State::Outcome* outcome = state_->outcome.ready();
  return outcome != nullptr && !outcome->error;
}

}  // namespace quellix
