borvik_test(test_boxmodels
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/boxmodels_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/boxmath_lossfactors_test.cpp
  LIBS borvik_simulation)
