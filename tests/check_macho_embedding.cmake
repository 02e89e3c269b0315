# The Mach-O form of the embedded data, checked where macOS cannot run: the assembly that
# cmake/QuellixData.cmake generated is assembled for Apple targets with Clang's integrated
# assembler (no SDK needed), and each object must define every data file, and the index
# images when the build made them, under a private external symbol of __TEXT,__const that
# holds exactly its bytes.
#
#   cmake -DCLANG=clang -DNM=llvm-nm -DOBJCOPY=llvm-objcopy -DOUT_DIR=<build>/src/quellix_data
#         -DDATA_DIR=<data> -DWORK=<scratch dir> -P check_macho_embedding.cmake
#
# Prints "-- skipped: ..." (and passes) when Clang or the LLVM tools are missing.
foreach(tool IN ITEMS CLANG NM OBJCOPY)
  if(NOT ${tool} OR NOT EXISTS "${${tool}}")
    message(STATUS "skipped: no ${tool} (Debian packages clang and llvm)")
    return()
  endif()
endforeach()
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

# The data files in table order, with their sizes.
file(STRINGS "${OUT_DIR}/embedded_files.inc" rows REGEX "^QUELLIX_EMBEDDED_FILE\\(")
set(files "")
set(expected_symbols "")
set(expected_offsets "")  # where each file starts in the section
set(offset 0)
foreach(row IN LISTS rows)
  if(NOT row MATCHES "^QUELLIX_EMBEDDED_FILE\\(([0-9]+), \"([^\"]+)\", ([0-9]+)\\)$")
    message(FATAL_ERROR "unexpected row in embedded_files.inc: ${row}")
  endif()
  list(APPEND files "${DATA_DIR}/${CMAKE_MATCH_2}")
  list(APPEND expected_symbols "_quellix_embedded_${CMAKE_MATCH_1}")
  list(APPEND expected_offsets ${offset})
  math(EXPR offset "${offset} + ${CMAKE_MATCH_3}")
endforeach()
execute_process(COMMAND "${CMAKE_COMMAND}" -E cat ${files} OUTPUT_FILE "${WORK}/data.expected"
  RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cannot read the data files of ${DATA_DIR}")
endif()

# check(assembly, expected symbols, their offsets in the section, expected section bytes)
function(check assembly symbols offsets bytes)
  get_filename_component(stem "${assembly}" NAME_WE)
  foreach(target IN ITEMS x86_64-apple-macos arm64-apple-macos)
    set(object "${WORK}/${stem}-${target}.o")
    execute_process(COMMAND "${CLANG}" -target ${target} -integrated-as -c "${assembly}" -o "${object}"
      RESULT_VARIABLE failed ERROR_VARIABLE errors)
    if(failed)
      message(FATAL_ERROR "${target}: ${assembly} does not assemble:\n${errors}")
    endif()
    # "address (segment,section) kind name" for each symbol, in address order.
    execute_process(COMMAND "${NM}" -m --numeric-sort "${object}" OUTPUT_VARIABLE listing
      RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "${NM} failed on ${object}")
    endif()
    string(REGEX MATCHALL "[^\n]+" lines "${listing}")
    set(found "")
    set(found_offsets "")
    foreach(line IN LISTS lines)
      if(line MATCHES " external ")  # what other objects see; local labels are left out
        if(NOT line MATCHES "^([0-9a-f]+) \\(__TEXT,__const\\) private external (_quellix_[a-z_0-9]+)$")
          message(FATAL_ERROR "${target}: ${assembly}: not a private symbol of __TEXT,__const: ${line}")
        endif()
        list(APPEND found "${CMAKE_MATCH_2}")
        math(EXPR address "0x${CMAKE_MATCH_1}")
        list(APPEND found_offsets ${address})
      endif()
    endforeach()
    if(NOT found STREQUAL symbols OR NOT found_offsets STREQUAL offsets)
      list(LENGTH found found_count)
      list(LENGTH symbols expected_count)
      message(FATAL_ERROR "${target}: ${assembly} defines ${found_count} symbols, not the "
        "${expected_count} expected each at the start of its file's bytes")
    endif()
    # The section's bytes are the files, one after another: each symbol holds its file.
    execute_process(COMMAND "${OBJCOPY}" "--dump-section=__TEXT,__const=${object}.bin" "${object}"
      "${object}.copy" RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "${OBJCOPY} failed on ${object}")
    endif()
    execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${object}.bin" "${bytes}"
      RESULT_VARIABLE different)
    if(different)
      message(FATAL_ERROR "${target}: the __TEXT,__const section of ${assembly} is not ${bytes}")
    endif()
  endforeach()
endfunction()

check("${OUT_DIR}/embedded_data.S" "${expected_symbols}" "${expected_offsets}" "${WORK}/data.expected")
if(EXISTS "${OUT_DIR}/pattern_indexes.S")
  check("${OUT_DIR}/pattern_indexes.S" "_quellix_pattern_indexes" 0 "${OUT_DIR}/pattern_indexes.bin")
endif()
list(LENGTH files count)
message(STATUS "the Mach-O embedding holds the ${count} data files and the index images")
