# Layout libraries: kbdgen turns the six layout sources in content/layouts/ into the 78 libraries
# and the patterns by which the installer finds the places it patches.
#
# For other areas:
#   OGONEK_LAYOUT_DIR        generated/layouts, where the libraries are written
#   OGONEK_LAYOUT_LIBRARIES  the 78 files in matrix order: build set (first, second), then layout
#                            variant (0, 1, 2), then BuildIndex (0 to 12); entry
#                            set * 39 + variant * 13 + index
#   OGONEK_LAYOUT_PATTERNS   generated/layout-patterns.txt: string-table source lines
#                            "<id> <hexadecimal text>" for ids 146 to 151, for the common table
#   OGONEK_LAYOUT_SOURCES    the six .klc files, set 0 variants 0 to 2, then set 1
#   ogonek_layouts           target that makes all of them; depend on it (or on the files)
#   ogonek_layout_library(<out> <set> <variant> <index>)  one file of the list
#
# The Windows builds run the host build's kbdgen (OGONEK_HOST_BIN).

set(OGONEK_LAYOUT_DIR ${OGONEK_GENERATED}/layouts)
set(OGONEK_LAYOUT_PATTERNS ${OGONEK_GENERATED}/layout-patterns.txt)
set(OGONEK_LAYOUT_SOURCES)
foreach(name programmer typist dvorak programmer-ext typist-ext dvorak-ext)
  list(APPEND OGONEK_LAYOUT_SOURCES ${PROJECT_SOURCE_DIR}/content/layouts/ogonek-${name}.klc)
endforeach()

function(ogonek_layout_library out set variant index)
  if(index LESS 10)
    set(index 0${index})
  endif()
  set(${out} ${OGONEK_LAYOUT_DIR}/kbd-s${set}-v${variant}-b${index}.dll PARENT_SCOPE)
endfunction()

set(OGONEK_LAYOUT_LIBRARIES)
foreach(set 0 1)
  foreach(variant 0 1 2)
    foreach(index RANGE 12)
      ogonek_layout_library(lib ${set} ${variant} ${index})
      list(APPEND OGONEK_LAYOUT_LIBRARIES ${lib})
    endforeach()
  endforeach()
endforeach()

ogonek_host_tool(KBDGEN kbdgen)
if(WIN32)
  set(kbdgen_dep ${KBDGEN})
else()
  set(kbdgen_dep kbdgen)
endif()
add_custom_command(OUTPUT ${OGONEK_LAYOUT_LIBRARIES} ${OGONEK_LAYOUT_PATTERNS}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${OGONEK_LAYOUT_DIR}
  COMMAND ${KBDGEN} --out ${OGONEK_LAYOUT_DIR} --patterns ${OGONEK_LAYOUT_PATTERNS}
          --product ${PROJECT_NAME} ${OGONEK_LAYOUT_SOURCES}
  DEPENDS ${kbdgen_dep} ${OGONEK_LAYOUT_SOURCES}
  COMMENT "Generating the layout libraries"
  VERBATIM)
add_custom_target(ogonek_layouts ALL DEPENDS ${OGONEK_LAYOUT_LIBRARIES} ${OGONEK_LAYOUT_PATTERNS})
