# Package tests, run by ctest as `cmake -D STEP=... -P package_test.cmake`:
#   install      cmake --install the build tree into STAGE and check what landed there;
#   find_package build and run consumer/ against STAGE through quellixConfig.cmake;
#   pkg_config   compile consumer/main.cpp with `pkg-config --cflags --libs quellix`, run it;
#   subproject   configure parent/, which takes quellix in by add_subdirectory or
#                FetchContent (CONSUME), without building it.
# Inputs: STEP, BUILD_DIR, STAGE, WORK, GENERATOR, CXX, CXX_FLAGS, CC, C_FLAGS, LIBDIR,
# VERSION, EN_US (whether en-us is built in; the consumers' runs skip without it), and
# per step HAVE_TOOL, PKG_CONFIG, SOURCE_DIR, DATA_DIR, CONSUME,
# TOOL_SOURCE_DIR, TOOL_INCLUDE_DIR.
cmake_minimum_required(VERSION 3.20)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    string(REPLACE ";" " " command "${ARGN}")
    message(FATAL_ERROR "failed (${status}): ${command}\n${out}")
  endif()
  set(run_output "${out}" PARENT_SCOPE)
endfunction()

function(expect_output_has text)
  string(FIND "${run_output}" "${text}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "expected \"${text}\" in the output:\n${run_output}")
  endif()
endfunction()

set(here "${CMAKE_CURRENT_LIST_DIR}")
separate_arguments(cxx_flags UNIX_COMMAND "${CXX_FLAGS}")

if(STEP STREQUAL "install")
  file(REMOVE_RECURSE "${STAGE}")
  run("${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${STAGE}")
  foreach(file
      "${LIBDIR}/libquellix.so"
      "${LIBDIR}/libquellix.so.${VERSION}"
      "include/quellix/paths.hpp"
      "include/quellix/version.hpp"
      "include/quellix/pattern.hpp"
      "${LIBDIR}/cmake/quellix/quellixConfig.cmake"
      "${LIBDIR}/cmake/quellix/quellixConfigVersion.cmake"
      "${LIBDIR}/cmake/quellix/quellixTargets.cmake"
      "${LIBDIR}/pkgconfig/quellix.pc")
    if(NOT EXISTS "${STAGE}/${file}")
      message(FATAL_ERROR "not installed: ${file}")
    endif()
  endforeach()
  # libquellix.so -> libquellix.so.SOVERSION (the SONAME) -> libquellix.so.VERSION
  file(READ_SYMLINK "${STAGE}/${LIBDIR}/libquellix.so" link)
  file(READ_SYMLINK "${STAGE}/${LIBDIR}/libquellix.so.${SOVERSION}" solink)
  if(NOT link STREQUAL "libquellix.so.${SOVERSION}" OR NOT solink STREQUAL "libquellix.so.${VERSION}")
    message(FATAL_ERROR "unexpected library links: ${link}, ${solink}")
  endif()
  file(STRINGS "${STAGE}/${LIBDIR}/pkgconfig/quellix.pc" prefix_line REGEX "^prefix=")
  if(NOT prefix_line STREQUAL "prefix=${STAGE}")
    message(FATAL_ERROR "quellix.pc names the wrong prefix: ${prefix_line}")
  endif()
  foreach(document LICENSE README.md NEWS.md docs/api.md)
    if(NOT EXISTS "${STAGE}/share/doc/quellix/${document}")
      message(FATAL_ERROR "not installed: share/doc/quellix/${document}")
    endif()
  endforeach()
  if(HAVE_TOOL)
    # The tool finds the library relative to itself, in this prefix and in a second one,
    # whatever prefix the build was configured for: no LD_LIBRARY_PATH helps it.
    set(second "${STAGE}-second")
    file(REMOVE_RECURSE "${second}")
    run("${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${second}")
    foreach(prefix "${STAGE}" "${second}")
      run("${CMAKE_COMMAND}" -E env --unset=LD_LIBRARY_PATH
        "${prefix}/bin/quellix-hyphenate" --version)
      expect_output_has("${VERSION}")
      if(CMAKE_HOST_SYSTEM_NAME STREQUAL "Linux")
        # The C library's loader names the library it chose.
        run("${CMAKE_COMMAND}" -E env --unset=LD_LIBRARY_PATH LD_TRACE_LOADED_OBJECTS=1
          "${prefix}/bin/quellix-hyphenate")
        expect_output_has("libquellix.so.${SOVERSION} => ${prefix}/")
      endif()
    endforeach()
    file(REMOVE_RECURSE "${second}")
  endif()

elseif(STEP STREQUAL "find_package")
  file(REMOVE_RECURSE "${WORK}")
  run("${CMAKE_COMMAND}" -S "${here}/consumer" -B "${WORK}" -G "${GENERATOR}"
    "-DCMAKE_CXX_COMPILER=${CXX}" "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}"
    "-DCMAKE_PREFIX_PATH=${STAGE}" "-DVERSION=${VERSION}" "-DTOOL_SOURCE_DIR=${TOOL_SOURCE_DIR}"
    "-DTOOL_INCLUDE_DIR=${TOOL_INCLUDE_DIR}")
  run("${CMAKE_COMMAND}" --build "${WORK}")
  if(NOT EN_US)
    message(STATUS "skipped: the consumer divides an English word, and en-us is not built in")
    return()
  endif()
  run("${WORK}/app")  # the build tree's rpath points into STAGE
  expect_output_has("quellix ${VERSION}: as-so-ciate")
  run("${WORK}/hyphen_app" "${WORK}/hyph_test.dic")
  expect_output_has("hyphen.h: asz=szony=nyal (0300010000)")
  if(TOOL_SOURCE_DIR)
    # The command-line tool, built from the installed headers like any other program.
    run("${WORK}/tool" --language en-us hyphenation)
    expect_output_has("hy-phen-ation")
  endif()

