# The payload: items the program carries enciphered, the key material, and the rules that make them.
#
#   ogonek_pack_item(NAME <Symbol> INPUT <file> [EXTRA <n> | EXTRA_FILE <file>] [DEPENDS <files or targets>...]
#                    [LIBRARY <target>])
#     Registers one item. INPUT is relative to the calling folder unless absolute; EXTRA (default 0) is
#     the header's Extra word, or EXTRA_FILE names a file that holds it as a decimal number (for a
#     generator that only knows the count when it runs). DEPENDS names what makes INPUT or EXTRA_FILE.
#     LIBRARY keeps the item out of every library but that one (a test's own items).
#
#   ogonek_payload_library(<target> [SEED <text>] [ITEMS <Symbol>...] [HEADER <name.h>])
#     A static library holding the key material and the items: those registered without LIBRARY
#     (or only the ITEMS given), plus those registered for this library; enciphered under a key made
#     from SEED (default: project name and version, so builds are reproducible). Its header,
#     generated/<HEADER> (default <target>.h), declares
#       extern "C" const unsigned char KeyMaterial[kKeyMaterialLength];
#       extern const EmbeddedItem <Symbol>;   (one per item)
#     The library is made at the end of the configure run, so items registered anywhere, before or
#     after this call, are included; link it by name as usual.
#
# Everything it makes lives under generated/<target>/. The Windows builds run the packer of the host
# build (OGONEK_HOST_BIN).

enable_language(ASM)

if(WIN32)
  # setup.exe must not need zlib1.dll.
  set(ZLIB_USE_STATIC_LIBS ON)
endif()
find_package(ZLIB REQUIRED)

# The Blowfish tables are computed by a host tool rather than typed in; see tools/packer.
function(ogonek_blowfish_tables out)
  ogonek_host_tool(tables blowfish_tables)
  if(WIN32)
    set(tables_dep ${tables})
  else()
    set(tables_dep blowfish_tables)
  endif()
  set(inc ${OGONEK_GENERATED}/payload/BlowfishTables.inc)
  add_custom_command(OUTPUT ${inc}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${OGONEK_GENERATED}/payload
    COMMAND ${tables} ${inc}
    DEPENDS ${tables_dep}
    COMMENT "Computing the Blowfish tables"
    VERBATIM)
  set(${out} ${inc} PARENT_SCOPE)
endfunction()

