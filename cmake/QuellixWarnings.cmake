# quellix_set_warnings(target): the project's warning set, errors only when asked for.
function(quellix_set_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
    # GCC 12 reports std::string concatenation as overlapping memcpy (GCC bug 105329).
    $<$<AND:$<CXX_COMPILER_ID:GNU>,$<VERSION_LESS:$<CXX_COMPILER_VERSION>,13>>:-Wno-restrict>)
  if(QUELLIX_WERROR)
    # -pedantic-errors: no GNU extension of the language passes either.
    target_compile_options(${target} PRIVATE -Werror -pedantic-errors)
  endif()
endfunction()
