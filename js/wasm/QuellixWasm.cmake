# Settings of WebAssembly (emscripten) builds, included before src/.
#
# - Exceptions: the library reports errors by throwing and the C API catches them, so
#   every object is compiled with WebAssembly's own exception handling.
# - SIMD: the library's SSE2 paths (the text scanner's and the pattern index's 16-byte
#   steps) are compiled to WebAssembly SIMD, which emscripten translates them to; bulk
#   memory makes memcpy and memset single instructions. Both need Chrome 91, Firefox 89,
#   Safari 16.4 or Node 16.4 and later.
# - zlib: there is none for this target, so ZLIB::ZLIB is the library's own gzip reader
#   (gzip_inflate.cpp behind the zlib.h subset in zlib/) and src/ builds unchanged.
add_compile_options(-fwasm-exceptions -flto -msimd128 -msse2 -mbulk-memory -fno-rtti)
# Size first: js/CMakeLists.txt gives each source of the core its level, -Oz for all but
# those of the text loops (-O2: 3 % faster than -O3 here; two of them -Os), and links those
# first (see there): 18 KB less to load than all at -O2, and plain text as fast. One -O per command: emcc keeps
# the size setting of an -Oz that a later -O2 overrides for clang.
set(CMAKE_C_FLAGS_RELEASE "-DNDEBUG")
set(CMAKE_CXX_FLAGS_RELEASE "-DNDEBUG")
add_link_options(-fwasm-exceptions -flto -msimd128 -mbulk-memory)

add_library(quellix_wasm_inflate STATIC "${CMAKE_CURRENT_LIST_DIR}/gzip_inflate.cpp")
target_include_directories(quellix_wasm_inflate PUBLIC "${CMAKE_CURRENT_LIST_DIR}/zlib")
target_compile_features(quellix_wasm_inflate PRIVATE cxx_std_20)
target_compile_options(quellix_wasm_inflate PRIVATE -Oz)
add_library(ZLIB::ZLIB ALIAS quellix_wasm_inflate)
# find_package(ZLIB) then counts zlib as found and keeps the target above.
set(ZLIB_INCLUDE_DIR "${CMAKE_CURRENT_LIST_DIR}/zlib" CACHE PATH "zlib.h of the WebAssembly build" FORCE)
set(ZLIB_LIBRARY quellix_wasm_inflate CACHE STRING "zlib of the WebAssembly build" FORCE)
