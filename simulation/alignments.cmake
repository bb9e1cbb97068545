# Alignment tables of the new-project wizard; plain C++, no Qt.
add_library(borvik_alignments STATIC
  ${CMAKE_CURRENT_LIST_DIR}/ClosedAlignments.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VentedAlignments.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BP4Alignments.cpp)
target_include_directories(borvik_alignments PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(borvik_alignments PUBLIC borvik_driver borvik_numeric)
