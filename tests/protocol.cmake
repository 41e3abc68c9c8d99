kerma_test(protocol_test SOURCES unit/protocol_test.cpp LIBS kerma_link kerma_sim LABEL link)
kerma_test(config_file_test SOURCES unit/config_file_test.cpp LIBS kerma_files LABEL unit)
kerma_test(cli_panel_test SOURCES e2e/cli_panel_test.cpp LIBS kerma_files LABEL e2e)
add_dependencies(cli_panel_test kerma740-cli kerma740-panel)
