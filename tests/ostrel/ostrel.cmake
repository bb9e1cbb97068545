borvik_test(ostrel_core_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/AlignmentsTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/VentedBoxTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NumberTextTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BoxDimensionsTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GraphGeometryTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StartDriver.h
  LIBS ostrel_core)

borvik_test(ostrel_ui_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/FakeHost.h
    ${CMAKE_CURRENT_LIST_DIR}/OstrelDlgTest.cpp
  LIBS ostrel_ui)

borvik_test(ostrel_box_calculator_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/FakeHost.h
    ${CMAKE_CURRENT_LIST_DIR}/BoxCalculatorDlgTest.cpp
  LIBS ostrel_ui)
