# The ABI check of the shared library against the dump of the last release in abi/:
# the test abi_compatible (cmake/CheckAbi.cmake) and the target abi-dump, which writes that
# dump again (`cmake --build --preset debug --target abi-dump`). Both need the library with
# debug information, GCC's (the dump is GCC's), and Debian's abigail-tools; elsewhere the
# test reports itself skipped.
find_program(QUELLIX_ABIDW abidw)
find_program(QUELLIX_ABIDIFF abidiff)
get_target_property(quellix_library_type quellix TYPE)
set(quellix_abi_dump "${PROJECT_SOURCE_DIR}/abi/libquellix.abi")
set(quellix_abi_command -DABIDW=${QUELLIX_ABIDW} -DABIDIFF=${QUELLIX_ABIDIFF}
  -DLIBRARY=$<TARGET_FILE:quellix> -DSONAME=libquellix.so.${QUELLIX_SOVERSION}
  -DDUMP=${quellix_abi_dump} -DSUPPRESSIONS=${PROJECT_SOURCE_DIR}/abi/private-types.abignore
  -P ${PROJECT_SOURCE_DIR}/cmake/CheckAbi.cmake)
set(quellix_abi_skip "")
if(NOT QUELLIX_ABIDW OR NOT QUELLIX_ABIDIFF)
  set(quellix_abi_skip "needs abidw and abidiff (Debian: abigail-tools)")
elseif(NOT quellix_library_type STREQUAL "SHARED_LIBRARY" OR NOT CMAKE_SYSTEM_NAME STREQUAL "Linux")
  set(quellix_abi_skip "needs the shared library as an ELF file")
elseif(NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU" OR NOT CMAKE_BUILD_TYPE MATCHES "^(Debug|RelWithDebInfo)$")
  set(quellix_abi_skip "needs a GCC build with debug information (the debug preset)")
elseif(NOT QUELLIX_LANGUAGES STREQUAL "all" OR NOT QUELLIX_SIMD)
  # The same ABI; checked once, by the debug preset.
  set(quellix_abi_skip "checked by the build of every language (the debug preset)")
endif()
if(quellix_abi_skip)
  quellix_skipped_test(abi_compatible "${quellix_abi_skip}" LABELS abi)
else()
  add_test(NAME abi_compatible COMMAND ${CMAKE_COMMAND} ${quellix_abi_command})
  set_tests_properties(abi_compatible PROPERTIES LABELS abi)
  add_custom_target(abi-dump COMMAND ${CMAKE_COMMAND} -DUPDATE=ON ${quellix_abi_command}
    DEPENDS quellix COMMENT "Writing abi/libquellix.abi from the library" VERBATIM)
endif()
