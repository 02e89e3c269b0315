# Install rules, CMake package files, pkg-config file and the Debian package (CPack).
# Included from the top-level CMakeLists.txt when QUELLIX_INSTALL is on; everything lands
# in the GNUInstallDirs places under the prefix given at install time.
include(CMakePackageConfigHelpers)

set(QUELLIX_INSTALL_CMAKEDIR "${CMAKE_INSTALL_LIBDIR}/cmake/quellix" CACHE STRING
  "Where quellixConfig.cmake is installed, relative to the prefix")

# Install components, which the Debian packages below follow:
#   runtime      libquellix.so.VERSION and its SONAME link libquellix.so.MAJOR
#   development  headers, the libquellix.so link, CMake package files, quellix.pc
#   tools        quellix-hyphenate and its man page
# A plain cmake --install installs all of them, plus LICENSE, README.md, NEWS.md and docs/.
# zlib is linked privately, so consumers need nothing more.
install(TARGETS quellix
  EXPORT quellixTargets
  LIBRARY DESTINATION "${CMAKE_INSTALL_LIBDIR}" COMPONENT runtime
    NAMELINK_COMPONENT development
  ARCHIVE DESTINATION "${CMAKE_INSTALL_LIBDIR}" COMPONENT development
  RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}" COMPONENT runtime
  INCLUDES DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}")

# libquellix-hyphen, libhyphen's interface on quellix: quellix::hyphen in the CMake package,
# quellix-hyphen.pc for pkg-config; its hyphen.h is installed with the headers below, as
# include/quellix/compat/hyphen.h.
install(TARGETS quellix_hyphen
  EXPORT quellixTargets
  LIBRARY DESTINATION "${CMAKE_INSTALL_LIBDIR}" COMPONENT runtime
    NAMELINK_COMPONENT development
  ARCHIVE DESTINATION "${CMAKE_INSTALL_LIBDIR}" COMPONENT development
  RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}" COMPONENT runtime)

install(DIRECTORY "${PROJECT_SOURCE_DIR}/include/quellix"
  DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}" COMPONENT development
  FILES_MATCHING PATTERN "*.hpp" PATTERN "*.h")
install(FILES "${PROJECT_BINARY_DIR}/include/quellix/version.hpp"
  DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}/quellix" COMPONENT development)

# The command-line tool finds the library relative to itself, so that an install to any
# prefix (cmake --install --prefix DIR), or one moved elsewhere, runs as it is. lintian
# accepts such an $ORIGIN path in a Debian package too.
if(TARGET quellix-hyphenate)
  file(RELATIVE_PATH quellix_bin_to_lib
    "/prefix/${CMAKE_INSTALL_BINDIR}" "/prefix/${CMAKE_INSTALL_LIBDIR}")
  if(APPLE)
    set(QUELLIX_TOOL_RPATH "@loader_path/${quellix_bin_to_lib}")
  else()
    set(QUELLIX_TOOL_RPATH "$ORIGIN/${quellix_bin_to_lib}")
  endif()
  set_target_properties(quellix-hyphenate PROPERTIES INSTALL_RPATH "${QUELLIX_TOOL_RPATH}")
  install(TARGETS quellix-hyphenate RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}" COMPONENT tools)

  # The man page, made from --help by help2man.
  find_program(QUELLIX_HELP2MAN help2man)
  find_program(QUELLIX_GZIP gzip)
  if(NOT QUELLIX_HELP2MAN OR NOT QUELLIX_GZIP)
    message(FATAL_ERROR
      "quellix: help2man and gzip make the man page of quellix-hyphenate; install them "
      "(Debian: apt-get install help2man gzip), or configure with -DQUELLIX_BUILD_TOOLS=OFF "
      "or -DQUELLIX_INSTALL=OFF")
  endif()
  # help2man runs the tool through a wrapper that puts the usage block in its form.
  set(quellix_man "${PROJECT_BINARY_DIR}/man/quellix-hyphenate.1")
  set(quellix_tool "$<TARGET_FILE:quellix-hyphenate>")
  configure_file("${PROJECT_SOURCE_DIR}/cmake/help2man-help.sh.in"
    "${PROJECT_BINARY_DIR}/man/help2man-help.sh.in" @ONLY)
  file(GENERATE OUTPUT "${PROJECT_BINARY_DIR}/man/wrapper/quellix-hyphenate"
    INPUT "${PROJECT_BINARY_DIR}/man/help2man-help.sh.in"
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
      WORLD_READ WORLD_EXECUTE)
  set(quellix_wrapper "${PROJECT_BINARY_DIR}/man/wrapper/quellix-hyphenate")
  add_custom_command(OUTPUT "${quellix_man}.gz"
    COMMAND sh -c "\"$0\" --h2m-include > \"$1\"" "${quellix_wrapper}"
      "${PROJECT_BINARY_DIR}/man/examples.h2m"
    COMMAND "${QUELLIX_HELP2MAN}" --no-info --no-discard-stderr
      "--include=${PROJECT_BINARY_DIR}/man/examples.h2m"
      "--name=divide words at their permitted break points"
      "--version-string=${PROJECT_VERSION}" --section=1
      "--output=${quellix_man}" "${quellix_wrapper}"
    COMMAND "${QUELLIX_GZIP}" -9nf "${quellix_man}"
    DEPENDS quellix-hyphenate "${PROJECT_SOURCE_DIR}/cmake/help2man-help.sh.in"
    COMMENT "Making the man page quellix-hyphenate(1) with help2man"
    VERBATIM)
  add_custom_target(quellix-man-page ALL DEPENDS "${quellix_man}.gz")
  install(FILES "${quellix_man}.gz"
    DESTINATION "${CMAKE_INSTALL_MANDIR}/man1" COMPONENT tools)
