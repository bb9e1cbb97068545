borvik_test(test_bandpass
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/boxmath_bandpass4_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/boxmath_bandpass6a_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/boxmath_passiveradiator_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/boxmath_groupdelay_test.cpp
  LIBS borvik_simulation)
