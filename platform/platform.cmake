# Linux services in place of the original platform's: INI files, folders, settings store,
# joystick probe. QtCore only; the window services live in borvik_platform_ui.
add_library(borvik_platform STATIC
  ${CMAKE_CURRENT_LIST_DIR}/IniFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Folders.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileNames.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SettingsStore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JoystickProbe.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ShellOpen.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Dialogs.cpp
)
target_include_directories(borvik_platform PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(borvik_platform PUBLIC Qt6::Core)

# The dialogs and the small helpers of windows on Qt Widgets, for the windows only.
add_library(borvik_platform_ui STATIC
  ${CMAKE_CURRENT_LIST_DIR}/QtDialogs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MdiFrame.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ButtonKeys.cpp
)
target_include_directories(borvik_platform_ui PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(borvik_platform_ui PUBLIC borvik_platform Qt6::Widgets)