endif()

# CMake package: find_package(quellix 0.8.3) gives the imported target quellix::quellix.
# Before 1.0 a new minor version may break the source interface, so only versions with
# the same major and minor number count as compatible.
install(EXPORT quellixTargets
  NAMESPACE quellix::
  FILE quellixTargets.cmake
  DESTINATION "${QUELLIX_INSTALL_CMAKEDIR}" COMPONENT development)
get_target_property(QUELLIX_LIBRARY_TYPE quellix TYPE)
configure_package_config_file("${PROJECT_SOURCE_DIR}/cmake/quellixConfig.cmake.in"
  "${PROJECT_BINARY_DIR}/quellixConfig.cmake"
  INSTALL_DESTINATION "${QUELLIX_INSTALL_CMAKEDIR}")
write_basic_package_version_file("${PROJECT_BINARY_DIR}/quellixConfigVersion.cmake"
  VERSION "${PROJECT_VERSION}"
  COMPATIBILITY SameMinorVersion)
install(FILES
  "${PROJECT_BINARY_DIR}/quellixConfig.cmake"
  "${PROJECT_BINARY_DIR}/quellixConfigVersion.cmake"
  DESTINATION "${QUELLIX_INSTALL_CMAKEDIR}" COMPONENT development)

# pkg-config: written at install time, so that its prefix is the one installed to
# (cmake --install --prefix DIR, or /usr inside the Debian package). quellix.pc is for the
# C++ headers and carries -std=c++20 (a later -std of the consumer's own, given after it,
# takes precedence with GCC and Clang); quellix-c.pc is for C programs, which include only
# quellix/quellix.h and must not be handed a C++ option.
# A shared library's users compile with QUELLIX_SHARED (include/quellix/export.hpp), as
# the CMake package's target gives them; a static library's must not.
get_target_property(quellix_pc_type quellix TYPE)
set(QUELLIX_PC_DEFINES "")
if(quellix_pc_type STREQUAL "SHARED_LIBRARY")
  set(QUELLIX_PC_DEFINES " -DQUELLIX_SHARED")
endif()
foreach(quellix_pc_name quellix quellix-c quellix-hyphen)
  configure_file("${PROJECT_SOURCE_DIR}/cmake/${quellix_pc_name}.pc.in"
    "${PROJECT_BINARY_DIR}/${quellix_pc_name}.pc.in" @ONLY)
  install(CODE "
    file(READ \"${PROJECT_BINARY_DIR}/${quellix_pc_name}.pc.in\" quellix_pc)
    string(REPLACE \"%PREFIX%\" \"\${CMAKE_INSTALL_PREFIX}\" quellix_pc \"\${quellix_pc}\")
    file(WRITE \"${PROJECT_BINARY_DIR}/${quellix_pc_name}.pc\" \"\${quellix_pc}\")
  " COMPONENT development)
  install(FILES "${PROJECT_BINARY_DIR}/${quellix_pc_name}.pc"
    DESTINATION "${CMAKE_INSTALL_LIBDIR}/pkgconfig" COMPONENT development)
endforeach()

# Not packaged: each Debian package carries its own copies (cmake/QuellixDebian.cmake).
install(FILES "${PROJECT_SOURCE_DIR}/LICENSE" "${PROJECT_SOURCE_DIR}/README.md"
  "${PROJECT_SOURCE_DIR}/NEWS.md"
  DESTINATION "${CMAKE_INSTALL_DOCDIR}" COMPONENT documentation)
install(DIRECTORY "${PROJECT_SOURCE_DIR}/docs/" DESTINATION "${CMAKE_INSTALL_DOCDIR}/docs"
  COMPONENT documentation FILES_MATCHING PATTERN "*.md")

include("${PROJECT_SOURCE_DIR}/cmake/QuellixDebian.cmake")
