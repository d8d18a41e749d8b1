# Shared settings and helpers for every target of the project.

# Warnings are errors for our own code, not for GoogleTest's.
add_library(ogonek_options INTERFACE)
target_compile_options(ogonek_options INTERFACE -Wall -Wextra -Werror)
target_include_directories(ogonek_options INTERFACE ${PROJECT_SOURCE_DIR}/src ${OGONEK_GENERATED})
if(WIN32)
  target_compile_definitions(ogonek_options INTERFACE UNICODE _UNICODE WIN32_LEAN_AND_MEAN
    _WIN32_WINNT=0x0A00 WINVER=0x0A00 NOMINMAX)
endif()
if(OGONEK_SANITIZE)
  target_compile_options(ogonek_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
    -fno-sanitize-recover=all)
  target_link_options(ogonek_options INTERFACE -fsanitize=address,undefined)
endif()

# GoogleTest from the Debian sources, built with the same compiler as the tests.
if(NOT TARGET gtest)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  if(WIN32)
    set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  endif()
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  if(WIN32)
    # The win32 thread model has no std::mutex, which GoogleTest's headers use: give every test
    # program the small stand-in of tests/win/Win32Threads.h.
    target_compile_options(gtest PUBLIC -include ${PROJECT_SOURCE_DIR}/tests/win/Win32Threads.h)
  endif()
  if(OGONEK_SANITIZE)
    target_compile_options(gtest PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer)
    target_compile_options(gtest_main PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer)
  endif()
endif()

set(OGONEK_WINE_DIR ${CMAKE_BINARY_DIR}/wine CACHE PATH "Folder of the Wine prefixes the tests run in")
set(OGONEK_RESULTS ${CMAKE_BINARY_DIR}/results)
file(MAKE_DIRECTORY ${OGONEK_RESULTS})

# ogonek_test(NAME <name> SOURCES ... [LIBS ...] [HOST_ONLY] [WIN_ONLY] [PREFIXES 64 32])
# Host builds run the program directly; Windows builds run it under Wine, once in each prefix.
# Every run writes GoogleTest's XML into results/, which the test script adds up.
function(ogonek_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;PREFIXES;ARGS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} ogonek_options gtest gtest_main)
  if(WIN32)
    target_link_options(${T_NAME} PRIVATE -static -static-libgcc -static-libstdc++)
    if(NOT T_PREFIXES)
      set(T_PREFIXES 64 32)
    endif()
    # Wine sees the host's files on drive Z:, and GoogleTest wants a Windows path for its report.
    string(REPLACE "/" "\\" results "Z:${OGONEK_RESULTS}")
    foreach(p IN LISTS T_PREFIXES)
      add_test(NAME ${T_NAME}.wine${p}
        COMMAND ${PROJECT_SOURCE_DIR}/tests/win/wine-run.sh ${OGONEK_WINE_DIR}/prefix${p}
                $<TARGET_FILE:${T_NAME}> --gtest_output=xml:${results}\\${T_NAME}.wine${p}.xml ${T_ARGS}
        WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
      set_tests_properties(${T_NAME}.wine${p} PROPERTIES TIMEOUT 900 RESOURCE_LOCK wine${p})
    endforeach()
  else()
    add_test(NAME ${T_NAME}
      COMMAND $<TARGET_FILE:${T_NAME}> --gtest_output=xml:${OGONEK_RESULTS}/${T_NAME}.xml ${T_ARGS}
      WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    set_tests_properties(${T_NAME} PROPERTIES TIMEOUT 600)
  endif()
endfunction()

# ogonek_fuzz(NAME <name> SOURCES ... LIBS ... [SECONDS n])
# A libFuzzer target; the host test run gives it a short time budget.
function(ogonek_fuzz)
  if(NOT OGONEK_FUZZ)
    return()
  endif()
  cmake_parse_arguments(F "" "NAME;SECONDS" "SOURCES;LIBS" ${ARGN})
  if(NOT F_SECONDS)
    set(F_SECONDS 20)
  endif()
  add_executable(${F_NAME} ${F_SOURCES})
  target_link_libraries(${F_NAME} PRIVATE ${F_LIBS} ogonek_options)
  target_compile_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
  target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
  file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/${F_NAME}.corpus)
  add_test(NAME ${F_NAME}
    COMMAND $<TARGET_FILE:${F_NAME}> -max_total_time=${F_SECONDS} -print_final_stats=1
            ${CMAKE_CURRENT_BINARY_DIR}/${F_NAME}.corpus)
  set_tests_properties(${F_NAME} PROPERTIES TIMEOUT 300 LABELS fuzz)
endfunction()

# Runs a host tool from the host build (the Windows builds cannot run their own tools).
function(ogonek_host_tool out name)
  if(WIN32)
    if(NOT OGONEK_HOST_BIN)
      message(FATAL_ERROR "OGONEK_HOST_BIN must name the host build's bin folder")
    endif()
    set(${out} ${OGONEK_HOST_BIN}/${name} PARENT_SCOPE)
  else()
    set(${out} $<TARGET_FILE:${name}> PARENT_SCOPE)
  endif()
endfunction()

# What the program's own code is compiled with: setup.exe links neither the C runtime DLL nor
# libstdc++, so no exceptions, no RTTI and no thread-safe static guards.
add_library(ogonek_product INTERFACE)
target_compile_options(ogonek_product INTERFACE -fno-exceptions -fno-rtti -fno-threadsafe-statics
  -ffunction-sections -fdata-sections)
# Only the Windows build needs it (the host build's UBSan checks dynamic types through RTTI).
function(ogonek_mark_product)
  if(NOT WIN32)
    return()
  endif()
  foreach(t IN LISTS ARGN)
    if(TARGET ${t})
      target_link_libraries(${t} PRIVATE ogonek_product)
    endif()
  endforeach()
endfunction()
