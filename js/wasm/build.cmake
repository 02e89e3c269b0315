# cmake -DSOURCE_DIR=... -DBUILD_DIR=... -DPACKAGE_DIR=... [-DDATA_DIR=...] [-DEMCMAKE=emcmake]
#       [-DNODE=node] [-DESBUILD=esbuild] -P build.cmake
# Configures (once) and builds the WebAssembly core of the quellix source tree at
# SOURCE_DIR in BUILD_DIR, then assembles PACKAGE_DIR/dist from it and the language data
# of DATA_DIR (default SOURCE_DIR/data) with tools/package.mjs. Used by the native builds,
# which share one BUILD_DIR (<source>/build/wasm) so that it is built once, and by the npm
# package's "build" script.
if(NOT DATA_DIR)
  set(DATA_DIR "${SOURCE_DIR}/data")
endif()
if(NOT NODE)
  set(NODE node)
endif()
foreach(dir IN ITEMS SOURCE_DIR BUILD_DIR PACKAGE_DIR DATA_DIR)
  get_filename_component(${dir} "${${dir}}" ABSOLUTE)
endforeach()
if(NOT EMCMAKE)
  set(EMCMAKE emcmake)
endif()
if(NOT ESBUILD)
  set(ESBUILD esbuild)
endif()
# Debian's emscripten runs its JavaScript tools with the system's Node modules.
if(NOT DEFINED ENV{NODE_PATH} AND EXISTS /usr/share/nodejs)
  set(ENV{NODE_PATH} /usr/share/nodejs)
endif()
if(NOT EXISTS "${BUILD_DIR}/CMakeCache.txt")
  find_program(ninja ninja)
  set(generator "")
  if(ninja)
    set(generator -G Ninja)
  endif()
  execute_process(
    COMMAND "${EMCMAKE}" "${CMAKE_COMMAND}" -S "${SOURCE_DIR}" -B "${BUILD_DIR}" ${generator}
            -DCMAKE_BUILD_TYPE=Release "-DQUELLIX_WASM_OUTPUT_DIR=${BUILD_DIR}/dist"
            -DQUELLIX_BUILD_TESTS=OFF -DQUELLIX_BUILD_BENCH=OFF -DQUELLIX_BUILD_TOOLS=OFF
            -DQUELLIX_BUILD_EXAMPLES=OFF -DQUELLIX_BUILD_PYTHON=OFF -DQUELLIX_INSTALL=OFF
    RESULT_VARIABLE failed)
  if(failed)
    file(REMOVE "${BUILD_DIR}/CMakeCache.txt")
    message(FATAL_ERROR "quellix: configuring the WebAssembly build failed")
  endif()
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" --build "${BUILD_DIR}" --target quellix_wasm -j 2
                RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "quellix: building the WebAssembly module failed")
endif()
# zopfli, where installed, makes the language files a tenth smaller (same content).
find_program(ZOPFLI zopfli)
set(zopfli_options "")
if(ZOPFLI)
  set(zopfli_options --zopfli "${ZOPFLI}" --zopfli-cache "${BUILD_DIR}/zopfli")
else()
  message(STATUS "quellix: zopfli not found: the language files are the data set's gzip files as they are")
endif()
execute_process(COMMAND "${NODE}" "${SOURCE_DIR}/js/tools/package.mjs" --core "${BUILD_DIR}/dist"
                        --data "${DATA_DIR}" --package "${PACKAGE_DIR}" --esbuild "${ESBUILD}"
                        ${zopfli_options}
                RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "quellix: assembling the npm package's dist/ failed")
endif()
