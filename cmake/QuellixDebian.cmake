# The Debian packages, made by `cpack -G DEB` in the build directory, one per install
# component (cmake/QuellixInstall.cmake):
#   libquellix<SOVERSION>  runtime      the shared library
#   libquellix-dev         development  headers, .so link, CMake and pkg-config files
#   quellix-tools          tools        quellix-hyphenate and its man page
# Each carries in /usr/share/doc/<package>/ the copyright file in the machine-readable
# format, written from data/licences.tsv for the languages this build embeds,
# changelog.Debian.gz, and README.md.gz, NEWS.md.gz and LICENSE; libquellix-dev also carries
# the topic pages, docs/*.md.gz.
# The packages install under /usr. A build configured for another prefix (the default is
# /usr/local) has that prefix in its library's default directories (quellix/paths.hpp) and
# its library directory, so cpack -G DEB refuses it and says how to configure one for /usr.
include("${PROJECT_SOURCE_DIR}/cmake/QuellixLicences.cmake")

set(QUELLIX_DEB_MAINTAINER "The quellix developers <developers@quellix.org>" CACHE STRING
  "Maintainer field of the Debian packages")
set(QUELLIX_DEB_RELEASE "1" CACHE STRING "Debian revision of the packages")
set(quellix_runtime_package "libquellix${QUELLIX_SOVERSION}")
set(quellix_deb_version "${PROJECT_VERSION}-${QUELLIX_DEB_RELEASE}")

# Copyright and changelog, the same for the three packages.
get_property(quellix_embedded_affixes GLOBAL PROPERTY QUELLIX_EMBEDDED_AFFIXES)
set(quellix_debian_dir "${PROJECT_BINARY_DIR}/debian")
quellix_write_copyright("${quellix_debian_dir}/copyright" "${QUELLIX_DEB_MAINTAINER}"
  ${quellix_embedded_affixes})
