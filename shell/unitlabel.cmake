# The clickable unit label of numeric fields, shared by the shell's and the workspace's windows.
add_library(borvik_unitlabel STATIC
  ${CMAKE_CURRENT_LIST_DIR}/UnitLabel.cpp)
target_include_directories(borvik_unitlabel PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(borvik_unitlabel PUBLIC Qt6::Widgets)
