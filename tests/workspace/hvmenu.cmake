borvik_test(test_hvmenu
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/HV_Menu_test.cpp
  LIBS borvik_hvmenu Qt6::Test)
