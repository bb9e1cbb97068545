list(APPEND BORVIK_BENCH_SOURCES ${CMAKE_CURRENT_LIST_DIR}/projectwindow_bench.cpp)
list(APPEND BORVIK_BENCH_LIBS borvik_projectdocument borvik_plotcanvas_qt borvik_plotengine Qt6::Widgets)
