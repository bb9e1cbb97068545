list(APPEND BORVIK_BENCH_SOURCES ${CMAKE_CURRENT_LIST_DIR}/longtexts_bench.cpp)
list(APPEND BORVIK_BENCH_LIBS borvik_mainwindow borvik_projectwindow borvik_plotwindow borvik_drivereditor Qt6::Widgets)
