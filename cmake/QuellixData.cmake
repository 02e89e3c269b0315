# Embeds the language data set into the library image.
#
# QUELLIX_LANGUAGES chooses the languages to embed: "all" (the default) or a ;-list of
# affixes ("en-us;de-1996;fr"); QUELLIX_LANGUAGES_EXCLUDE names affixes to leave out of
# that choice ("cs;ga"). A language left out keeps its Language value, name and margins;
# its files are simply not embedded, so its tables fail at first use with "Could not find".
#
# quellix_embed_data(target): for every chosen affix, the four files
# "hyph-<affix>.<kind>.txt.gz" (kinds chr, hyp, lic, pat) of QUELLIX_DATA_DIR become part of
# target:
#   - embedded_data.S     one .incbin per file in read-only data, each under a symbol
#                         hidden inside the library;
#   - embedded_files.inc  the sorted name table for src/languages/embedded_files.cpp, one line
#                         QUELLIX_EMBEDDED_FILE(index, "name", size) per file.
# The bytes are taken unchanged and assembled, never turned into a source literal. The
# assembly is one file for every object format: its preprocessor picks the directives of
# the target's (ELF, COFF for Windows, Mach-O for Apple systems, WebAssembly), so a cross
# build and the Mach-O check (tests/check_macho_embedding.cmake) assemble the same text.
# Configuring fails on an unknown affix and when the directory or one of the expected
# files is missing. QUELLIX_EMBEDDED_AFFIXES (a global property) holds the chosen affixes
# in table order, for the copyright file and the tests. A change
# to a data file re-runs the configuration (the sizes live in the table) and re-assembles
# the data.

