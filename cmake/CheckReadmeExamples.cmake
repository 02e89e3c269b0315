# Checks the README's examples against examples/ (run by the readme_examples test).
#
# For every NAME of EXAMPLES, README holds "<!-- example: NAME -->" right before a code
# block and, after it, a ```text block with the program's output. The code block must
# appear verbatim in SOURCE_DIR/NAME.cpp (or .c), and BINARY_DIR/example_NAME must print
# exactly the text block. Strings are searched, never split into lists, so the code's
# semicolons and brackets need no escaping.
#
# With TOOL (the built quellix-hyphenate), the quick start is checked too: the ```sh block
# after "<!-- quick start -->" runs ./build/release/tools/quellix-hyphenate with some
# arguments, and the ```text block after it is what those runs print together.
file(READ "${README}" readme)
set(failures "")

# The text between the fence line that starts at or after `from` and its closing fence,
# and the position after that fence; "" and -1 when there is no such block.
function(block_after text from out_body out_end)
  set(body "")
  set(end -1)
  string(SUBSTRING "${text}" ${from} -1 rest)
  string(FIND "${rest}" "```" fence)
  if(NOT fence EQUAL -1)
    string(SUBSTRING "${rest}" ${fence} -1 rest)
    string(FIND "${rest}" "\n" line_end)
    math(EXPR body_start "${line_end} + 1")
    string(SUBSTRING "${rest}" ${body_start} -1 rest)
    string(FIND "${rest}" "\n```" close)
    if(NOT close EQUAL -1)
      string(SUBSTRING "${rest}" 0 ${close} body)
      math(EXPR end "${from} + ${fence} + ${body_start} + ${close} + 4")
    endif()
  endif()
  set(${out_body} "${body}" PARENT_SCOPE)
  set(${out_end} ${end} PARENT_SCOPE)
endfunction()

foreach(name IN LISTS EXAMPLES)
  string(FIND "${readme}" "<!-- example: ${name} -->\n" marker)
  if(marker EQUAL -1)
    string(APPEND failures "README.md has no example marker for ${name}\n")
    continue()
  endif()
  block_after("${readme}" ${marker} code code_end)
  set(expected_end -1)
  if(NOT code_end EQUAL -1)
    block_after("${readme}" ${code_end} expected expected_end)
  endif()
  if(expected_end EQUAL -1)
    string(APPEND failures "README.md: example ${name} lacks its code or its output block\n")
    continue()
  endif()

  set(source "${SOURCE_DIR}/${name}.cpp")
  if(NOT EXISTS "${source}")
    set(source "${SOURCE_DIR}/${name}.c")
  endif()
  file(READ "${source}" program)
  string(FIND "${program}" "${code}" found)
  if(found EQUAL -1)
    string(APPEND failures "${source} does not hold the README's code of example ${name}\n")
  endif()

  execute_process(COMMAND "${BINARY_DIR}/example_${name}"
    OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    string(APPEND failures "example_${name} exited with ${status}: ${errors}\n")
  elseif(NOT output STREQUAL "${expected}\n")
    string(APPEND failures
      "example_${name} printed\n${output}\nbut README.md says\n${expected}\n")
  endif()
endforeach()

if(TOOL)
  string(FIND "${readme}" "<!-- quick start -->\n" marker)
  set(expected_end -1)
  if(NOT marker EQUAL -1)
    block_after("${readme}" ${marker} commands commands_end)
    if(NOT commands_end EQUAL -1)
      block_after("${readme}" ${commands_end} expected expected_end)
    endif()
  endif()
  if(expected_end EQUAL -1)
    string(APPEND failures "README.md lacks the quick start's commands or their output\n")
  else()
    string(REPLACE "\\\n" " " commands "${commands}")
    string(REPLACE " && " ";" commands "${commands}")
    set(output "")
    foreach(command IN LISTS commands)
      string(STRIP "${command}" command)
      if(command MATCHES "^\\./build/release/tools/quellix-hyphenate (.*)$")
        separate_arguments(arguments UNIX_COMMAND "${CMAKE_MATCH_1}")
        execute_process(COMMAND "${TOOL}" ${arguments} OUTPUT_VARIABLE printed)
        string(APPEND output "${printed}")
      endif()
    endforeach()
    if(output STREQUAL "" OR NOT output STREQUAL "${expected}\n")
      string(APPEND failures "the quick start's commands print\n${output}\nbut README.md says\n${expected}\n")
    endif()
  endif()
endif()

if(failures)
  message(FATAL_ERROR "${failures}")
endif()
list(LENGTH EXAMPLES count)
message(STATUS "${count} README examples match their programs")
