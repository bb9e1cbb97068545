# Pictures of plots without a window: the rendering used by the drawing tests, and the
# plotrender tool that writes one to a PNG.
add_library(borvik_plotrender STATIC
  ${CMAKE_CURRENT_LIST_DIR}/PlotRender.cpp)
target_include_directories(borvik_plotrender PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(borvik_plotrender PUBLIC borvik_plotcanvas_qt borvik_plotengine borvik_boxmath2)
# Project files are read once their reader is part of the build.
if(TARGET borvik_files)
  target_link_libraries(borvik_plotrender PRIVATE borvik_files)
  target_compile_definitions(borvik_plotrender PRIVATE BORVIK_HAVE_PROJECT_FILES=1)
endif()

add_executable(plotrender ${CMAKE_CURRENT_LIST_DIR}/plotrender.cpp)
target_link_libraries(plotrender PRIVATE borvik_plotrender Qt6::Gui)
