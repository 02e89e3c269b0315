# The paths unit (include/quellix/paths.hpp): its default installation directories are
# fixed here, at configure time, and the project's version flows from project() into the
# public header quellix/version.hpp. Included from src/CMakeLists.txt.

set(QUELLIX_PACKAGE_FAMILY "debian" CACHE STRING
  "Packaging family that names the default data directory, PREFIX/share/FAMILY-quellix")

# quellix_add_paths_unit(target): generates version.hpp and the private paths_config.hpp
# and adds src/base/paths.cpp to target.
function(quellix_add_paths_unit target)
  configure_file("${PROJECT_SOURCE_DIR}/cmake/version.hpp.in"
    "${PROJECT_BINARY_DIR}/include/quellix/version.hpp" @ONLY)

  # TOOLCHAIN: the compiler's id and version, lower case; CMake's id GNU is spelled gcc.
  string(TOLOWER "${CMAKE_CXX_COMPILER_ID}" compiler)
  if(compiler STREQUAL "gnu")
    set(compiler "gcc")
  endif()
  set(toolchain "${compiler}-${CMAKE_CXX_COMPILER_VERSION}")

  # PLATFORM: the target's processor and system, lower case (x86_64-linux).
  string(TOLOWER "${CMAKE_SYSTEM_PROCESSOR}" processor)
  if(processor STREQUAL "amd64")
    set(processor "x86_64")
  endif()
  string(TOLOWER "${CMAKE_SYSTEM_NAME}" system)
  set(platform "${processor}-${system}")

  string(REGEX REPLACE "/+$" "" prefix "${CMAKE_INSTALL_PREFIX}")
  set(package "quellix-${PROJECT_VERSION}")
  set(QUELLIX_DEFAULT_BINDIR "${prefix}/bin")
  set(QUELLIX_DEFAULT_LIBDIR "${prefix}/lib/${toolchain}/site-local/${package}")
  set(QUELLIX_DEFAULT_DYNLIBDIR "${prefix}/lib")
  set(QUELLIX_DEFAULT_DATADIR "${prefix}/share/${QUELLIX_PACKAGE_FAMILY}-quellix")
  set(QUELLIX_DEFAULT_LIBEXECDIR "${prefix}/libexec/${platform}-${toolchain}/${package}")
  set(QUELLIX_DEFAULT_SYSCONFDIR "${prefix}/etc")

  # The same values as C string literals.
  foreach(dir BINDIR LIBDIR DYNLIBDIR DATADIR LIBEXECDIR SYSCONFDIR)
    string(REPLACE "\\" "\\\\" literal "${QUELLIX_DEFAULT_${dir}}")
    string(REPLACE "\"" "\\\"" literal "${literal}")
    set(QUELLIX_DEFAULT_${dir}_C "${literal}")
  endforeach()
  configure_file("${PROJECT_SOURCE_DIR}/src/base/paths_config.hpp.in"
    "${PROJECT_BINARY_DIR}/src/paths_config.hpp" @ONLY)

  target_sources(${target} PRIVATE "${PROJECT_SOURCE_DIR}/src/base/paths.cpp")
  target_include_directories(${target} PRIVATE "${PROJECT_BINARY_DIR}/src")
endfunction()
