zel_gtest(player_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/MacroPlayerTest.cpp ${CMAKE_CURRENT_LIST_DIR}/DeviceMonitorTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DeviceMonitorWorkerTest.cpp ${CMAKE_CURRENT_LIST_DIR}/ProfileRestoreTest.cpp
  DEPS zel_player zel_sim)
