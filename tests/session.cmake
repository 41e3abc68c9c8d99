kerma_test(editor_link_test SOURCES unit/editor_link_test.cpp LIBS kerma_session kerma_sim LABEL unit)
