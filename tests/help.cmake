# The help window and its pages.
if(KERMA_GUI)
  # src/qt adds the help library; a build without it (none today) gets it here.
  if(NOT TARGET kerma_help)
    add_subdirectory(${PROJECT_SOURCE_DIR}/src/qt/help ${CMAKE_BINARY_DIR}/tests/kerma_help)
  endif()
  kerma_test(help_window_test SOURCES gui/help_window_test.cpp LIBS kerma_help Qt6::Widgets LABEL gui)
  target_compile_definitions(help_window_test PRIVATE
                             KERMA_HELP_SOURCE_DIR="${PROJECT_SOURCE_DIR}/src/qt/help")
endif()
