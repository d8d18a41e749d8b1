# Joins the SVG pages named in LIST (one path a line) into the PDF OUT with rsvg-convert (RSVG).
# Run as: cmake -DRSVG=<rsvg-convert> -DLIST=<file> -DOUT=<file.pdf> -DEPOCH=<seconds> -P SvgToPdf.cmake
# cairo stamps the PDF with SOURCE_DATE_EPOCH instead of the clock, so the file is the same on
# every build.
foreach(v RSVG LIST OUT EPOCH)
  if(NOT DEFINED ${v})
    message(FATAL_ERROR "SvgToPdf.cmake: ${v} is not set")
  endif()
endforeach()
file(STRINGS ${LIST} pages)
if(NOT pages)
  message(FATAL_ERROR "SvgToPdf.cmake: ${LIST} names no pages")
endif()
set(ENV{SOURCE_DATE_EPOCH} ${EPOCH})
execute_process(COMMAND ${RSVG} -f pdf -o ${OUT}.part ${pages} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  file(REMOVE ${OUT}.part)
  message(FATAL_ERROR "rsvg-convert failed (${rc}) making ${OUT}")
endif()
file(RENAME ${OUT}.part ${OUT})
