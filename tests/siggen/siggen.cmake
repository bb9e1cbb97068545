borvik_test(siggen_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/mmErrMsgTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WaveDeviceTest.cpp
  LIBS borvik_siggen)
