list(APPEND BORVIK_BENCH_SOURCES ${CMAKE_CURRENT_LIST_DIR}/plotwindow_bench.cpp)
list(APPEND BORVIK_BENCH_LIBS borvik_plotwindow borvik_plotrender borvik_filters Qt6::Widgets)
