# The small window that edits one number by typing or dragging.
add_library(borvik_valueeditor STATIC
  ${CMAKE_CURRENT_LIST_DIR}/ValueChanger.cpp)
target_include_directories(borvik_valueeditor PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(borvik_valueeditor PUBLIC borvik_units Qt6::Widgets)
