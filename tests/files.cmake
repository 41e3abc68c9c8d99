# Factory configurations, the editor's file and defaults commands, and the file commands of the
# command-line client.
kerma_test(files_factory_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/unit/files_factory_test.cpp
           LIBS kerma_files kerma_sim LABEL unit)
if(TARGET kerma_editor_files)
  foreach(name files_editor_test files_cli_test)
    kerma_test(${name} SOURCES ${CMAKE_CURRENT_LIST_DIR}/unit/${name}.cpp
               LIBS kerma_editor_files LABEL unit)
  endforeach()
endif()
