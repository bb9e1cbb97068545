list(APPEND BORVIK_BENCH_SOURCES ${CMAKE_CURRENT_LIST_DIR}/edittoscreen_bench.cpp)
list(APPEND BORVIK_BENCH_LIBS borvik_mainwindow borvik_projectwindow borvik_plotwindow Qt6::Test Qt6::Widgets)
