if(KERMA_GUI)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  kerma_test(program_variants_test SOURCES e2e/program_variants_test.cpp LIBS kerma_app Qt6::Test
             LABEL e2e)
  target_include_directories(program_variants_test PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/gui)
  add_dependencies(program_variants_test kerma740-cli kerma740-panel)
endif()
