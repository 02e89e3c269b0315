# The licences of the language data, from the one table data/licences.tsv.
#
# Included by the build: quellix_write_copyright(OUTPUT affixes...) writes a Debian
# machine-readable copyright file naming the project's licence for the code and, for
# each affix given, the licence that language's .lic text states.
#
# Run as a script, it keeps the licence table of data/README.md equal to data/licences.tsv:
#   cmake -P cmake/QuellixLicences.cmake            fails (and says where) if they differ
#   cmake -DUPDATE=ON -P cmake/QuellixLicences.cmake rewrites the table in data/README.md

if(CMAKE_SCRIPT_MODE_FILE)
  cmake_minimum_required(VERSION 3.20)
endif()

get_filename_component(QUELLIX_LICENCES_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(QUELLIX_LICENCES_TABLE "${QUELLIX_LICENCES_ROOT}/data/licences.tsv")
set(QUELLIX_LANGUAGE_TABLE "${QUELLIX_LICENCES_ROOT}/src/languages/languages.inc")

# Semicolons in the texts would split CMake lists; they travel as this marker.
set(_quellix_semicolon "<quellix-semicolon>")

# Reads both tables. Sets, in the caller's scope, quellix_licence_affixes (in language
# number order) and for each affix A: quellix_name_<A>, quellix_licence_<A>,
# quellix_stated_<A>, quellix_quote_<A>, quellix_copyright_<A>.
macro(quellix_read_licence_table)
  file(STRINGS "${QUELLIX_LANGUAGE_TABLE}" _rows REGEX "^QUELLIX_LANGUAGE\\(")
  set(quellix_licence_affixes "")
  foreach(_row IN LISTS _rows)
    if(_row MATCHES "^QUELLIX_LANGUAGE\\([0-9]+, ([A-Za-z0-9_]+), [A-Za-z0-9_]+, \"([a-z0-9-]+)\"")
      list(APPEND quellix_licence_affixes "${CMAKE_MATCH_2}")
      set("quellix_name_${CMAKE_MATCH_2}" "${CMAKE_MATCH_1}")
    endif()
  endforeach()

  file(READ "${QUELLIX_LICENCES_TABLE}" _tsv)
  string(REPLACE ";" "${_quellix_semicolon}" _tsv "${_tsv}")
  string(REPLACE "\n" ";" _lines "${_tsv}")
  set(_seen "")
  set(_header_read OFF)
  foreach(_line IN LISTS _lines)
    if(_line STREQUAL "" OR _line MATCHES "^#")
      continue()
    endif()
    if(NOT _header_read)
      set(_header_read ON)  # affix licence stated quote copyright
      continue()
    endif()
    string(REPLACE "\t" ";" _fields "${_line}")
    list(LENGTH _fields _count)
    if(NOT _count EQUAL 5)
      message(FATAL_ERROR "quellix: ${QUELLIX_LICENCES_TABLE}: expected 5 tab-separated fields: ${_line}")
    endif()
    list(GET _fields 0 _affix)
    if(NOT DEFINED "quellix_name_${_affix}")
      message(FATAL_ERROR "quellix: ${QUELLIX_LICENCES_TABLE} names an unknown affix: ${_affix}")
    endif()
    if(_affix IN_LIST _seen)
      message(FATAL_ERROR "quellix: ${QUELLIX_LICENCES_TABLE} lists ${_affix} twice")
    endif()
    list(APPEND _seen "${_affix}")
    set(_index 1)
    foreach(_column IN ITEMS licence stated quote copyright)
      list(GET _fields ${_index} _value)
      string(REPLACE "${_quellix_semicolon}" ";" _value "${_value}")
      set("quellix_${_column}_${_affix}" "${_value}")
      math(EXPR _index "${_index} + 1")
    endforeach()
  endforeach()
  foreach(_affix IN LISTS quellix_licence_affixes)
    if(NOT _affix IN_LIST _seen)
      message(FATAL_ERROR "quellix: ${QUELLIX_LICENCES_TABLE} has no row for ${_affix}")
    endif()
  endforeach()
endmacro()

# The Markdown table of data/README.md, one row per language in number order.
function(quellix_licence_markdown out_var)
  quellix_read_licence_table()
  set(text "| Language | Affix | Licence as the .lic text states it | `License` in the Debian copyright file |\n")
  string(APPEND text "|---|---|---|---|\n")
  foreach(affix IN LISTS quellix_licence_affixes)
    string(APPEND text
      "| ${quellix_name_${affix}} | `${affix}` | ${quellix_stated_${affix}} | `${quellix_licence_${affix}}` |\n")
  endforeach()
  set(${out_var} "${text}" PARENT_SCOPE)
endfunction()

# Appends text as the body of a copyright-file field: each line indented by one space,
# an empty line written as " .".
function(_quellix_field_body out_var body_text)
  string(REPLACE ";" "${_quellix_semicolon}" body_text "${body_text}")
  string(REPLACE "\n" ";" body_lines "${body_text}")
  set(body "")
  foreach(body_line IN LISTS body_lines)
    string(REPLACE "${_quellix_semicolon}" ";" body_line "${body_line}")
    if(body_line STREQUAL "")
      string(APPEND body " .\n")
    else()
      string(APPEND body " ${body_line}\n")
    endif()
  endforeach()
  set(${out_var} "${${out_var}}${body}" PARENT_SCOPE)
endfunction()

# The text of a stand-alone License paragraph for one licence name of the table.
function(_quellix_licence_text out_var name)
  set(common "/usr/share/common-licenses")
  if(name STREQUAL "Expat")
    set(text "Permission is hereby granted, free of charge, to any person obtaining a copy
of this software and associated documentation files (the \"Software\"), to deal
in the Software without restriction, including without limitation the rights
to use, copy, modify, merge, publish, distribute, sublicense, and/or sell
copies of the Software, and to permit persons to whom the Software is
furnished to do so, subject to the following conditions:

The above copyright notice and this permission notice shall be included in all
copies or substantial portions of the Software.

THE SOFTWARE IS PROVIDED \"AS IS\", WITHOUT WARRANTY OF ANY KIND, EXPRESS OR
IMPLIED, INCLUDING BUT NOT LIMITED TO THE WARRANTIES OF MERCHANTABILITY,
FITNESS FOR A PARTICULAR PURPOSE AND NONINFRINGEMENT. IN NO EVENT SHALL THE
AUTHORS OR COPYRIGHT HOLDERS BE LIABLE FOR ANY CLAIM, DAMAGES OR OTHER
LIABILITY, WHETHER IN AN ACTION OF CONTRACT, TORT OR OTHERWISE, ARISING FROM,
OUT OF OR IN CONNECTION WITH THE SOFTWARE OR THE USE OR OTHER DEALINGS IN THE
SOFTWARE.")
  elseif(name MATCHES "^LPPL(-([0-9.a]+)(\\+?))?$")
    if(CMAKE_MATCH_1)
      set(version "version ${CMAKE_MATCH_2}")
      if(CMAKE_MATCH_3)
        string(APPEND version " or (at your option) any later version")
      endif()
    else()
      set(version "no version named")
    endif()
    set(text "The LaTeX Project Public License (${version}).
Its current text is at https://www.latex-project.org/lppl.txt (older versions
at https://www.latex-project.org/lppl/); Debian systems do not carry it in
${common}.")
  elseif(name MATCHES "^(L?GPL)-([0-9.]+)(\\+?)$")
    set(text "On Debian systems the complete text of the GNU ")
    if(CMAKE_MATCH_1 STREQUAL "LGPL")
      string(APPEND text "Lesser ")
    endif()
    string(APPEND text "General Public License version ${CMAKE_MATCH_2}")
    if(CMAKE_MATCH_3)
      string(APPEND text " (or, at your option, any later version)")
    endif()
    string(APPEND text "\nis in ${common}/${CMAKE_MATCH_1}-${CMAKE_MATCH_2}.")
  elseif(name STREQUAL "GPL" OR name STREQUAL "LGPL")
    if(name STREQUAL "GPL")
      set(full "General Public License")
    else()
      set(full "Lesser General Public License")
    endif()
    set(text "The GNU ${full}; the licence notice names no version.
On Debian systems the complete text of its latest version is in
${common}/${name}.")
  elseif(name STREQUAL "MPL-1.1")
    set(text "On Debian systems the complete text of the Mozilla Public License
version 1.1 is in ${common}/MPL-1.1.")
  elseif(name STREQUAL "BSD-3-clause")
    set(text "Redistribution and use in source and binary forms, with or without
modification, are permitted provided that the following conditions are met:
    * Redistributions of source code must retain the above copyright
      notice, this list of conditions and the following disclaimer.
    * Redistributions in binary form must reproduce the above copyright
      notice, this list of conditions and the following disclaimer in the
      documentation and/or other materials provided with the distribution.
    * Neither the name of the University of Campinas, of the University of
      Minho nor the names of its contributors may be used to endorse or
      promote products derived from this software without specific prior
      written permission.

THIS SOFTWARE IS PROVIDED BY THE COPYRIGHT HOLDERS AND CONTRIBUTORS \"AS IS\" AND
ANY EXPRESS OR IMPLIED WARRANTIES, INCLUDING, BUT NOT LIMITED TO, THE IMPLIED
WARRANTIES OF MERCHANTABILITY AND FITNESS FOR A PARTICULAR PURPOSE ARE
DISCLAIMED. IN NO EVENT SHALL PEDRO J. DE REZENDE OR J.JOAO DIAS ALMEIDA BE
LIABLE FOR ANY DIRECT, INDIRECT, INCIDENTAL, SPECIAL, EXEMPLARY, OR
CONSEQUENTIAL DAMAGES (INCLUDING, BUT NOT LIMITED TO, PROCUREMENT OF SUBSTITUTE
GOODS OR SERVICES; LOSS OF USE, DATA, OR PROFITS; OR BUSINESS INTERRUPTION)
HOWEVER CAUSED AND ON ANY THEORY OF LIABILITY, WHETHER IN CONTRACT, STRICT
LIABILITY, OR TORT (INCLUDING NEGLIGENCE OR OTHERWISE) ARISING IN ANY WAY OUT
OF THE USE OF THIS SOFTWARE, EVEN IF ADVISED OF THE POSSIBILITY OF SUCH DAMAGE.")
  elseif(name STREQUAL "FSFAP")
    set(text "Copying and distribution of this file, with or without modification,
are permitted in any medium without royalty provided the copyright
notice and this notice are preserved.")
  elseif(name STREQUAL "public-domain")
    set(text "The licence notice says only: \"License: Public domain\".")
  elseif(name STREQUAL "notice-none")
    set(text "The licence notices of the files under this name state no licence terms:
some say only \"The licence terms are unchanged.\" of the file the patterns
were converted from, others say nothing about licensing. The terms are
unknown; the hyph-utf8 collection distributes the files.")
  else()
    message(FATAL_ERROR "quellix: no licence text known for \"${name}\" (data/licences.tsv)")
  endif()
  set(${out_var} "${text}" PARENT_SCOPE)
endfunction()

# Writes the Debian machine-readable copyright file for a build embedding the languages
# of the given affixes.
# contact is the Upstream-Contact field.
function(quellix_write_copyright output contact)
  quellix_read_licence_table()
  set(affixes ${ARGN})
  set(text "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: quellix
Upstream-Contact: ${contact}
Source: ${PROJECT_HOMEPAGE_URL}
Comment: libquellix embeds the hyphenation patterns of the languages below, from
 the hyph-utf8 collection. Each language's licence notice travels with its
 patterns as hyph-AFFIX.lic.txt inside the library; print it with
 \"quellix-hyphenate --licence AFFIX\". The licence of each paragraph below is
 the one that notice states.

Files: *
Copyright: 2026 The quellix authors
License: Expat
")
  set(used "Expat")
  foreach(affix IN LISTS quellix_licence_affixes)
    if(NOT affix IN_LIST affixes)
      continue()
    endif()
    set(licence "${quellix_licence_${affix}}")
    string(APPEND text "
Files: data/hyph-${affix}.*
Copyright: ${quellix_copyright_${affix}}
License: ${licence}
")
    if(licence MATCHES "^notice-" AND NOT licence STREQUAL "notice-none")
      # A notice of its own: its decisive sentences, verbatim, are the licence text.
      string(REPLACE " | " "\n\n" quote "${quellix_quote_${affix}}")
      _quellix_field_body(text "${quote}")
    else()
      string(REPLACE " or " ";" names "${licence}")
      list(APPEND used ${names})
    endif()
    string(APPEND text "Comment: ${quellix_name_${affix}} (${affix}); the notice states: ${quellix_stated_${affix}}\n")
  endforeach()
  list(REMOVE_DUPLICATES used)
  foreach(name IN LISTS used)
    _quellix_licence_text(licence_text "${name}")
    string(APPEND text "\nLicense: ${name}\n")
    _quellix_field_body(text "${licence_text}")
  endforeach()
  file(CONFIGURE OUTPUT "${output}" CONTENT "${text}" @ONLY)
endfunction()

# Writes the C++ source that quellix-hyphenate --licence shows without a language:
# kOwnLicence, the text of LICENSE, and kStatedLicences, each affix with the licence its
# notice states, in language number order.
function(quellix_write_tool_licences output)
  quellix_read_licence_table()
  file(READ "${QUELLIX_LICENCES_ROOT}/LICENSE" own)
  # Raw string literals: only their closing sequence could end them early.
  set(open "R\"quellix(")
  set(close ")quellix\"")
  string(FIND "${own}" "${close}" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "quellix: LICENSE holds ${close}")
  endif()
  set(text "// Made by cmake/QuellixLicences.cmake from LICENSE and data/licences.tsv.
constexpr std::string_view kOwnLicence = ${open}${own}${close};

struct StatedLicence {
  std::string_view affix;
  std::string_view stated;
};

constexpr StatedLicence kStatedLicences[] = {
")
  foreach(affix IN LISTS quellix_licence_affixes)
    string(APPEND text "    {\"${affix}\", ${open}${quellix_stated_${affix}}${close}},\n")
  endforeach()
  string(APPEND text "};\n")
  # Written only when it changes, so that the tool is not rebuilt for nothing.
  set(previous "")
  if(EXISTS "${output}")
    file(READ "${output}" previous)
  endif()
  if(NOT previous STREQUAL text)
    file(WRITE "${output}" "${text}")
  endif()
endfunction()

# Script mode: check or rewrite the table in data/README.md.
if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  set(readme "${QUELLIX_LICENCES_ROOT}/data/README.md")
  set(begin_marker "<!-- licence table: generated from licences.tsv by cmake/QuellixLicences.cmake -->\n")
  set(end_marker "<!-- end of licence table -->")
  file(READ "${readme}" content)
  string(FIND "${content}" "${begin_marker}" begin)
  string(FIND "${content}" "${end_marker}" end)
  if(begin EQUAL -1 OR end EQUAL -1 OR end LESS begin)
    message(FATAL_ERROR "quellix: ${readme} lacks the licence table markers")
  endif()
  string(LENGTH "${begin_marker}" marker_length)
  math(EXPR table_start "${begin} + ${marker_length}")
  math(EXPR table_length "${end} - ${table_start}")
  string(SUBSTRING "${content}" ${table_start} ${table_length} current)
  quellix_licence_markdown(expected)
  if(current STREQUAL expected)
    message(STATUS "data/README.md's licence table matches data/licences.tsv")
  elseif(UPDATE)
    string(SUBSTRING "${content}" 0 ${table_start} head)
    string(SUBSTRING "${content}" ${end} -1 tail)
    file(WRITE "${readme}" "${head}${expected}${tail}")
    message(STATUS "rewrote the licence table of ${readme}")
  else()
    message(FATAL_ERROR
      "quellix: the licence table of ${readme} differs from data/licences.tsv; "
      "run cmake -DUPDATE=ON -P cmake/QuellixLicences.cmake")
  endif()
endif()
