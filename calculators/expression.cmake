# The expression language of the calculators: plain C++, no Qt.
add_library(borvik_expression STATIC
  ${CMAKE_CURRENT_LIST_DIR}/prExpr.cpp)
target_include_directories(borvik_expression PUBLIC ${PROJECT_SOURCE_DIR})
