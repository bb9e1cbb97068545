# Qt widgets as fields of the unit binder.
add_library(borvik_unitwidgets STATIC
  ${CMAKE_CURRENT_LIST_DIR}/UnitWidgets.cpp)
target_include_directories(borvik_unitwidgets PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(borvik_unitwidgets PUBLIC borvik_units Qt6::Widgets)
