# A small help file compiled for the tests: pages in a folder, a name with a blank, contexts.
borvik_compile_chm(TARGET borvik_test_help_file PROJECT ${CMAKE_CURRENT_LIST_DIR}/data/testhelp/testhelp.hhp
  OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/testhelp.chm)

borvik_test(test_help_files
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ChmFileTest.cpp ${CMAKE_CURRENT_LIST_DIR}/HHDebugTest.cpp
  LIBS borvik_help)
borvik_test(test_help_system
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/hhTest.cpp ${CMAKE_CURRENT_LIST_DIR}/HelpViewerTest.cpp
  LIBS borvik_help_ui Qt6::Test)
foreach(test test_help_files test_help_system)
  target_compile_definitions(${test} PRIVATE BORVIK_TEST_CHM="${CMAKE_CURRENT_BINARY_DIR}/testhelp.chm"
    BORVIK_HELP_CHM="${PROJECT_BINARY_DIR}/borvik.chm")
  if(TARGET borvik_test_help_file)
    add_dependencies(${test} borvik_test_help_file borvik_help_file)
  endif()
endforeach()
