# Companion documents: docgen (tools/docgen) makes them from the layout sources (cmake/Layouts.cmake)
# and the editable texts of content/docs, quoting the program's own texts from content/strings.
#
#   OGONEK_DOC_CHART     generated/docs/chart.pdf      file A, the keyboard chart (one page per variant and set)
#   OGONEK_DOC_GUIDE     generated/docs/guide.pdf      file B, the user guide (English, then Polish)
#   OGONEK_DOC_QUICKREF  generated/docs/quickref.html  file D, the quick reference
#   ogonek_documents     target that makes all three
# They are registered with the packer as FileA, FileB and FileD. The Windows builds run the host
# build's docgen (OGONEK_HOST_BIN); every build needs rsvg-convert and the DejaVu fonts
# (scripts/setup.sh installs them).

set(OGONEK_DOC_DIR ${OGONEK_GENERATED}/docs)
set(OGONEK_DOC_CHART ${OGONEK_DOC_DIR}/chart.pdf)
set(OGONEK_DOC_GUIDE ${OGONEK_DOC_DIR}/guide.pdf)
set(OGONEK_DOC_QUICKREF ${OGONEK_DOC_DIR}/quickref.html)
# The PDFs' creation date: fixed, so that the same sources give the same bytes.
set(OGONEK_DOC_EPOCH 1704067200 CACHE STRING "SOURCE_DATE_EPOCH given to rsvg-convert for the PDFs")

find_program(OGONEK_RSVG_CONVERT rsvg-convert NO_CMAKE_FIND_ROOT_PATH REQUIRED)
# The fonts are the build machine's, also when cross-compiling.
find_path(OGONEK_DOC_FONTS DejaVuSans.ttf PATHS /usr/share/fonts/truetype/dejavu NO_DEFAULT_PATH
  NO_CMAKE_FIND_ROOT_PATH REQUIRED)

ogonek_host_tool(OGONEK_DOCGEN docgen)
if(WIN32)
  set(_ogonek_docgen_dep ${OGONEK_DOCGEN})
else()
  set(_ogonek_docgen_dep docgen)
endif()

set(_ogonek_doc_common --strings ${PROJECT_SOURCE_DIR}/content/strings --docs ${PROJECT_SOURCE_DIR}/content/docs
    --fonts ${OGONEK_DOC_FONTS})
file(GLOB _ogonek_doc_texts CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/content/docs/*.txt
     ${PROJECT_SOURCE_DIR}/content/strings/*.txt)
set(_ogonek_doc_inputs ${_ogonek_docgen_dep} ${_ogonek_doc_texts} ${OGONEK_DOC_FONTS}/DejaVuSans.ttf
    ${OGONEK_DOC_FONTS}/DejaVuSans-Bold.ttf)

# OGONEK_LAYOUT_SOURCES holds set 0 variants 0 to 2, then set 1.
set(_ogonek_doc_layouts "")
set(_ogonek_i 0)
foreach(source IN LISTS OGONEK_LAYOUT_SOURCES)
  math(EXPR _set "${_ogonek_i} / 3")
  math(EXPR _variant "${_ogonek_i} % 3")
  list(APPEND _ogonek_doc_layouts --layout ${_set} ${_variant} ${source})
  math(EXPR _ogonek_i "${_ogonek_i} + 1")
endforeach()

set(_ogonek_svg_to_pdf ${PROJECT_SOURCE_DIR}/tools/docgen/SvgToPdf.cmake)
foreach(doc chart guide)
  set(dir ${OGONEK_DOC_DIR}/${doc})
  set(pages ${dir}/pages.txt)
  set(pdf ${OGONEK_DOC_DIR}/${doc}.pdf)
  if(doc STREQUAL "chart")
    set(args ${_ogonek_doc_layouts})
    set(extra_inputs ${OGONEK_LAYOUT_SOURCES})
  else()
    set(args "")
    set(extra_inputs "")
  endif()
  add_custom_command(OUTPUT ${pdf} ${pages}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${dir}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${OGONEK_DOCGEN} ${doc} ${_ogonek_doc_common} --out-dir ${dir} --list ${pages} ${args}
    COMMAND ${CMAKE_COMMAND} -DRSVG=${OGONEK_RSVG_CONVERT} -DLIST=${pages} -DOUT=${pdf} -DEPOCH=${OGONEK_DOC_EPOCH}
            -P ${_ogonek_svg_to_pdf}
    DEPENDS ${_ogonek_doc_inputs} ${extra_inputs} ${_ogonek_svg_to_pdf}
    COMMENT "Making the ${doc} PDF"
    VERBATIM)
endforeach()

add_custom_command(OUTPUT ${OGONEK_DOC_QUICKREF}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${OGONEK_DOC_DIR}
  COMMAND ${OGONEK_DOCGEN} quickref ${_ogonek_doc_common} --out ${OGONEK_DOC_QUICKREF} ${_ogonek_doc_layouts}
  DEPENDS ${_ogonek_doc_inputs} ${OGONEK_LAYOUT_SOURCES}
  COMMENT "Making the quick reference"
  VERBATIM)

add_custom_target(ogonek_documents ALL DEPENDS ${OGONEK_DOC_CHART} ${OGONEK_DOC_GUIDE} ${OGONEK_DOC_QUICKREF})

ogonek_pack_item(NAME FileA INPUT ${OGONEK_DOC_CHART} DEPENDS ogonek_documents)
ogonek_pack_item(NAME FileB INPUT ${OGONEK_DOC_GUIDE} DEPENDS ogonek_documents)
ogonek_pack_item(NAME FileD INPUT ${OGONEK_DOC_QUICKREF} DEPENDS ogonek_documents)
