# The plot canvas on a QPainter, for pictures and printed pages.
add_library(borvik_plotcanvas_qt STATIC
  ${CMAKE_CURRENT_LIST_DIR}/QtPlotCanvas.cpp)
target_include_directories(borvik_plotcanvas_qt PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(borvik_plotcanvas_qt PUBLIC borvik_plotengine Qt6::Gui)
