# The safety net: backups, the check of a write, the configuration report, unsaved edits.
foreach(name safety_backups_test safety_write_check_test safety_report_test safety_net_test)
  kerma_test(${name} SOURCES ${CMAKE_CURRENT_LIST_DIR}/unit/${name}.cpp LIBS kerma_safety
             LABEL unit)
endforeach()
if(TARGET kerma_report_pdf)
  # The report laid out in pages as its PDF prints it.
  target_link_libraries(safety_report_test PRIVATE kerma_report_pdf Qt6::Gui)
  target_compile_definitions(safety_report_test PRIVATE KERMA_TEST_PDF)
endif()
kerma_test(cli_safety_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/e2e/cli_safety_test.cpp
           LIBS kerma_files LABEL e2e)
add_dependencies(cli_safety_test kerma740-cli kerma740-panel)
if(KERMA_GUI)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  kerma_test(program_safety_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/e2e/program_safety_test.cpp
             LIBS kerma_app Qt6::Test LABEL e2e)
  target_include_directories(program_safety_test PRIVATE ${CMAKE_CURRENT_LIST_DIR}/gui)
  add_dependencies(program_safety_test kerma740-cli kerma740-panel)
endif()
if(KERMA_GUI)
  # Pictures of the report of each variant's factory configuration (report_shots OUT_DIR).
  add_executable(report_shots ${CMAKE_CURRENT_LIST_DIR}/gui/report_shots.cpp)
  target_link_libraries(report_shots PRIVATE kerma_safety kerma_report_pdf Qt6::Gui)
endif()
