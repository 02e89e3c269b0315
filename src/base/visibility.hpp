// QUELLIX_HIDDEN: keeps a declaration of the library's own out of the exported symbols
// where visibility attributes exist (ELF, Mach-O, WebAssembly). Windows images export
// only what is marked for export, so there it is empty. Internal.
#ifndef QUELLIX_SRC_VISIBILITY_HPP
#define QUELLIX_SRC_VISIBILITY_HPP

#if !defined(_WIN32) && !defined(__CYGWIN__) && (defined(__GNUC__) || defined(__clang__))
#define QUELLIX_HIDDEN __attribute__((visibility("hidden")))
#else
#define QUELLIX_HIDDEN
#endif

#endif
