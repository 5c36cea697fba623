# Common flags and small helpers for the project's targets.

set(ZEL_WARNINGS -Wall -Wextra -Werror -Wold-style-cast -Wnon-virtual-dtor
    -Woverloaded-virtual)
# clang (the fuzz build) does not know GCC's -Wshadow=local.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  list(APPEND ZEL_WARNINGS -Wshadow=local)
endif()

# ZEL_SANITIZE: a false value builds plainly, ON or "address" with AddressSanitizer and
# UndefinedBehaviorSanitizer, "thread" with ThreadSanitizer (which cannot be combined with
# the address one).
string(TOLOWER "${ZEL_SANITIZE}" ZEL_SANITIZE_KIND)
if(ZEL_SANITIZE_KIND MATCHES "^(address|thread)$")
  # named: kept as it is
elseif(ZEL_SANITIZE_KIND MATCHES "^(on|yes|y|true|1)$")
  set(ZEL_SANITIZE_KIND address)
elseif(NOT ZEL_SANITIZE)
  set(ZEL_SANITIZE_KIND "")
else()
  message(FATAL_ERROR "ZEL_SANITIZE must be OFF, ON, address or thread, not '${ZEL_SANITIZE}'")
endif()

if(ZEL_SANITIZE_KIND)
  # GCC's flow analysis reports uninitialised reads inside the standard library's regex
  # and function code once the sanitizers instrument it; those are not real.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    list(APPEND ZEL_WARNINGS -Wno-maybe-uninitialized)
  endif()
endif()
if(ZEL_SANITIZE_KIND STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(ZEL_SANITIZE_KIND STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

# zel_library(<name> SOURCES ... [DEPS ...])
# A static library of one layer; its headers are included as "<layer>/<File>.h"
# relative to src/.
function(zel_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_compile_options(${name} PRIVATE ${ZEL_WARNINGS})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# zel_gtest(<name> SOURCES ... [DEPS ...] [TIMEOUT s] [WRAPPER cmd...])
# One GoogleTest executable registered as one ctest test.
function(zel_gtest name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;DEPS;WRAPPER" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_compile_options(${name} PRIVATE ${ZEL_WARNINGS})
  target_link_libraries(${name} PRIVATE zel_testsupport ${ARG_DEPS} GTest::gtest GTest::gmock
                        GTest::gtest_main Threads::Threads)
  add_test(NAME ${name} COMMAND ${ARG_WRAPPER} $<TARGET_FILE:${name}>)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
  add_dependencies(${name} zel_dataset)
endfunction()

# Adds every immediate sub-folder of the current folder that holds a CMakeLists.txt.
function(zel_add_subdirectories)
  file(GLOB children RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child ${children})
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child}
       AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()