set_property(DIRECTORY "${PROJECT_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  "${PROJECT_SOURCE_DIR}/data/licences.tsv" "${PROJECT_SOURCE_DIR}/cmake/QuellixLicences.cmake")

# Dated by SOURCE_DATE_EPOCH when set, so that a rebuild gives the same bytes.
string(TIMESTAMP quellix_changelog_date "%a, %d %b %Y 00:00:00 +0000" UTC)
file(CONFIGURE OUTPUT "${quellix_debian_dir}/changelog.Debian" @ONLY CONTENT
"quellix (@quellix_deb_version@) unstable; urgency=medium

  * Packaged from quellix @PROJECT_VERSION@ with CPack.

 -- @QUELLIX_DEB_MAINTAINER@  @quellix_changelog_date@
")
# Documents over 4 kB are installed compressed, as Debian asks.
find_program(QUELLIX_GZIP gzip REQUIRED)
set(quellix_debian_docs "${quellix_debian_dir}/copyright" "${PROJECT_SOURCE_DIR}/LICENSE")
foreach(document IN ITEMS "${quellix_debian_dir}/changelog.Debian"
                          "${PROJECT_SOURCE_DIR}/README.md" "${PROJECT_SOURCE_DIR}/NEWS.md")
  get_filename_component(name "${document}" NAME)
  add_custom_command(OUTPUT "${quellix_debian_dir}/${name}.gz"
    COMMAND "${QUELLIX_GZIP}" -9nc "${document}" > "${quellix_debian_dir}/${name}.gz"
    DEPENDS "${document}"
    COMMENT "Compressing ${name} for the Debian packages")
  list(APPEND quellix_debian_docs "${quellix_debian_dir}/${name}.gz")
endforeach()
# The topic pages README.md links to (docs/*.md) go with the development package, where
# those who write against the library look for them.
file(GLOB quellix_topic_pages CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/docs/*.md")
set(quellix_debian_topic_pages "")
foreach(page IN LISTS quellix_topic_pages)
  get_filename_component(name "${page}" NAME)
  add_custom_command(OUTPUT "${quellix_debian_dir}/docs/${name}.gz"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${quellix_debian_dir}/docs"
    COMMAND "${QUELLIX_GZIP}" -9nc "${page}" > "${quellix_debian_dir}/docs/${name}.gz"
    DEPENDS "${page}"
    COMMENT "Compressing docs/${name} for the Debian packages")
  list(APPEND quellix_debian_topic_pages "${quellix_debian_dir}/docs/${name}.gz")
endforeach()
add_custom_target(quellix-debian-docs ALL DEPENDS ${quellix_debian_docs} ${quellix_debian_topic_pages})
install(FILES ${quellix_debian_topic_pages}
  DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/doc/libquellix-dev/docs" COMPONENT development)

# Each package carries its own copy (a plain cmake --install puts all three in place).
set(quellix_components runtime development tools)
set(quellix_packages "${quellix_runtime_package}" libquellix-dev quellix-tools)
foreach(component package IN ZIP_LISTS quellix_components quellix_packages)
  install(FILES ${quellix_debian_docs}
    DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/doc/${package}"
    COMPONENT ${component})
endforeach()

# cpack -G DEB stops on a build for another prefix than /usr (see above).
string(REGEX REPLACE "(.)/+$" "\\1" quellix_deb_prefix "${CMAKE_INSTALL_PREFIX}")
file(CONFIGURE OUTPUT "${PROJECT_BINARY_DIR}/QuellixCPackConfig.cmake" @ONLY CONTENT
[=[if(CPACK_GENERATOR STREQUAL "DEB" AND NOT "@quellix_deb_prefix@" STREQUAL "/usr")
  message(FATAL_ERROR "quellix: the Debian packages install under /usr, but this build is "
    "configured for @quellix_deb_prefix@, which the library's default directories "
    "(quellix/paths.hpp) and its library directory follow. Configure it for /usr, build "
    "and package again:\n"
    "  cmake -DCMAKE_INSTALL_PREFIX=/usr @PROJECT_BINARY_DIR@ && "
    "cmake --build @PROJECT_BINARY_DIR@ && cpack -G DEB")
endif()
]=])
set(CPACK_PROJECT_CONFIG_FILE "${PROJECT_BINARY_DIR}/QuellixCPackConfig.cmake")

set(CPACK_PACKAGE_NAME "quellix")
# CPack's own default: CPackDeb then takes each package's synopsis from the first line of
# its description below instead of prefixing one summary to all three.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${CMAKE_PROJECT_NAME} built using CMake")
set(CPACK_PACKAGE_VENDOR "The quellix authors")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "${QUELLIX_DEB_MAINTAINER}")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_GENERATOR "DEB")
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL runtime development tools)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE "${QUELLIX_DEB_RELEASE}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QUELLIX_DEB_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_SOURCE "quellix")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${PROJECT_HOMEPAGE_URL}")

list(LENGTH quellix_embedded_affixes quellix_embedded_count)
if(quellix_embedded_count EQUAL 73)
  set(quellix_language_text "73 languages")
else()
  list(JOIN quellix_embedded_affixes ", " quellix_language_text)
  set(quellix_language_text "${quellix_embedded_count} of its 73 languages (${quellix_language_text})")
endif()
set(quellix_about
"quellix divides words at their permitted break points with Liang's pattern
method, the one TeX uses. It carries the hyph-utf8 patterns, exceptions and
character classes of ${quellix_language_text} inside the library,
and also divides running text and HTML. The patterns of each language are
under the licence their notice states (see the copyright file).")

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME "${quellix_runtime_package}")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION "libs")
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION
  "word division with Liang's patterns - shared library\n${quellix_about}\n\nThis package contains the shared library.")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SHLIBDEPS ON)
# A shlibs file (for the packages only it has shared libraries) and the ldconfig trigger
# Debian asks of a package that installs a library.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
file(CONFIGURE OUTPUT "${quellix_debian_dir}/triggers" CONTENT "activate-noawait ldconfig\n")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA "${quellix_debian_dir}/triggers")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME "libquellix-dev")
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION "libdevel")
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "${quellix_runtime_package} (= ${quellix_deb_version})")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION
  "word division with Liang's patterns - development files\n${quellix_about}\n\nThis package contains the C++20 and C headers, the CMake package files\nand the pkg-config files.")

set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME "quellix-tools")
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION "text")
set(CPACK_DEBIAN_TOOLS_PACKAGE_SHLIBDEPS ON)
# dpkg-shlibdeps must find libquellix.so.SOVERSION (in the build tree); the dependency on its
# package is the explicit one below.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${PROJECT_BINARY_DIR}/src")
set(CPACK_DEBIAN_TOOLS_PACKAGE_DEPENDS "${quellix_runtime_package} (= ${quellix_deb_version})")
set(CPACK_DEBIAN_TOOLS_DESCRIPTION
  "word division with Liang's patterns - command-line tool\n${quellix_about}\n\nThis package contains quellix-hyphenate, which divides words, running\ntext and HTML.")

include(CPack)
