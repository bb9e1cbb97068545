# The program-wide settings record and its reader and writer over the settings store; the saved
# window layout beside it.
add_library(borvik_settings STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Settings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DesktopLayout.cpp
)
target_include_directories(borvik_settings PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(borvik_settings PUBLIC borvik_platform)
