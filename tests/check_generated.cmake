# Runs the table generators of tools/gen and fails if a committed table differs from what
# its generator writes now. The Unicode tables come from the database Debian's
# unicode-data installs, so they share one Unicode version. Used by ctest:
# cmake -DPYTHON=... -DSOURCE=... -P this file.
foreach(pair "unicode_compose.py;base/unicode_compose.inc" "unicode_letters.py;base/unicode_letters.inc"
             "text_entities.py;text/text_entities.inc" "unicode_lower.py;base/unicode_lower.inc"
             "single_byte_encodings.py;base/single_byte_encodings.inc")
  list(GET pair 0 generator)
  list(GET pair 1 table)
  execute_process(COMMAND ${PYTHON} ${SOURCE}/tools/gen/${generator}
                  OUTPUT_VARIABLE generated RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "tools/gen/${generator} failed")
  endif()
  file(READ ${SOURCE}/src/${table} committed)
  if(NOT generated STREQUAL committed)
    message(FATAL_ERROR "src/${table} differs from what tools/gen/${generator} writes; "
                        "regenerate it: python3 tools/gen/${generator} > src/${table}")
  endif()
endforeach()
