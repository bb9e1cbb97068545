# The new-project wizard; it fills and starts a project window.
add_library(borvik_newproject STATIC
  ${CMAKE_CURRENT_LIST_DIR}/NewDesign.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NewProjectLinks.cpp)
target_include_directories(borvik_newproject PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(borvik_newproject PUBLIC
  borvik_projectwindow borvik_projectdocument borvik_alignments borvik_database borvik_unitlabel
  borvik_unitwidgets borvik_flatctl borvik_applinks borvik_settings borvik_platform Qt6::Widgets)
