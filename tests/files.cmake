# Factory configurations, the editor's file and defaults commands, and the file commands of the
# command-line client.
kerma_test(files_factory_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/unit/files_factory_test.cpp
           LIBS kerma_files kerma_sim LABEL unit)
kerma_test(files_editor_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/unit/files_editor_test.cpp
           LIBS kerma_editor_files LABEL unit)
kerma_test(files_cli_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/unit/files_cli_test.cpp
           LIBS kerma_cli_files LABEL unit)
if(TARGET kerma_report_pdf)
  # Its PDF reports need the application object the client makes (also under Wine).
  target_link_libraries(files_cli_test PRIVATE kerma_report_pdf Qt6::Gui)
  target_compile_definitions(files_cli_test PRIVATE KERMA_TEST_PDF)
endif()
