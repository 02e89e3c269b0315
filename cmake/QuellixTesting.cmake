# How tests that cannot run here say so: ctest counts them as skipped ("Not Run" with the
# reason in their output), never as passed, and never leaves them out silently. Included
# from the top-level CMakeLists.txt when the tests are built.

# The exit status of a GoogleTest program (tests/test_main.cpp) all of whose tests skipped.
set(QUELLIX_SKIP_RETURN_CODE 77)

# pytest's closing summary when nothing ran but skipped tests (deselected ones and
# warnings aside): "2 skipped, 40 deselected in 0.31s", with or without the ===.
set(QUELLIX_PYTEST_ALL_SKIPPED "\n=* *[0-9]+ skipped(, [0-9]+ (deselected|warnings?))* in [0-9.]+s")

# quellix_skipped_test(name reason [LABELS label...]): a test of that name that only says
# why it cannot run here (a package is missing), which ctest reports as skipped.
function(quellix_skipped_test name reason)
  cmake_parse_arguments(ARG "" "" "LABELS" ${ARGN})
  add_test(NAME ${name} COMMAND "${CMAKE_COMMAND}" -E echo "skipped: ${reason}")
  set_tests_properties(${name} PROPERTIES SKIP_REGULAR_EXPRESSION "^skipped: ")
  if(ARG_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
  endif()
endfunction()
