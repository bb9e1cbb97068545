borvik_fuzz_target(chm_sitemap SOURCES ${CMAKE_CURRENT_LIST_DIR}/chm_sitemap_fuzz.cpp LIBS borvik_help)
