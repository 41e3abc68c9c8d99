# What the installer reads: the system's failure reasons in Russian; the windows with Qt's own
# texts in Russian, their titles, the cursor and the status bar.
kerma_test(system_error_text_test SOURCES unit/system_error_text_test.cpp LIBS kerma_files
           LABEL unit)

if(KERMA_GUI)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  kerma_test(program_windows_test SOURCES gui/program_windows_test.cpp
             LIBS kerma_app kerma_sim Qt6::Test LABEL gui)
endif()

if(CMAKE_CROSSCOMPILING AND WIN32)
  # For the Wine tests (tests/windows/wine_setup_test.sh): is a window inside the free area?
  add_executable(window_fits windows/window_fits.cpp)
  target_link_libraries(window_fits PRIVATE shell32)
  # ... and what does a window of the setup say?
  add_executable(window_text windows/window_text.cpp)
  target_link_libraries(window_text PRIVATE shell32)
endif()
