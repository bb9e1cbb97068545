# The filter editor; it reaches its project through IFilterEditorHost and links no project window.
add_library(borvik_filtereditor STATIC
  ${CMAKE_CURRENT_LIST_DIR}/FilterEditor.cpp)
target_include_directories(borvik_filtereditor PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(borvik_filtereditor PUBLIC
  borvik_filters borvik_units borvik_unitwidgets borvik_flatctl borvik_applinks borvik_platform borvik_platform_ui Qt6::Widgets)
