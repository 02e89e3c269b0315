# Runs the libhyphen build and the libquellix-hyphen build of hyphen_program on each of
# Debian's dictionaries that is installed, and fails where they print differently. Usage:
# cmake -DLIBHYPHEN=... -DQUELLIX=... -DWORK=... -P compare_programs.cmake
#
# Left out: dictionaries where libhyphen 2.8.8 is at fault (dictionary_differential_test
# shows each case against a repaired copy): Belarusian and Afrikaans, whose comment lines
# longer than 99 bytes 2.8.8 reads in pieces, and Mongolian, whose NOHYPHEN line keeps its
# carriage return there.
cmake_minimum_required(VERSION 3.20)
file(GLOB dictionaries /usr/share/hyphen/hyph_*.dic)
set(checked 0)
file(MAKE_DIRECTORY "${WORK}")
foreach(dictionary IN LISTS dictionaries)
  if(IS_SYMLINK "${dictionary}")
    continue()
  endif()
  get_filename_component(name "${dictionary}" NAME_WE)
  if(name MATCHES "hyph_(be_BY|af_ZA|mn_MN)")
    continue()
  endif()
  foreach(build LIBHYPHEN QUELLIX)
    # Under AddressSanitizer, libhyphen 2.8.8 itself loses some of the strings it allocates
    # for changes of spelling (hyph_de_DE.dic): its leaks are not this library's to report.
    set(environment "ASAN_OPTIONS=$ENV{ASAN_OPTIONS}")
    if(build STREQUAL "LIBHYPHEN")
      string(APPEND environment ":detect_leaks=0")
    endif()
    execute_process(COMMAND "${CMAKE_COMMAND}" -E env "${environment}"
      "${${build}}" "${dictionary}" asszonnyal schiffahrt
      # Hyphens and apostrophes (libhyphen's implied first level) near either end, and
      # characters of two and three bytes, for hnj_hyphen_hyphenate's margins in bytes.
      a-bcd ab-c x-y-z "d'arc" "é-bé" "ab–cd" "l’été"
      OUTPUT_FILE "${WORK}/${name}.${build}.txt" RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "${${build}} ${dictionary} failed: ${status}")
    endif()
  endforeach()
  file(READ "${WORK}/${name}.LIBHYPHEN.txt" theirs)
  file(READ "${WORK}/${name}.QUELLIX.txt" ours)
  if(NOT theirs STREQUAL ours)
    message(FATAL_ERROR "${name}: libquellix-hyphen prints differently from libhyphen: "
      "diff ${WORK}/${name}.LIBHYPHEN.txt ${WORK}/${name}.QUELLIX.txt")
  endif()
  math(EXPR checked "${checked} + 1")
endforeach()
if(checked EQUAL 0)
  message("-- skipped: no dictionary in /usr/share/hyphen (install the hyphen-* packages)")
else()
  message(STATUS "${checked} dictionaries: the same output")
endif()
