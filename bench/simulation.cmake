list(APPEND BORVIK_BENCH_SOURCES ${CMAKE_CURRENT_LIST_DIR}/boxmodels_bench.cpp)
list(APPEND BORVIK_BENCH_LIBS borvik_simulation)
