# The CHM reader (Debian's chmlib) and the help debug log: no widgets.
find_library(CHM_LIBRARY chm REQUIRED)
find_path(CHM_INCLUDE_DIR chm_lib.h REQUIRED)
add_library(borvik_help STATIC
  ${CMAKE_CURRENT_LIST_DIR}/ChmFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HHDebug.cpp
  ${CMAKE_CURRENT_LIST_DIR}/hh_funcs.cpp)
target_include_directories(borvik_help PUBLIC ${PROJECT_SOURCE_DIR} PRIVATE ${CHM_INCLUDE_DIR})
target_link_libraries(borvik_help PUBLIC borvik_platform PRIVATE ${CHM_LIBRARY} ${CMAKE_DL_LIBS})

# The help system on the application (F1, topics) and the help viewer window.
add_library(borvik_help_ui STATIC
  ${CMAKE_CURRENT_LIST_DIR}/hh.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HelpViewer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HelpLinks.cpp)
target_include_directories(borvik_help_ui PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(borvik_help_ui PUBLIC borvik_help borvik_applinks borvik_platform Qt6::Widgets)

# borvik_compile_chm(TARGET name PROJECT dir/x.hhp OUTPUT file): compiles the help project in
# `dir` with chmcmd (Debian fp-utils) into OUTPUT at build time.
find_program(CHMCMD chmcmd)
function(borvik_compile_chm)
  cmake_parse_arguments(ARG "" "TARGET;PROJECT;OUTPUT" "" ${ARGN})
  if(NOT CHMCMD)
    message(WARNING "chmcmd (fp-utils) not found: ${ARG_OUTPUT} is not built")
    return()
  endif()
  get_filename_component(source_dir ${ARG_PROJECT} DIRECTORY)
  get_filename_component(project_name ${ARG_PROJECT} NAME)
  get_filename_component(chm_name ${ARG_OUTPUT} NAME)
  set(stage ${CMAKE_CURRENT_BINARY_DIR}/${ARG_TARGET}_source)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${source_dir}/*)
  # chmcmd writes next to the project: compile a copy, then put the file where it belongs.
  add_custom_command(OUTPUT ${ARG_OUTPUT}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage}
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${source_dir} ${stage}
    COMMAND ${CMAKE_COMMAND} -E chdir ${stage} ${CHMCMD} --no-html-scan ${project_name}
    COMMAND ${CMAKE_COMMAND} -E copy ${stage}/${chm_name} ${ARG_OUTPUT}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    DEPENDS ${sources}
    COMMENT "Compiling help ${chm_name}"
    VERBATIM)
  add_custom_target(${ARG_TARGET} ALL DEPENDS ${ARG_OUTPUT})
endfunction()

# The program's own help file, beside the program and in share/borvik.
borvik_compile_chm(TARGET borvik_help_file PROJECT ${CMAKE_CURRENT_LIST_DIR}/borvik/borvik.hhp
  OUTPUT ${PROJECT_BINARY_DIR}/borvik.chm)
if(CHMCMD)
  install(FILES ${PROJECT_BINARY_DIR}/borvik.chm DESTINATION share/borvik)
endif()
