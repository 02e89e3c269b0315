/* Symbol visibility for the quellix shared library. Included by the C header quellix.h
 * too, so it keeps to C comments. */
#ifndef QUELLIX_EXPORT_HPP
#define QUELLIX_EXPORT_HPP

/* The library is built with hidden visibility; QUELLIX_API marks what it exports. */
#if defined(_WIN32)
#  if defined(QUELLIX_BUILDING)
#    define QUELLIX_API __declspec(dllexport)
#  else
#    define QUELLIX_API __declspec(dllimport)
#  endif
#else
#  define QUELLIX_API __attribute__((visibility("default")))
#endif

#endif
