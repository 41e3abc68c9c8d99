# The windows as the installer sees them: Russian Qt texts, titles, cursor, status bar.
if(KERMA_GUI)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  kerma_test(program_windows_test SOURCES gui/program_windows_test.cpp
             LIBS kerma_app kerma_sim Qt6::Test LABEL gui)
endif()
