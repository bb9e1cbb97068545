borvik_test(ostrel_core_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/AlignmentsTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/VentedBoxTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NumberTextTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BoxDimensionsTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GraphGeometryTest.cpp
  LIBS ostrel_core)
