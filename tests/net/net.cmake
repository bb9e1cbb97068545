borvik_test(test_net_socket
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/WSockBufTest.cpp ${CMAKE_CURRENT_LIST_DIR}/WinsockApiTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/WSocketTest.cpp
  LIBS borvik_net)
