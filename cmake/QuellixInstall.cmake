# Install rules, CMake package files, pkg-config file and the Debian package (CPack).
# Included from the top-level CMakeLists.txt when QUELLIX_INSTALL is on; everything lands
# in the GNUInstallDirs places under the prefix given at install time.
include(CMakePackageConfigHelpers)

set(QUELLIX_INSTALL_CMAKEDIR "${CMAKE_INSTALL_LIBDIR}/cmake/quellix" CACHE STRING
  "Where quellixConfig.cmake is installed, relative to the prefix")

# The library: libquellix.so.0.8.3 with its SOVERSION link libquellix.so.0.8 and the
# development link libquellix.so. zlib is linked privately, so consumers need nothing more.
install(TARGETS quellix
  EXPORT quellixTargets
  LIBRARY DESTINATION "${CMAKE_INSTALL_LIBDIR}"
  ARCHIVE DESTINATION "${CMAKE_INSTALL_LIBDIR}"
  RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}"
  INCLUDES DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}")

install(DIRECTORY "${PROJECT_SOURCE_DIR}/include/quellix"
  DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}"
  FILES_MATCHING PATTERN "*.hpp" PATTERN "*.h")
install(FILES "${PROJECT_BINARY_DIR}/include/quellix/version.hpp"
  DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}/quellix")

# The command-line tool, found beside the library wherever the prefix is moved to.
if(TARGET quellix-hyphenate)
  file(RELATIVE_PATH quellix_bin_to_lib
    "/prefix/${CMAKE_INSTALL_BINDIR}" "/prefix/${CMAKE_INSTALL_LIBDIR}")
  set_target_properties(quellix-hyphenate PROPERTIES
    INSTALL_RPATH "$ORIGIN/${quellix_bin_to_lib}")
  install(TARGETS quellix-hyphenate RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
endif()

# CMake package: find_package(quellix 0.8.3) gives the imported target quellix::quellix.
# Before 1.0 a new minor version may break the interface (the SOVERSION is MAJOR.MINOR),
# so only versions with the same major and minor number count as compatible.
install(EXPORT quellixTargets
  NAMESPACE quellix::
  FILE quellixTargets.cmake
  DESTINATION "${QUELLIX_INSTALL_CMAKEDIR}")
configure_package_config_file("${PROJECT_SOURCE_DIR}/cmake/quellixConfig.cmake.in"
  "${PROJECT_BINARY_DIR}/quellixConfig.cmake"
  INSTALL_DESTINATION "${QUELLIX_INSTALL_CMAKEDIR}")
write_basic_package_version_file("${PROJECT_BINARY_DIR}/quellixConfigVersion.cmake"
  VERSION "${PROJECT_VERSION}"
  COMPATIBILITY SameMinorVersion)
install(FILES
  "${PROJECT_BINARY_DIR}/quellixConfig.cmake"
  "${PROJECT_BINARY_DIR}/quellixConfigVersion.cmake"
  DESTINATION "${QUELLIX_INSTALL_CMAKEDIR}")

# pkg-config: written at install time, so that its prefix is the one installed to
# (cmake --install --prefix DIR, or /usr inside the Debian package).
configure_file("${PROJECT_SOURCE_DIR}/cmake/quellix.pc.in"
  "${PROJECT_BINARY_DIR}/quellix.pc.in" @ONLY)
install(CODE "
  file(READ \"${PROJECT_BINARY_DIR}/quellix.pc.in\" quellix_pc)
  string(REPLACE \"%PREFIX%\" \"\${CMAKE_INSTALL_PREFIX}\" quellix_pc \"\${quellix_pc}\")
  file(WRITE \"${PROJECT_BINARY_DIR}/quellix.pc\" \"\${quellix_pc}\")
")
install(FILES "${PROJECT_BINARY_DIR}/quellix.pc"
  DESTINATION "${CMAKE_INSTALL_LIBDIR}/pkgconfig")

install(FILES "${PROJECT_SOURCE_DIR}/LICENSE" "${PROJECT_SOURCE_DIR}/README.md"
  DESTINATION "${CMAKE_INSTALL_DOCDIR}")

# Debian package: cpack -G DEB in the build directory. It installs under the configured
# prefix, so configure with -DCMAKE_INSTALL_PREFIX=/usr for a system package; the library's
# default directories (quellix/paths.hpp) then name the same prefix.
set(CPACK_PACKAGE_NAME "quellix")
set(CPACK_PACKAGE_VENDOR "The quellix authors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION
  "Divides words at their permitted break points with Liang's pattern method and\n\
carries the hyph-utf8 patterns of 73 languages. Contains the shared library, its\n\
headers, CMake and pkg-config files and the quellix-hyphenate tool.")
set(CPACK_PACKAGE_CONTACT "The quellix authors <quellix@localhost>")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_GENERATOR "DEB")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "libs")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The quellix authors <quellix@localhost>")
find_program(QUELLIX_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(QUELLIX_DPKG_SHLIBDEPS)
  # Computes libc6, libgcc-s1, libstdc++6 and zlib1g with their minimum versions.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libgcc-s1, libstdc++6, zlib1g")
endif()
include(CPack)
