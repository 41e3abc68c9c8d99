# Editor model, editor window and main window.
kerma_test(form_model_test SOURCES unit/form_model_test.cpp LIBS kerma_editor LABEL unit)
kerma_test(k740_editor_test SOURCES unit/k740_editor_test.cpp LIBS kerma_editor LABEL unit)
