# Borvik's executable, defined once every subsystem folder has added its libraries: the main
# window with every window library this tree holds. Each window library offers one Link
# function (named below in shell/main.cpp) that hands the main window its factories; a library
# not in the tree leaves its factory empty and its command says the window is not built.
if(EXISTS ${PROJECT_SOURCE_DIR}/shell/main.cpp AND TARGET borvik_mainwindow)
  add_executable(borvik ${PROJECT_SOURCE_DIR}/shell/main.cpp)
  target_include_directories(borvik PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(borvik PRIVATE borvik_mainwindow)
  foreach(part drivereditor projectwindow plotwindow newproject calculators_ui siggen_ui help_ui updatecheck)
    if(TARGET borvik_${part})
      string(TOUPPER ${part} upper)
      target_link_libraries(borvik PRIVATE borvik_${part})
      target_compile_definitions(borvik PRIVATE BORVIK_LINK_${upper}=1)
    endif()
  endforeach()
  # Files the program ships that are made or copied at build time (the help file, the calculator
  # definitions) come with it, so that building the program alone gives the whole program. The
  # version file and the texts are copied when the build is configured.
  foreach(shipped borvik_help_file borvik_filter_files)
    if(TARGET ${shipped})
      add_dependencies(borvik ${shipped})
    endif()
  endforeach()
  install(TARGETS borvik RUNTIME DESTINATION bin)
endif()

if(TARGET ostrel)
  install(TARGETS ostrel RUNTIME DESTINATION bin)
endif()
