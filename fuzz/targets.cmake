# The fuzz targets and what each one links. fuzz/CMakeLists.txt builds them with libFuzzer;
# tests/fuzz_inputs.cmake replays their kept inputs as tests in every build.
set(KERMA_FUZZ_TARGETS image_fuzz config_file_fuzz firmware_header_fuzz panel_bytes_fuzz)
set(image_fuzz_LIBS kerma_image kerma_test_support)
set(config_file_fuzz_LIBS kerma_editor_files kerma_test_support)
set(firmware_header_fuzz_LIBS kerma_firmware)
set(panel_bytes_fuzz_LIBS kerma_link kerma_test_support)

# The inputs a target's test replays: its seeds and every find kept as fuzz/regressions/TARGET-*.
function(kerma_fuzz_inputs target out)
  file(GLOB finds CONFIGURE_DEPENDS ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/regressions/${target}-*)
  set(${out} ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/seeds/${target} ${finds} PARENT_SCOPE)
endfunction()
