// The mutex the library's shared records are guarded by. A WebAssembly module built without
// threads (emscripten without -pthread) runs on one thread: there nothing is ever waited
// for, and std::mutex would only bring its failure path (std::system_error, whose message
// the printf family formats) into the module. QUELLIX_ONE_THREAD marks that build.
#ifndef QUELLIX_SRC_BASE_THREAD_LOCK_HPP
#define QUELLIX_SRC_BASE_THREAD_LOCK_HPP

#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
#define QUELLIX_ONE_THREAD 1
#else
#include <mutex>
#endif

namespace quellix::detail {

#if defined(QUELLIX_ONE_THREAD)
// Holding it excludes no one: there is no one else.
struct RecordMutex {
  void lock() noexcept {}
  bool try_lock() noexcept { return true; }
  void unlock() noexcept {}
};
#else
using RecordMutex = std::mutex;
#endif

}  // namespace quellix::detail

#endif  // QUELLIX_SRC_BASE_THREAD_LOCK_HPP
