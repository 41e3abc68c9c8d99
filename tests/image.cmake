# The settings and codes images: exact bytes of the cases that break, and decode/encode round trips.
foreach(name panel_chars_test settings_image_test codes_image_test image_roundtrip_test)
  kerma_test(${name} SOURCES ${CMAKE_CURRENT_LIST_DIR}/unit/${name}.cpp LIBS kerma_image LABEL unit)
endforeach()

# The same round trips with the editor's field rules attached, as the program runs them.
kerma_test(image_rules_roundtrip_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/unit/image_roundtrip_test.cpp
  LIBS kerma_image kerma_rules
  LABEL unit)
target_compile_definitions(image_rules_roundtrip_test PRIVATE KERMA_IMAGE_WITH_RULES)
