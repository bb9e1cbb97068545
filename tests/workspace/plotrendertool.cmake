# The plotrender tool as a user runs it.
borvik_test(test_plotrender_tool
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/PlotRenderTool_test.cpp
  LIBS Qt6::Core)
target_compile_definitions(test_plotrender_tool PRIVATE PLOTRENDER_PATH="$<TARGET_FILE:plotrender>")
add_dependencies(test_plotrender_tool plotrender)
