# Makes libhyphen's dictionary from a hyph-utf8 pattern file, for the comparison benchmark.
# cmake -DGZIP=... -DPERL=... -DSUBSTRINGS=... -DPATTERNS_GZ=... -DPATTERNS=... -DOUTPUT=...
#       [-DLEFT=2 -DRIGHT=3] -P make_dictionary.cmake
# PATTERNS_GZ is decompressed to PATTERNS, which libhyphen's substrings.pl converts to OUTPUT
# with margins LEFT and RIGHT; the converter writes the charset line itself and logs to
# stdout.

foreach(var GZIP PERL SUBSTRINGS PATTERNS_GZ PATTERNS OUTPUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "make_dictionary.cmake: -D${var}=... is required")
  endif()
endforeach()

if(NOT DEFINED LEFT)
  set(LEFT 2)
endif()
if(NOT DEFINED RIGHT)
  set(RIGHT 3)
endif()

execute_process(COMMAND "${GZIP}" -dc "${PATTERNS_GZ}"
  OUTPUT_FILE "${PATTERNS}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "could not decompress ${PATTERNS_GZ} (${status})")
endif()

execute_process(COMMAND "${PERL}" "${SUBSTRINGS}" "${PATTERNS}" "${OUTPUT}.tmp" UTF-8 ${LEFT} ${RIGHT}
  OUTPUT_FILE "${OUTPUT}.log" ERROR_FILE "${OUTPUT}.log" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "substrings.pl failed (${status}), see ${OUTPUT}.log")
endif()

# libhyphen reads the charset from the first line; older converters do not write it.
file(STRINGS "${OUTPUT}.tmp" first_line LIMIT_COUNT 1)
if(NOT first_line STREQUAL "UTF-8")
  file(READ "${OUTPUT}.tmp" body)
  file(WRITE "${OUTPUT}.tmp" "UTF-8\n${body}")
endif()
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
