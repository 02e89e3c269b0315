# Compares the symbols LIBRARY exports (nm -D --defined-only) with the committed LIST, so
# that an accidental export, or a lost one, fails the exported_symbols test. With
# -DUPDATE=ON it rewrites LIST instead (after a deliberate change of the public API).
execute_process(COMMAND "${NM}" -D --defined-only --format=posix "${LIBRARY}"
  OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${NM} failed on ${LIBRARY}")
endif()
string(REGEX REPLACE "\n$" "" listing "${listing}")
string(REPLACE "\n" ";" lines "${listing}")
set(symbols "")
foreach(line IN LISTS lines)
  # "name type value size": the name alone; version nodes (type A) are not symbols.
  if(line MATCHES "^([^ ]+) ([A-Za-z])")
    if(NOT CMAKE_MATCH_2 STREQUAL "A")
      list(APPEND symbols "${CMAKE_MATCH_1}")
    endif()
  endif()
endforeach()
list(SORT symbols)
list(REMOVE_DUPLICATES symbols)
list(JOIN symbols "\n" actual)
string(APPEND actual "\n")

if(UPDATE)
  file(WRITE "${LIST}" "${actual}")
  list(LENGTH symbols count)
  message(STATUS "wrote ${count} symbols to ${LIST}")
  return()
endif()
file(READ "${LIST}" expected)
if(NOT actual STREQUAL expected)
  string(REPLACE "\n" ";" expected_list "${expected}")
  set(added ${symbols})
  list(REMOVE_ITEM added ${expected_list})
  set(lost ${expected_list})
  list(REMOVE_ITEM lost ${symbols} "")
  list(JOIN added "\n  " added_text)
  list(JOIN lost "\n  " lost_text)
  message(FATAL_ERROR "the exported symbols differ from ${LIST}\n"
    "exported but not listed:\n  ${added_text}\nlisted but not exported:\n  ${lost_text}\n"
    "If the change is meant: cmake -DNM=${NM} -DLIBRARY=${LIBRARY} -DLIST=${LIST} -DUPDATE=ON "
    "-P ${CMAKE_CURRENT_LIST_FILE}")
endif()
