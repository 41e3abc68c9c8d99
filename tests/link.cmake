# The serial port against a pseudo-terminal, and the exchange thread with its hand-over to the UI
# thread. Both also run under ThreadSanitizer (label link).
kerma_test(serial_port_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/unit/serial_port_test.cpp
  LIBS kerma_link util
  LABEL link)

if(KERMA_GUI)
  kerma_test(com_thread_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/unit/com_thread_test.cpp
    LIBS kerma_link_qt Qt6::Test
    LABEL link)
endif()

