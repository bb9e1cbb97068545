borvik_test(platform_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/IniFileTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FoldersTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileNamesTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SettingsStoreTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ShellOpenTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DialogsTest.cpp
  LIBS borvik_platform)

borvik_test(platform_ui_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/QtDialogsTest.cpp ${CMAKE_CURRENT_LIST_DIR}/MdiFrameTest.cpp
  LIBS borvik_platform_ui)
