# Event monitor, software macro player and the timed workers beside them.
zel_library(zel_player
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/MacroPlayer.cpp ${CMAKE_CURRENT_LIST_DIR}/MacroPlayerSource.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DeviceMonitor.cpp ${CMAKE_CURRENT_LIST_DIR}/ProfileRestore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LedPreview.cpp
  DEPS zel_download zel_device zel_settings zel_macros zel_ini Threads::Threads)
