# The virtual panel: its protocol state machine in-process, and the kerma740-panel program on a pty.
kerma_test(virtual_panel_test SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/unit/virtual_panel_test.cpp
           LIBS kerma_sim LABEL sim)
kerma_test(panel_program_test SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/e2e/panel_program_test.cpp
           LIBS kerma_link LABEL e2e)
add_dependencies(panel_program_test kerma740-panel)
