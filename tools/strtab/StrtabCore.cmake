# The compiler's core as a library: the tool links it, and so do the string tests, which also build
# for Windows, where tools/ is not part of the build.
if(NOT TARGET ogonek_strtab_core)
  add_library(ogonek_strtab_core STATIC ${CMAKE_CURRENT_LIST_DIR}/StrtabCompiler.cpp)
  target_include_directories(ogonek_strtab_core PUBLIC ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(ogonek_strtab_core PUBLIC ogonek_options)
endif()
