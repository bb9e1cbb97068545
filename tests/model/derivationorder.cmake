borvik_test(test_derivationorder SOURCES ${CMAKE_CURRENT_LIST_DIR}/DerivationOrder_test.cpp LIBS borvik_driver)
