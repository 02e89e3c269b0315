/* Symbol visibility for the quellix library: QUELLIX_API marks what it exports. Included
 * by the C header quellix.h too, so it keeps to C comments.
 *
 * QUELLIX_SHARED says the library is (or is being built as) a shared library; the build
 * defines it for the library's own sources and for everything that links the shared
 * library (the CMake target, its installed package and pkg-config carry it). QUELLIX_BUILDING
 * is defined only while the library itself is compiled. So:
 *   static library        QUELLIX_API is empty (nothing to export or import);
 *   shared, on Windows    __declspec(dllexport) while building, __declspec(dllimport) for
 *                         its users;
 *   shared, elsewhere     default visibility: the library is compiled with hidden
 *                         visibility, and these symbols are the ones left visible. */
#ifndef QUELLIX_EXPORT_HPP
#define QUELLIX_EXPORT_HPP

#if !defined(QUELLIX_SHARED)
#  define QUELLIX_API
#elif defined(_WIN32) || defined(__CYGWIN__)
#  if defined(QUELLIX_BUILDING)
#    define QUELLIX_API __declspec(dllexport)
#  else
#    define QUELLIX_API __declspec(dllimport)
#  endif
#elif defined(__GNUC__) || defined(__clang__)
#  define QUELLIX_API __attribute__((visibility("default")))
#else
#  define QUELLIX_API
#endif

#endif
