zel_gtest(player_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/MacroPlayerTest.cpp
  DEPS zel_player zel_sim)