function(ogonek_pack_item)
  cmake_parse_arguments(I "" "NAME;INPUT;EXTRA;EXTRA_FILE;LIBRARY" "DEPENDS" ${ARGN})
  if(NOT I_NAME MATCHES "^[A-Za-z_][A-Za-z0-9_]*$")
    message(FATAL_ERROR "ogonek_pack_item: NAME must be a C++ identifier, got '${I_NAME}'")
  endif()
  if(NOT I_INPUT)
    message(FATAL_ERROR "ogonek_pack_item(${I_NAME}): INPUT is required")
  endif()
  if(DEFINED I_EXTRA AND DEFINED I_EXTRA_FILE)
    message(FATAL_ERROR "ogonek_pack_item(${I_NAME}): give EXTRA or EXTRA_FILE, not both")
  endif()
  get_property(items GLOBAL PROPERTY OGONEK_PAYLOAD_ITEMS)
  if(I_NAME IN_LIST items)
    message(FATAL_ERROR "ogonek_pack_item: ${I_NAME} is registered twice")
  endif()
  get_filename_component(input ${I_INPUT} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  set(extra_file "")
  if(DEFINED I_EXTRA_FILE)
    get_filename_component(extra_file ${I_EXTRA_FILE} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  set(extra 0)
  if(DEFINED I_EXTRA)
    if(NOT I_EXTRA MATCHES "^[0-9]+$")
      message(FATAL_ERROR "ogonek_pack_item(${I_NAME}): EXTRA must be a number")
    endif()
    set(extra ${I_EXTRA})
  endif()
  set_property(GLOBAL APPEND PROPERTY OGONEK_PAYLOAD_ITEMS ${I_NAME})
  set_property(GLOBAL PROPERTY OGONEK_PAYLOAD_ITEM_${I_NAME}_INPUT ${input})
  set_property(GLOBAL PROPERTY OGONEK_PAYLOAD_ITEM_${I_NAME}_EXTRA ${extra})
  set_property(GLOBAL PROPERTY OGONEK_PAYLOAD_ITEM_${I_NAME}_EXTRA_FILE "${extra_file}")
  # Resolved when the library is made: a target named here may not exist yet.
  set_property(GLOBAL PROPERTY OGONEK_PAYLOAD_ITEM_${I_NAME}_DEPENDS "${I_DEPENDS}")
  set_property(GLOBAL PROPERTY OGONEK_PAYLOAD_ITEM_${I_NAME}_BASE ${CMAKE_CURRENT_SOURCE_DIR})
  set_property(GLOBAL PROPERTY OGONEK_PAYLOAD_ITEM_${I_NAME}_LIBRARY "${I_LIBRARY}")
endfunction()

function(ogonek_payload_library target)
  cmake_parse_arguments(L "" "SEED;HEADER" "ITEMS" ${ARGN})
  if(NOT DEFINED L_SEED)
    set(L_SEED "${PROJECT_NAME}-${PROJECT_VERSION}")
  endif()
  if(NOT L_HEADER)
    set(L_HEADER ${target}.h)
  endif()
  set_property(GLOBAL PROPERTY OGONEK_PAYLOAD_LIB_${target}_SEED "${L_SEED}")
  set_property(GLOBAL PROPERTY OGONEK_PAYLOAD_LIB_${target}_HEADER "${L_HEADER}")
  set_property(GLOBAL PROPERTY OGONEK_PAYLOAD_LIB_${target}_ITEMS "${L_ITEMS}")
  if(NOT L_ITEMS)
    set_property(GLOBAL PROPERTY OGONEK_PAYLOAD_LIB_${target}_ALL_ITEMS ON)
  else()
    set_property(GLOBAL PROPERTY OGONEK_PAYLOAD_LIB_${target}_ALL_ITEMS OFF)
  endif()
  # Deferred to the end of the top folder, where every ogonek_pack_item call has been seen.
  cmake_language(EVAL CODE
    "cmake_language(DEFER DIRECTORY [[${PROJECT_SOURCE_DIR}]] CALL _ogonek_payload_library_now [[${target}]])")
endfunction()

function(_ogonek_payload_library_now target)
  get_property(seed GLOBAL PROPERTY OGONEK_PAYLOAD_LIB_${target}_SEED)
  get_property(header_name GLOBAL PROPERTY OGONEK_PAYLOAD_LIB_${target}_HEADER)
  get_property(all GLOBAL PROPERTY OGONEK_PAYLOAD_LIB_${target}_ALL_ITEMS)
  get_property(registered GLOBAL PROPERTY OGONEK_PAYLOAD_ITEMS)
  if(all)
    set(items "")
  else()
    get_property(items GLOBAL PROPERTY OGONEK_PAYLOAD_LIB_${target}_ITEMS)
  endif()
  foreach(name IN LISTS registered)
    get_property(owner GLOBAL PROPERTY OGONEK_PAYLOAD_ITEM_${name}_LIBRARY)
    if((all AND owner STREQUAL "") OR owner STREQUAL target)
      list(APPEND items ${name})
    endif()
  endforeach()
  list(REMOVE_DUPLICATES items)

  ogonek_host_tool(packer packer)
  if(WIN32)
    set(packer_dep ${packer})
  else()
    set(packer_dep packer)
  endif()

  set(dir ${OGONEK_GENERATED}/${target})
  file(MAKE_DIRECTORY ${dir})
  set(key ${dir}/KeyMaterial.bin)
  add_custom_command(OUTPUT ${key}
    COMMAND ${packer} key --seed ${seed} --out ${key}
    DEPENDS ${packer_dep}
    COMMENT "Making the key material of ${target}"
    VERBATIM)

  set(item_files "")
  set(embed_args "")
  foreach(name IN LISTS items)
    get_property(input GLOBAL PROPERTY OGONEK_PAYLOAD_ITEM_${name}_INPUT)
    if(NOT input)
      message(FATAL_ERROR "ogonek_payload_library(${target}): no item ${name} was registered")
    endif()
    get_property(extra GLOBAL PROPERTY OGONEK_PAYLOAD_ITEM_${name}_EXTRA)
    get_property(extra_file GLOBAL PROPERTY OGONEK_PAYLOAD_ITEM_${name}_EXTRA_FILE)
    get_property(raw_depends GLOBAL PROPERTY OGONEK_PAYLOAD_ITEM_${name}_DEPENDS)
    get_property(base GLOBAL PROPERTY OGONEK_PAYLOAD_ITEM_${name}_BASE)
    set(depends "")
    foreach(d IN LISTS raw_depends)
      if(NOT TARGET ${d})
        get_filename_component(d ${d} ABSOLUTE BASE_DIR ${base})
      endif()
      list(APPEND depends ${d})
    endforeach()
    if(extra_file)
      set(extra_args --extra-file ${extra_file})
    else()
      set(extra_args --extra ${extra})
    endif()
    set(out ${dir}/${name}.item)
    add_custom_command(OUTPUT ${out}
      COMMAND ${packer} item --key ${key} --in ${input} --out ${out} ${extra_args}
      DEPENDS ${packer_dep} ${key} ${input} ${extra_file} ${depends}
      COMMENT "Packing ${name}"
      VERBATIM)
    list(APPEND item_files ${out})
    list(APPEND embed_args --item ${name} ${out})
  endforeach()

  set(source ${dir}/${target}.S)
  set(glue ${dir}/${target}.cpp)
  set(header ${OGONEK_GENERATED}/${header_name})
  get_filename_component(header_dir ${header} DIRECTORY)
  file(MAKE_DIRECTORY ${header_dir})
  add_custom_command(OUTPUT ${source} ${glue} ${header}
    COMMAND ${packer} embed --key ${key} --asm ${source} --source ${glue} --header ${header} ${embed_args}
    DEPENDS ${packer_dep} ${key} ${item_files}
    COMMENT "Embedding the payload of ${target}"
    VERBATIM)
  # .incbin is invisible to the compiler's dependency scan.
  set_source_files_properties(${source} PROPERTIES OBJECT_DEPENDS "${key};${item_files}")

  add_library(${target} STATIC ${source} ${glue} ${header})
  target_link_libraries(${target} PUBLIC ogonek_options)
endfunction()
