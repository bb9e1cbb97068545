list(APPEND BORVIK_BENCH_SOURCES ${CMAKE_CURRENT_LIST_DIR}/plotengine_bench.cpp)
list(APPEND BORVIK_BENCH_LIBS borvik_plotrender borvik_plotcanvas_qt borvik_plotengine Qt6::Widgets)
