# clang-tidy over the library's sources with the check list of .clang-tidy.
#
# As a script, on a build tree configured with CMAKE_EXPORT_COMPILE_COMMANDS=ON:
#   cmake -DBUILD_DIR=build/debug -P cmake/QuellixClangTidy.cmake
# It runs clang-tidy on every .cpp file of the libraries and the tool (src/, compat/ and
# tools/; one per core at a time), prints the findings and fails when there are any.
# The tree may be a GCC one: Clang is told to accept the warning options it lacks.
# Optional: -DCLANG_TIDY=/path/to/clang-tidy.
#
# Included from a project instead, quellix_add_clang_tidy_target() adds a target
# clang-tidy that runs the same script on the current build tree.
cmake_minimum_required(VERSION 3.20)

if(CMAKE_SCRIPT_MODE_FILE)
  get_filename_component(source_dir "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
  if(NOT BUILD_DIR)
    message(FATAL_ERROR "QuellixClangTidy: pass -DBUILD_DIR=<build tree with compile_commands.json>")
  endif()
  get_filename_component(build_dir "${BUILD_DIR}" ABSOLUTE BASE_DIR "${source_dir}")
  if(NOT EXISTS "${build_dir}/compile_commands.json")
    message(FATAL_ERROR "QuellixClangTidy: ${build_dir}/compile_commands.json is missing: "
      "configure that tree with -DCMAKE_EXPORT_COMPILE_COMMANDS=ON")
  endif()
  if(NOT CLANG_TIDY)
    find_program(CLANG_TIDY NAMES clang-tidy clang-tidy-14 REQUIRED)
  endif()
  file(GLOB_RECURSE sources "${source_dir}/src/*.cpp" "${source_dir}/compat/*.cpp"
    "${source_dir}/tools/*.cpp")
  list(SORT sources)
  # One clang-tidy per file, as many at once as the machine has cores (xargs -P).
  cmake_host_system_information(RESULT jobs QUERY NUMBER_OF_LOGICAL_CORES)
  list(JOIN sources "\n" source_lines)
  set(list_file "${build_dir}/clang-tidy-sources.txt")
  file(WRITE "${list_file}" "${source_lines}\n")
  execute_process(
    COMMAND xargs -P ${jobs} -n 1 "${CLANG_TIDY}" -p "${build_dir}" --quiet
      --extra-arg=-Wno-unknown-warning-option
    INPUT_FILE "${list_file}"
    WORKING_DIRECTORY "${source_dir}"
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
  if(out MATCHES "(warning|error):" OR NOT rc EQUAL 0)
    message("${out}${err}")
    message(FATAL_ERROR "clang-tidy reported findings (or failed: ${rc})")
  endif()
  message(STATUS "clang-tidy: no findings in src/, compat/ and tools/")
  return()
endif()

set(QUELLIX_CLANG_TIDY_SCRIPT "${CMAKE_CURRENT_LIST_FILE}")
function(quellix_add_clang_tidy_target)
  add_custom_target(clang-tidy
    COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${PROJECT_BINARY_DIR} -P "${QUELLIX_CLANG_TIDY_SCRIPT}"
    WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}"
    USES_TERMINAL
    VERBATIM)
endfunction()
