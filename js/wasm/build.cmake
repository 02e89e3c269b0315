# cmake -DSOURCE_DIR=... -DBUILD_DIR=... -DOUTPUT_DIR=... [-DEMCMAKE=emcmake] -P build.cmake
# Configures (once) and builds the WebAssembly module of the quellix source tree at
# SOURCE_DIR in BUILD_DIR, and copies quellix-wasm.mjs to OUTPUT_DIR. Used by the native
# builds, which share one BUILD_DIR (<source>/build/wasm) so that it is built once, and
# by the npm package's "build" script.
foreach(dir IN ITEMS SOURCE_DIR BUILD_DIR OUTPUT_DIR)
  get_filename_component(${dir} "${${dir}}" ABSOLUTE)
endforeach()
if(NOT EMCMAKE)
  set(EMCMAKE emcmake)
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
file(MAKE_DIRECTORY "${OUTPUT_DIR}")
file(COPY_FILE "${BUILD_DIR}/dist/quellix-wasm.mjs" "${OUTPUT_DIR}/quellix-wasm.mjs" ONLY_IF_DIFFERENT)
