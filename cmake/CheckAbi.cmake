# Compares the ABI of the shared library LIBRARY (built with debug information) with the
# committed dump of the last release, DUMP, and fails on a change of it that keeps the
# SONAME; with -DUPDATE=ON it writes DUMP from LIBRARY instead.
#
#   cmake -DABIDW=abidw -DABIDIFF=abidiff -DLIBRARY=libquellix.so -DSONAME=libquellix.so.1
#         -DDUMP=abi/libquellix.abi -DSUPPRESSIONS=abi/private-types.abignore
#         [-DUPDATE=ON] -P cmake/CheckAbi.cmake
#
# Symbols added since the dump are compatible and pass. Any other difference abidiff
# reports (a symbol removed; a function, or a type that a program lays out or passes,
# changed) fails, except in the types SUPPRESSIONS lists, the library's own records behind
# pointers: abidiff cannot tell every harmless type change from a harmful one, so a change
# that is meant to be compatible is argued by a new entry there, and any other by a new
# SONAME (QUELLIX_SOVERSION).
if(UPDATE)
  # No paths, locations or undefined symbols: the dump is the same wherever it is made.
  execute_process(COMMAND "${ABIDW}" --no-show-locs --no-corpus-path --no-comp-dir-path
                          --drop-undefined-syms --out-file "${DUMP}" "${LIBRARY}"
    RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${ABIDW} failed (${status}) on ${LIBRARY}")
  endif()
  message(STATUS "wrote the ABI of ${LIBRARY} (${SONAME}) to ${DUMP}")
  return()
endif()

if(NOT EXISTS "${DUMP}")
  message(FATAL_ERROR "no ABI dump ${DUMP}: write it with the abi-dump target")
endif()
# The SONAME the dump was made with: <abi-corpus ... soname='libquellix.so.N'>.
file(READ "${DUMP}" head LIMIT 4096)
if(NOT head MATCHES "soname='([^']*)'")
  message(FATAL_ERROR "${DUMP} names no SONAME: is it an abidw dump?")
endif()
set(dumped_soname "${CMAKE_MATCH_1}")

execute_process(COMMAND "${ABIDIFF}" --no-added-syms --suppressions "${SUPPRESSIONS}"
                        "${DUMP}" "${LIBRARY}"
  RESULT_VARIABLE status OUTPUT_VARIABLE report ERROR_VARIABLE report)
# abidiff's status is a bit set: 1 error, 2 usage error, 4 ABI change, 8 incompatible change.
if(NOT status MATCHES "^[0-9]+$" OR status GREATER 15)
  message(FATAL_ERROR "${ABIDIFF} did not run: ${status}\n${report}")
endif()
math(EXPR failed "${status} & 3")
math(EXPR changed "${status} & 12")
if(failed)
  message(FATAL_ERROR "${ABIDIFF} failed (${status}):\n${report}")
endif()
if(NOT changed)
  message(STATUS "the ABI of ${LIBRARY} keeps that of ${DUMP} (${dumped_soname})")
elseif(NOT dumped_soname STREQUAL SONAME)
  message(STATUS "the ABI changed against ${DUMP} (${dumped_soname}) with a new SONAME, "
    "${SONAME}: allowed; write the dump again for the release (the abi-dump target)\n${report}")
else()
  message(FATAL_ERROR "the ABI changed against ${DUMP} while the SONAME stays ${SONAME}:\n"
    "${report}\nKeep the ABI; or raise QUELLIX_SOVERSION in the top CMakeLists.txt (the "
    "SONAME and the Debian runtime package follow it); or, for a change that cannot break "
    "a program built against the old headers, say why in ${SUPPRESSIONS}.")
endif()
