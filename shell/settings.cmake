# The program-wide settings record and its reader and writer over the settings store.
add_library(borvik_settings STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Settings.cpp
)
target_include_directories(borvik_settings PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(borvik_settings PUBLIC borvik_platform)
