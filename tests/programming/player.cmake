zel_gtest(player_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/MacroPlayerTest.cpp ${CMAKE_CURRENT_LIST_DIR}/DeviceMonitorTest.cpp
  DEPS zel_player zel_sim)
