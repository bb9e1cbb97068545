borvik_test(test_derivation SOURCES ${CMAKE_CURRENT_LIST_DIR}/DerivationTest.cpp LIBS borvik_driver)
