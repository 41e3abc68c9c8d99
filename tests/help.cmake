# The help window and its pages.
if(KERMA_GUI)
  # src/app adds the help library once the application is wired; until then build it here.
  if(NOT TARGET kerma_help)
    add_subdirectory(${PROJECT_SOURCE_DIR}/src/app/help ${CMAKE_BINARY_DIR}/tests/kerma_help)
  endif()
  kerma_test(help_window_test SOURCES gui/help_window_test.cpp LIBS kerma_help Qt6::Widgets LABEL gui)
  target_compile_definitions(help_window_test PRIVATE
                             KERMA_HELP_SOURCE_DIR="${PROJECT_SOURCE_DIR}/src/app/help")
endif()