elseif(STEP STREQUAL "pkg_config")
  file(REMOVE_RECURSE "${WORK}")
  file(MAKE_DIRECTORY "${WORK}")
  run("${CMAKE_COMMAND}" -E env "PKG_CONFIG_PATH=${STAGE}/${LIBDIR}/pkgconfig"
    "${PKG_CONFIG}" --cflags --libs quellix)
  string(STRIP "${run_output}" pkg_flags)
  separate_arguments(pkg_flags UNIX_COMMAND "${pkg_flags}")
  # quellix.pc brings the C++ standard the headers need.
  if(NOT pkg_flags MATCHES "-std=c\\+\\+20")
    message(FATAL_ERROR "quellix.pc does not ask for C++20: ${pkg_flags}")
  endif()
  run("${CXX}" ${cxx_flags} "${here}/consumer/main.cpp" ${pkg_flags} -o "${WORK}/app")
  # quellix-c.pc is for C: the C consumer compiles as C99 with its flags alone. It is
  # linked by the C++ driver, which a sanitizer build's library needs.
  run("${CMAKE_COMMAND}" -E env "PKG_CONFIG_PATH=${STAGE}/${LIBDIR}/pkgconfig"
    "${PKG_CONFIG}" --cflags --libs quellix-c)
  string(STRIP "${run_output}" pkg_c_flags)
  separate_arguments(pkg_c_flags UNIX_COMMAND "${pkg_c_flags}")
  separate_arguments(c_flags UNIX_COMMAND "${C_FLAGS}")
  run("${CC}" ${c_flags} -std=c99 -pedantic-errors -Werror -c "${here}/consumer/main.c" ${pkg_c_flags}
    -o "${WORK}/app_c.o")
  run("${CXX}" ${cxx_flags} "${WORK}/app_c.o" ${pkg_c_flags} -o "${WORK}/app_c")
  if(NOT EN_US)
    message(STATUS "skipped: the consumers divide an English word, and en-us is not built in")
    return()
  endif()
  run("${CMAKE_COMMAND}" -E env "LD_LIBRARY_PATH=${STAGE}/${LIBDIR}" "${WORK}/app")
  expect_output_has("quellix ${VERSION}: as-so-ciate")
  run("${CMAKE_COMMAND}" -E env "LD_LIBRARY_PATH=${STAGE}/${LIBDIR}" "${WORK}/app_c")
  expect_output_has("C: as-so-ciate")
  # quellix-hyphen.pc: a libhyphen program, unchanged, finds <hyphen.h> and links.
  run("${CMAKE_COMMAND}" -E env "PKG_CONFIG_PATH=${STAGE}/${LIBDIR}/pkgconfig"
    "${PKG_CONFIG}" --cflags --libs quellix-hyphen)
  string(STRIP "${run_output}" pkg_hyphen_flags)
  separate_arguments(pkg_hyphen_flags UNIX_COMMAND "${pkg_hyphen_flags}")
  run("${CC}" ${c_flags} -std=c99 -c "${here}/consumer/hyphen_main.c" ${pkg_hyphen_flags}
    -o "${WORK}/hyphen_app.o")
  run("${CXX}" ${cxx_flags} "${WORK}/hyphen_app.o" ${pkg_hyphen_flags} -o "${WORK}/hyphen_app")
  run("${CMAKE_COMMAND}" -E env "LD_LIBRARY_PATH=${STAGE}/${LIBDIR}" "${WORK}/hyphen_app"
    "${WORK}/hyph_test.dic")
  expect_output_has("hyphen.h: asz=szony=nyal (0300010000)")

elseif(STEP STREQUAL "subproject")
  file(REMOVE_RECURSE "${WORK}")
  run("${CMAKE_COMMAND}" -S "${here}/parent" -B "${WORK}" -G "${GENERATOR}"
    "-DCMAKE_CXX_COMPILER=${CXX}" "-DQUELLIX_SOURCE_DIR=${SOURCE_DIR}"
    "-DQUELLIX_DATA_DIR=${DATA_DIR}" "-DQUELLIX_CONSUME=${CONSUME}")
  # The parent chose no build type, and quellix must not have chosen one for it.
  file(STRINGS "${WORK}/CMakeCache.txt" build_type REGEX "^CMAKE_BUILD_TYPE:")
  if(NOT build_type MATCHES "^CMAKE_BUILD_TYPE:[A-Z]*=$")
    message(FATAL_ERROR "quellix changed the parent's build type: ${build_type}")
  endif()

elseif(STEP STREQUAL "subproject_static")
  # A static libquellix.a built inside a parent, its embedded data linked into the parent's
  # program, which divides a word with it.
  file(REMOVE_RECURSE "${WORK}")
  run("${CMAKE_COMMAND}" -S "${here}/parent" -B "${WORK}" -G "${GENERATOR}"
    "-DCMAKE_CXX_COMPILER=${CXX}" "-DQUELLIX_SOURCE_DIR=${SOURCE_DIR}"
    "-DQUELLIX_DATA_DIR=${DATA_DIR}" -DBUILD_SHARED_LIBS=OFF -DCMAKE_BUILD_TYPE=Release)
  run("${CMAKE_COMMAND}" --build "${WORK}")
  if(NOT EXISTS "${WORK}/quellix/src/libquellix.a")
    message(FATAL_ERROR "no static libquellix.a in ${WORK}/quellix/src")
  endif()
  if(EN_US)
    run("${WORK}/app")
    expect_output_has(": as-so-ciate")
  endif()

else()
  message(FATAL_ERROR "unknown STEP \"${STEP}\"")
endif()
