borvik_test(platform_waveout_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/WaveOutTest.cpp
  LIBS borvik_waveout)
