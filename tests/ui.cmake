# Editor model, editor window and main window.
kerma_test(form_model_test SOURCES unit/form_model_test.cpp LIBS kerma_model LABEL unit)
kerma_test(k740_editor_test SOURCES unit/k740_editor_test.cpp LIBS kerma_model LABEL unit)

if(KERMA_GUI)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  kerma_test(k740_form_test SOURCES gui/k740_form_test.cpp LIBS kerma_editor_ui Qt6::Test LABEL gui)
  kerma_test(main_form_test SOURCES gui/main_form_test.cpp LIBS kerma_app Qt6::Test LABEL gui)

  # Pictures of every page for a look by eye (editor_shots OUT_DIR); not run by ctest.
  add_executable(editor_shots gui/editor_shots.cpp)
  target_link_libraries(editor_shots PRIVATE kerma_app kerma_test_support Qt6::Test)
endif()
