borvik_test(test_plotengine
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/PlotValues_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/plothelper_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/PixelLine_test.cpp
  LIBS borvik_plotengine)
borvik_test(test_plotrender
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/PlotRender_test.cpp
  LIBS borvik_plotrender borvik_plotcanvas_qt Qt6::Gui)
if(TARGET borvik_files)
  target_link_libraries(test_plotrender PRIVATE borvik_files)
  target_compile_definitions(test_plotrender PRIVATE BORVIK_HAVE_PROJECT_FILES=1)
endif()
