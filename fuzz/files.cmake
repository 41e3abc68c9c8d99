# Random configuration files into the editor's loader (included from fuzz/CMakeLists.txt).
if(TARGET kerma_editor_files)
  add_executable(config_file_fuzz ${CMAKE_CURRENT_LIST_DIR}/config_file_fuzz.cpp)
  target_compile_options(config_file_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(config_file_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(config_file_fuzz PRIVATE kerma_editor_files)

  file(GLOB config_regressions CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_LIST_DIR}/regressions/config-*)
  if(config_regressions)
    add_test(NAME config_file_fuzz_regressions COMMAND config_file_fuzz ${config_regressions})
    set_tests_properties(config_file_fuzz_regressions PROPERTIES LABELS fuzz)
  endif()
endif()
