# The editor's field rules, headless.
foreach(part partitions detectors names codes_keys objects passwords checks)
  kerma_test(rules_${part}_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/unit/rules_${part}_test.cpp
             LIBS kerma_rules LABEL unit)
endforeach()