function(quellix_embed_data target)
  set(table_file "${PROJECT_SOURCE_DIR}/src/languages/languages.inc")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${table_file}")

  # The affixes, in table order, checked for the shape the C++ side expects.
  file(STRINGS "${table_file}" rows REGEX "^QUELLIX_LANGUAGE\\(")
  set(affixes "")
  set(expected_number 0)
  foreach(row IN LISTS rows)
    if(NOT row MATCHES
       "^QUELLIX_LANGUAGE\\(([0-9]+), [A-Z][A-Za-z0-9_]*, [a-z][A-Za-z0-9_]*, \"([a-z0-9-]+)\", [0-9]+, [0-9]+\\)$")
      message(FATAL_ERROR "quellix: malformed row in ${table_file}: ${row}")
    endif()
    if(NOT CMAKE_MATCH_1 EQUAL expected_number)
      message(FATAL_ERROR "quellix: row ${CMAKE_MATCH_1} of ${table_file} is out of order")
    endif()
    list(APPEND affixes "${CMAKE_MATCH_2}")
    math(EXPR expected_number "${expected_number} + 1")
  endforeach()
  list(LENGTH affixes language_count)
  set(unique_affixes ${affixes})
  list(REMOVE_DUPLICATES unique_affixes)
  list(LENGTH unique_affixes unique_count)
  if(NOT language_count EQUAL 73 OR NOT unique_count EQUAL 73)
    message(FATAL_ERROR
      "quellix: ${table_file} must list 73 languages with distinct affixes "
      "(found ${language_count} rows, ${unique_count} distinct affixes)")
  endif()

  # The languages chosen.
  if(QUELLIX_LANGUAGES STREQUAL "all")
    set(chosen ${affixes})
  else()
    set(chosen ${QUELLIX_LANGUAGES})
  endif()
  set(unknown "")
  foreach(affix IN LISTS chosen QUELLIX_LANGUAGES_EXCLUDE)
    if(NOT affix IN_LIST affixes)
      list(APPEND unknown "\"${affix}\"")
    endif()
  endforeach()
  if(unknown)
    list(JOIN unknown ", " unknown_text)
    message(FATAL_ERROR
      "quellix: QUELLIX_LANGUAGES / QUELLIX_LANGUAGES_EXCLUDE name unknown language affixes: "
      "${unknown_text}. Use \"all\" or affixes such as \"en-us;de-1996;fr\" (src/languages/languages.inc "
      "lists them; quellix-hyphenate --list prints them).")
  endif()
  set(embedded "")
  foreach(affix IN LISTS affixes)
    if(affix IN_LIST chosen AND NOT affix IN_LIST QUELLIX_LANGUAGES_EXCLUDE)
      list(APPEND embedded "${affix}")
    endif()
  endforeach()
  if(NOT embedded)
    message(FATAL_ERROR
      "quellix: QUELLIX_LANGUAGES=\"${QUELLIX_LANGUAGES}\" with QUELLIX_LANGUAGES_EXCLUDE="
      "\"${QUELLIX_LANGUAGES_EXCLUDE}\" leaves no language to embed.")
  endif()
  list(LENGTH embedded embedded_count)
  if(NOT embedded_count EQUAL language_count)
    message(STATUS "quellix: embedding ${embedded_count} of ${language_count} languages: ${embedded}")
  endif()
  set_property(GLOBAL PROPERTY QUELLIX_EMBEDDED_AFFIXES "${embedded}")

  # The data directory and the names expected in it (292 when every language is chosen).
  get_filename_component(data_dir "${QUELLIX_DATA_DIR}" ABSOLUTE)
  if(NOT IS_DIRECTORY "${data_dir}")
    message(FATAL_ERROR
      "quellix: the language data directory ${data_dir} (QUELLIX_DATA_DIR) does not exist. "
      "Point QUELLIX_DATA_DIR at the directory holding the 292 hyph-utf8 .txt.gz files.")
  endif()
  set(names "")
  foreach(affix IN LISTS embedded)
    foreach(kind IN ITEMS chr hyp lic pat)
      list(APPEND names "hyph-${affix}.${kind}.txt.gz")
    endforeach()
  endforeach()
  # Byte-wise ascending, the order the run-time lookup relies on.
  list(SORT names COMPARE STRING CASE SENSITIVE)

  set(missing "")
  foreach(name IN LISTS names)
    if(NOT EXISTS "${data_dir}/${name}" OR IS_DIRECTORY "${data_dir}/${name}")
      list(APPEND missing "${name}")
    endif()
  endforeach()
  if(missing)
    list(LENGTH missing missing_count)
    list(JOIN missing "\n  " missing_text)
    message(FATAL_ERROR
      "quellix: the language data directory ${data_dir} (QUELLIX_DATA_DIR) lacks "
      "${missing_count} of the files the chosen languages need:\n  ${missing_text}")
  endif()

  # Files that look like data but belong to no language are left out; say so.
  file(GLOB present RELATIVE "${data_dir}" "${data_dir}/hyph-*.txt.gz")
  foreach(affix IN LISTS affixes)
    foreach(kind IN ITEMS chr hyp lic pat)
      list(REMOVE_ITEM present "hyph-${affix}.${kind}.txt.gz")
    endforeach()
  endforeach()
  if(present)
    list(JOIN present ", " extra_text)
    message(WARNING "quellix: not embedding files of ${data_dir} that no language uses: ${extra_text}")
  endif()

  # The directives of each object format, chosen by the target's predefined macros when
  # the assembly is preprocessed. QUELLIX_SYMBOL adds the C symbol prefix (an underscore on
  # Mach-O and 32-bit Windows). No line holds two statements: the statement separator
  # differs by target.
  set(asm_prelude [=[
#if defined(__APPLE__) || (defined(_WIN32) && defined(__i386__))
#define QUELLIX_SYMBOL(name) _##name
#else
#define QUELLIX_SYMBOL(name) name
#endif
#if defined(__APPLE__)
#define QUELLIX_READ_ONLY(name) .section __TEXT,__const
#define QUELLIX_HIDDEN(symbol) .private_extern symbol
#define QUELLIX_OBJECT(symbol)
#define QUELLIX_SIZE(symbol, bytes)
#elif defined(_WIN32) || defined(__CYGWIN__)
/* A DLL exports only what is marked for export: global symbols stay inside it. */
#define QUELLIX_READ_ONLY(name) .section .rdata,"dr"
#define QUELLIX_HIDDEN(symbol)
#define QUELLIX_OBJECT(symbol)
#define QUELLIX_SIZE(symbol, bytes)
#elif defined(__wasm__)
#define QUELLIX_READ_ONLY(name) .section .rodata.name,"",@
#define QUELLIX_HIDDEN(symbol) .hidden symbol
#define QUELLIX_OBJECT(symbol) .type symbol, @object
#define QUELLIX_SIZE(symbol, bytes) .size symbol, bytes
#elif defined(__ELF__)
    .section .note.GNU-stack,"",%progbits
/* No section or symbol type after "@": on some targets "@" starts a comment. */
#define QUELLIX_READ_ONLY(name) .section .rodata.name,"a"
#define QUELLIX_HIDDEN(symbol) .hidden symbol
#define QUELLIX_OBJECT(symbol) .type symbol, STT_OBJECT
#define QUELLIX_SIZE(symbol, bytes) .size symbol, bytes
#else
#error "quellix: no data embedding for this object format"
#endif]=])

  # The generated assembly and name table.
  set(asm "")
  set(table "")
  set(paths "")
  set(index 0)
  foreach(name IN LISTS names)
    set(path "${data_dir}/${name}")
    list(APPEND paths "${path}")
    file(SIZE "${path}" size)
    string(REPLACE "\\" "\\\\" quoted_path "${path}")
    string(REPLACE "\"" "\\\"" quoted_path "${quoted_path}")
    set(symbol "QUELLIX_SYMBOL(quellix_embedded_${index})")
    string(APPEND asm
      "    .globl ${symbol}\n"
      "    QUELLIX_HIDDEN(${symbol})\n"
      "    QUELLIX_OBJECT(${symbol})\n"
      "    QUELLIX_SIZE(${symbol}, ${size})\n"
      "${symbol}:\n"
      "    .incbin \"${quoted_path}\"\n")
    string(APPEND table "QUELLIX_EMBEDDED_FILE(${index}, \"${name}\", ${size})\n")
    math(EXPR index "${index} + 1")
  endforeach()

  set(out_dir "${CMAKE_CURRENT_BINARY_DIR}/quellix_data")
  set(asm_file "${out_dir}/embedded_data.S")
  set(table_out "${out_dir}/embedded_files.inc")
  # file(CONFIGURE) rewrites a file only when its content changes, so an unchanged data
  # set does not rebuild anything on re-configuration.
  file(CONFIGURE OUTPUT "${asm_file}" @ONLY CONTENT
"/* Generated by cmake/QuellixData.cmake from @data_dir@: do not edit. */
@asm_prelude@
    QUELLIX_READ_ONLY(quellix_embedded)
@asm@")
  file(CONFIGURE OUTPUT "${table_out}" @ONLY CONTENT
"// Generated by cmake/QuellixData.cmake from @data_dir@: do not edit.
// QUELLIX_EMBEDDED_FILE(index, name, size): the data files in ascending name order.
@table@")

  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${paths})
  # For tests that compare the embedded bytes with the files.
  set_property(GLOBAL PROPERTY QUELLIX_EMBEDDED_DATA_DIR "${data_dir}")
  set_source_files_properties("${asm_file}" PROPERTIES
    LANGUAGE ASM
    OBJECT_DEPENDS "${paths}")
  target_sources(${target} PRIVATE "${asm_file}")
  target_include_directories(${target} PRIVATE "${out_dir}")

  # The lookup index of every embedded pattern file, made at build time by
  # tools/gen/make_pattern_indexes.cpp (with the library's own parser and index builder) and
  # assembled like the data: pattern_indexes.bin under one hidden symbol, and
  # pattern_indexes.inc naming each language's image for src/embedded_files.cpp. A target
  # that compiles target's sources itself must depend on quellix_pattern_indexes.
  # The images are little-endian whatever the machine that makes them, so a cross build can
  # embed those of a generator that runs where it builds: QUELLIX_PATTERN_INDEX_TOOL names
  # one (quellix_make_pattern_indexes of a native build of the same sources), or the
  # target's own runs through CMAKE_CROSSCOMPILING_EMULATOR. A cross build with neither
  # leaves them out: the library then makes each index from the pattern text on first use,
  # as it does for other tries.
  set(QUELLIX_PATTERN_INDEX_TOOL "" CACHE FILEPATH
    "quellix_make_pattern_indexes of a native build, for a cross build's pattern indexes")
  if(NOT DEFINED CACHE{QUELLIX_PATTERN_INDEXES})
    if(NOT CMAKE_CROSSCOMPILING OR QUELLIX_PATTERN_INDEX_TOOL
       OR (CMAKE_CROSSCOMPILING_EMULATOR AND NOT EMSCRIPTEN))
      set(default_indexes ON)
    else()
      set(default_indexes OFF)
    endif()
    set(QUELLIX_PATTERN_INDEXES ${default_indexes} CACHE BOOL
      "Make the languages' pattern lookup indexes at build time and embed them")
  endif()
  if(QUELLIX_PATTERN_INDEXES AND QUELLIX_PATTERN_INDEX_TOOL)
    if(NOT EXISTS "${QUELLIX_PATTERN_INDEX_TOOL}" OR IS_DIRECTORY "${QUELLIX_PATTERN_INDEX_TOOL}")
      message(FATAL_ERROR "quellix: QUELLIX_PATTERN_INDEX_TOOL=${QUELLIX_PATTERN_INDEX_TOOL} is not a "
        "program; build the target quellix_make_pattern_indexes of a native build and name it.")
    endif()
    set(index_generator "${QUELLIX_PATTERN_INDEX_TOOL}")
  elseif(QUELLIX_PATTERN_INDEXES)
    set(index_generator quellix_make_pattern_indexes)
    set(src_dir "${PROJECT_SOURCE_DIR}/src")
    add_executable(quellix_make_pattern_indexes
      "${PROJECT_SOURCE_DIR}/tools/gen/make_pattern_indexes.cpp"
      "${src_dir}/engine/pattern.cpp"
      "${src_dir}/engine/pattern_index.cpp"
      "${src_dir}/languages/data_file.cpp"
      "${src_dir}/base/error.cpp"
      "${src_dir}/base/lazy.cpp"
      "${src_dir}/base/sort_keys.cpp")
    target_include_directories(quellix_make_pattern_indexes PRIVATE
      "${src_dir}/base" "${src_dir}/engine" "${src_dir}/languages"
      "${PROJECT_SOURCE_DIR}/include" "${PROJECT_BINARY_DIR}/include")
    target_link_libraries(quellix_make_pattern_indexes PRIVATE ZLIB::ZLIB)
    quellix_set_warnings(quellix_make_pattern_indexes)
    # It runs in every build: optimised whatever the configuration.
    if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
      target_compile_options(quellix_make_pattern_indexes PRIVATE -O2)
    endif()
  endif()
  if(QUELLIX_PATTERN_INDEXES)
    set(pattern_paths "")
    foreach(affix IN LISTS embedded)
      list(APPEND pattern_paths "${data_dir}/hyph-${affix}.pat.txt.gz")
    endforeach()
    set(index_bin "${out_dir}/pattern_indexes.bin")
    set(index_inc "${out_dir}/pattern_indexes.inc")
    add_custom_command(
      OUTPUT "${index_bin}" "${index_inc}"
      COMMAND ${index_generator} "${index_bin}" "${index_inc}" "${data_dir}" ${embedded}
      DEPENDS ${index_generator} ${pattern_paths}
      COMMENT "Making the pattern lookup indexes of ${embedded_count} languages"
      VERBATIM)
    string(REPLACE "\\" "\\\\" quoted_bin "${index_bin}")
    string(REPLACE "\"" "\\\"" quoted_bin "${quoted_bin}")
    set(index_asm "${out_dir}/pattern_indexes.S")
    file(CONFIGURE OUTPUT "${index_asm}" @ONLY CONTENT
"/* Generated by cmake/QuellixData.cmake: do not edit. */
@asm_prelude@
    QUELLIX_READ_ONLY(quellix_pattern_indexes)
    .balign 64
    .globl QUELLIX_SYMBOL(quellix_pattern_indexes)
    QUELLIX_HIDDEN(QUELLIX_SYMBOL(quellix_pattern_indexes))
    QUELLIX_OBJECT(QUELLIX_SYMBOL(quellix_pattern_indexes))
QUELLIX_SYMBOL(quellix_pattern_indexes):
    .incbin \"@quoted_bin@\"
    QUELLIX_SIZE(QUELLIX_SYMBOL(quellix_pattern_indexes), . - QUELLIX_SYMBOL(quellix_pattern_indexes))
")
    set_source_files_properties("${index_asm}" PROPERTIES
      LANGUAGE ASM
      OBJECT_DEPENDS "${index_bin}")
    # A target of its own, so that a library compiled from target's sources elsewhere (the
    # fuzz build's) can wait for the images too.
    add_custom_target(quellix_pattern_indexes DEPENDS "${index_bin}" "${index_inc}")
    add_dependencies(${target} quellix_pattern_indexes)
    target_sources(${target} PRIVATE "${index_asm}")
    target_compile_definitions(${target} PRIVATE QUELLIX_PATTERN_INDEXES=1)
  endif()
endfunction()
