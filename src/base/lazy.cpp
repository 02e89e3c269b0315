// The process-wide record of deferred builds and waits behind Lazy<T>::get's check for
// builders that need each other across threads.
#include <mutex>
#include <thread>
#include <unordered_map>

#include "quellix/lazy.hpp"

namespace quellix::detail {
namespace {

struct BuildGraph {
  std::mutex mutex;
  std::unordered_map<const void*, std::thread::id> builderOf;  // cells being built
  std::unordered_map<std::thread::id, const void*> waitsFor;   // threads about to wait
};

BuildGraph& graph() {
  static BuildGraph* const shared = new BuildGraph;  // never destroyed: used until exit
  return *shared;
}

}  // namespace

void lazyBuildStarts(const void* cell) {
  BuildGraph& g = graph();
  const std::lock_guard<std::mutex> lock(g.mutex);
  g.builderOf[cell] = std::this_thread::get_id();
}

void lazyBuildEnds(const void* cell) noexcept {
  BuildGraph& g = graph();
  const std::lock_guard<std::mutex> lock(g.mutex);
  g.builderOf.erase(cell);
}

bool lazyWaitBegins(const void* cell) {
  BuildGraph& g = graph();
  const std::thread::id self = std::this_thread::get_id();
  const std::lock_guard<std::mutex> lock(g.mutex);
  // Follow cell -> its builder -> the cell that builder waits for -> ... A thread waits
  // for one cell at a time, so the chain has no branches; it ends at a thread that waits
  // for nothing, or comes back to this thread.
  const void* next = cell;
  for (std::size_t steps = 0; steps <= g.waitsFor.size(); ++steps) {
    const auto building = g.builderOf.find(next);
    if (building == g.builderOf.end()) break;
    if (building->second == self) return false;
    const auto waiting = g.waitsFor.find(building->second);
    if (waiting == g.waitsFor.end()) break;
    next = waiting->second;
  }
  g.waitsFor[self] = cell;
  return true;
}

void lazyWaitEnds() noexcept {
  BuildGraph& g = graph();
  const std::lock_guard<std::mutex> lock(g.mutex);
  g.waitsFor.erase(std::this_thread::get_id());
}

}  // namespace quellix::detail
