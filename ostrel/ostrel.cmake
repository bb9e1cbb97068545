# Ostrel, the vented-box designer: its own program on its own libraries, sharing nothing with Borvik.

# The calculation, free of Qt.
add_library(ostrel_core STATIC
  ${CMAKE_CURRENT_LIST_DIR}/OstrelAlignments.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VentedBox.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BoxDimensions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GraphGeometry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NumberText.cpp
)
target_include_directories(ostrel_core PUBLIC ${PROJECT_SOURCE_DIR})
set_target_properties(ostrel_core PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)

# The dialogs, in a library of their own so that tests can run them headless.
add_library(ostrel_ui STATIC
  ${CMAKE_CURRENT_LIST_DIR}/OstrelHost.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DataExchange.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OstrelIcon.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AboutDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AgreementDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BoxCalculatorDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OstrelDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OstrelApp.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MakerSite.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OstrelHost.h
  ${CMAKE_CURRENT_LIST_DIR}/AboutDlg.h
  ${CMAKE_CURRENT_LIST_DIR}/AgreementDlg.h
  ${CMAKE_CURRENT_LIST_DIR}/BoxCalculatorDlg.h
  ${CMAKE_CURRENT_LIST_DIR}/OstrelDlg.h
)
target_include_directories(ostrel_ui PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(ostrel_ui PUBLIC ostrel_core Qt6::Widgets)

add_executable(ostrel ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(ostrel PRIVATE ostrel_ui)
set_target_properties(ostrel PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/ostrel)

# The maker's web site, one setting for the title, the web button and the help pages; empty: none.
set(OSTREL_WEB_SITE "" CACHE STRING "Ostrel's web site, such as https://example.org (empty: none)")
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/MakerSite.cpp PROPERTIES
  COMPILE_DEFINITIONS "OSTREL_WEB_SITE=\"${OSTREL_WEB_SITE}\"")
