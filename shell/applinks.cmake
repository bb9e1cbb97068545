# The interfaces between the main window and the windows built on the shell.
add_library(borvik_applinks STATIC
  ${CMAKE_CURRENT_LIST_DIR}/AppLinks.cpp
)
target_include_directories(borvik_applinks PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(borvik_applinks PUBLIC borvik_driver borvik_filters borvik_simulation Qt6::Core)
