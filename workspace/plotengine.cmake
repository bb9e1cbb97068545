# The plot engine: plot types, axes and values, and the drawing over the canvas interface.
# Plain C++; the painter adapter lives in its own target.
add_library(borvik_plotengine STATIC
  ${CMAKE_CURRENT_LIST_DIR}/PlotTypes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PlotProject.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PixelLine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RecordingCanvas.cpp
  ${CMAKE_CURRENT_LIST_DIR}/plothelper.cpp)
target_include_directories(borvik_plotengine PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(borvik_plotengine PUBLIC borvik_simulation borvik_filters borvik_units borvik_settings
  borvik_driver)
