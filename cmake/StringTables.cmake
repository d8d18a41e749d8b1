# The string tables: content/strings/*.txt compiled by tools/strtab into generated/strings/.
#
# For each table <name> (common, extra, language0, language1) the build makes
#   generated/strings/<name>.bin        the decoded table (index, then counted text blocks)
#   generated/strings/<name>.bin.count  its entry count, the item header's Extra word
#   generated/strings/<name>.cpp        the same table as PlainStrings_<name>[] for the tests
# and generated/strings/licence0.txt and licence1.txt, the licences of content/licence/ (en, pl)
# checked and given CR LF line ends for the licence page's edit control. The target
# ogonek_string_tables makes them all. The tables and the two licence texts are
# registered with the packer (cmake/Payload.cmake) as CommonTable, ExtraTable, LanguageTable0,
# LanguageTable1, Licence0 and Licence1.
#
# The common table also takes generated/layout-patterns.txt, the byte patterns that kbdgen finds in
# the libraries it builds (cmake/Layouts.cmake, target ogonek_layouts); they replace the provisional
# patterns of common.txt. Without the layout build the provisional ones stay.

ogonek_host_tool(OGONEK_STRTAB strtab)
if(WIN32)
  set(_ogonek_strtab_depends ${OGONEK_STRTAB})
else()
  set(_ogonek_strtab_depends strtab)
endif()

set(OGONEK_STRINGS_DIR ${OGONEK_GENERATED}/strings)
if(NOT DEFINED OGONEK_LAYOUT_PATTERNS)
  set(OGONEK_LAYOUT_PATTERNS ${OGONEK_GENERATED}/layout-patterns.txt)
endif()
set(OGONEK_LICENCE0 ${OGONEK_GENERATED}/strings/licence0.txt)
set(OGONEK_LICENCE1 ${OGONEK_GENERATED}/strings/licence1.txt)
file(MAKE_DIRECTORY ${OGONEK_STRINGS_DIR})

set(OGONEK_STRING_TABLE_NAMES common extra language0 language1)
set(OGONEK_STRING_TABLE_SOURCES "")

function(_ogonek_string_table name)
  cmake_parse_arguments(T "" "" "SOURCES;OPTIONAL" ${ARGN})
  set(out ${OGONEK_STRINGS_DIR}/${name}.bin)
  set(cpp ${OGONEK_STRINGS_DIR}/${name}.cpp)
  set(args "")
  foreach(s IN LISTS T_SOURCES)
    list(APPEND args ${PROJECT_SOURCE_DIR}/content/strings/${s})
  endforeach()
  set(depends ${args})
  foreach(s IN LISTS T_OPTIONAL)
    list(APPEND args --optional ${s})
  endforeach()
  add_custom_command(OUTPUT ${out} ${out}.count ${cpp}
    COMMAND ${OGONEK_STRTAB} -o ${out} --cpp ${cpp} PlainStrings_${name} ${args}
    DEPENDS ${_ogonek_strtab_depends} ${depends}
    COMMENT "Compiling the string table ${name}"
    VERBATIM)
  set(OGONEK_STRING_TABLE_SOURCES ${OGONEK_STRING_TABLE_SOURCES} ${cpp} PARENT_SCOPE)
endfunction()

_ogonek_string_table(common SOURCES common.txt OPTIONAL ${OGONEK_LAYOUT_PATTERNS})
_ogonek_string_table(extra SOURCES extra.txt)
_ogonek_string_table(language0 SOURCES en.txt)
_ogonek_string_table(language1 SOURCES pl.txt)
foreach(licence IN ITEMS 0:en 1:pl)
  string(REPLACE ":" ";" licence ${licence})
  list(GET licence 0 index)
  list(GET licence 1 language)
  set(source ${PROJECT_SOURCE_DIR}/content/licence/${language}.txt)
  add_custom_command(OUTPUT ${OGONEK_LICENCE${index}}
    COMMAND ${OGONEK_STRTAB} --text ${source} ${OGONEK_LICENCE${index}}
    DEPENDS ${_ogonek_strtab_depends} ${source}
    COMMENT "Preparing licence text ${index}"
    VERBATIM)
endforeach()
add_custom_target(ogonek_string_tables ALL DEPENDS ${OGONEK_STRING_TABLE_SOURCES} ${OGONEK_LICENCE0} ${OGONEK_LICENCE1})

# Deferred to the end of the top folder, when the layout generator and the packer have been seen.
function(_ogonek_string_tables_finish)
  if(TARGET ogonek_layouts)
    add_custom_command(OUTPUT ${OGONEK_STRINGS_DIR}/common.bin APPEND DEPENDS ${OGONEK_LAYOUT_PATTERNS})
    add_dependencies(ogonek_string_tables ogonek_layouts)
  endif()
  if(COMMAND ogonek_pack_item)
    set(symbols CommonTable ExtraTable LanguageTable0 LanguageTable1)
    foreach(name symbol IN ZIP_LISTS OGONEK_STRING_TABLE_NAMES symbols)
      set(bin ${OGONEK_STRINGS_DIR}/${name}.bin)
      ogonek_pack_item(NAME ${symbol} INPUT ${bin} EXTRA_FILE ${bin}.count DEPENDS ogonek_string_tables)
    endforeach()
    ogonek_pack_item(NAME Licence0 INPUT ${OGONEK_LICENCE0} DEPENDS ogonek_string_tables)
    ogonek_pack_item(NAME Licence1 INPUT ${OGONEK_LICENCE1} DEPENDS ogonek_string_tables)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL _ogonek_string_tables_finish)
