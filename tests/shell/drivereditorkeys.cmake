# The tool windows inside the main window: the keys both of them answer.
if(TARGET borvik_siggen_ui AND TARGET borvik_help_ui)
  borvik_test(test_drivereditor_keys
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/DriverEditorKeysTest.cpp
    LIBS borvik_mainwindow borvik_drivereditor borvik_siggen_ui borvik_help_ui Qt6::Test)
endif()
