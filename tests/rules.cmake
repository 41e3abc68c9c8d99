# The editor's field rules, headless.
if(NOT TARGET kerma_rules)
  # Until the top CMakeLists adds src/editor/rules itself.
  add_subdirectory(${PROJECT_SOURCE_DIR}/src/editor/rules ${CMAKE_BINARY_DIR}/src/editor/rules)
endif()
foreach(part partitions detectors names codes_keys objects passwords checks)
  kerma_test(rules_${part}_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/unit/rules_${part}_test.cpp
             LIBS kerma_rules LABEL unit)
endforeach()
