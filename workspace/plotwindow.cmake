# The shared plot window.
add_library(borvik_plotwindow STATIC
  ${CMAKE_CURRENT_LIST_DIR}/plotwindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PlotWindowLinks.cpp)
target_include_directories(borvik_plotwindow PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(borvik_plotwindow PUBLIC borvik_applinks borvik_plotcanvas_qt borvik_plotengine
  borvik_boxmath2 borvik_hvmenu borvik_platform Qt6::Widgets Qt6::PrintSupport)
