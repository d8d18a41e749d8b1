# The engine's pure decisions (library patching, the scan-code map, the key assignments): portable
# code with no Windows headers, so the host tests run it under the sanitizers. Included from the
# engine's list file and from the host tests (which do not see src/engine).
if(NOT TARGET ogonek_engine_core)
  add_library(ogonek_engine_core STATIC
    ${CMAKE_CURRENT_LIST_DIR}/LayoutPatch.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ScancodeMap.cpp
    ${CMAKE_CURRENT_LIST_DIR}/KeyAssignments.cpp)
  target_link_libraries(ogonek_engine_core PUBLIC ogonek_options ogonek_payload ogonek_text)
  if(WIN32)
    target_link_libraries(ogonek_engine_core PRIVATE ogonek_product)
  endif()
endif()
