# cmake -DPYTHON=... -DGENERATOR=... -DSOURCE_DIR=... -DOUT_DIR=... -P check_generated.cmake
# Runs the layout generator into OUT_DIR and compares every file it writes with the file of
# the same path under SOURCE_DIR.
file(REMOVE_RECURSE ${OUT_DIR})
file(MAKE_DIRECTORY ${OUT_DIR})
execute_process(COMMAND ${PYTHON} ${GENERATOR} ${OUT_DIR} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the generator failed: ${result}")
endif()
file(GLOB_RECURSE written RELATIVE ${OUT_DIR} ${OUT_DIR}/*)
list(LENGTH written count)
if(count EQUAL 0)
  message(FATAL_ERROR "the generator wrote nothing")
endif()
set(differing)
foreach(name ${written})
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT_DIR}/${name}
                          ${SOURCE_DIR}/${name} RESULT_VARIABLE same)
  if(NOT same EQUAL 0)
    list(APPEND differing ${name})
  endif()
endforeach()
if(differing)
  string(REPLACE ";" "\n  " listed "${differing}")
  message(FATAL_ERROR "committed files differ from what the generator writes "
                      "(run python3 tools/skinlayouts/make_layouts.py):\n  ${listed}")
endif()
message(STATUS "${count} generated files match")
