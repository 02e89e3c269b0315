# GoogleTest for the test suite: the installed package, or GoogleTest built here from its
# sources when QUELLIX_GTEST_SOURCE_DIR names them (Debian: /usr/src/googletest, package
# googletest). The sources are for builds an installed GoogleTest does not fit: cross
# builds (Windows, s390x) and builds with another standard library (libc++).
set(QUELLIX_GTEST_SOURCE_DIR "" CACHE PATH
  "GoogleTest sources to build with this build's compiler, instead of the installed package")

function(quellix_gtest_from_source)
  if(NOT EXISTS "${QUELLIX_GTEST_SOURCE_DIR}/CMakeLists.txt")
    message(FATAL_ERROR "quellix: QUELLIX_GTEST_SOURCE_DIR=${QUELLIX_GTEST_SOURCE_DIR} holds no "
      "GoogleTest sources (Debian: install googletest, then use /usr/src/googletest)")
  endif()
  # Static, without GoogleMock and without install rules, whatever this build's settings.
  set(BUILD_SHARED_LIBS OFF)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory("${QUELLIX_GTEST_SOURCE_DIR}" "${PROJECT_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
  foreach(library gtest gtest_main)
    if(NOT TARGET GTest::${library})  # newer GoogleTest makes these itself
      add_library(GTest::${library} ALIAS ${library})
    endif()
  endforeach()
endfunction()

if(TARGET GTest::gtest)
  # made already
elseif(QUELLIX_GTEST_SOURCE_DIR)
  quellix_gtest_from_source()
else()
  find_package(GTest REQUIRED)
endif()
