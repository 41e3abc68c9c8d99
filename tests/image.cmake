# The settings and codes images: exact bytes of the cases that break, and decode/encode round trips.
foreach(name panel_chars_test settings_image_test codes_image_test image_roundtrip_test)
  kerma_test(${name} SOURCES ${CMAKE_CURRENT_LIST_DIR}/unit/${name}.cpp LIBS kerma_image LABEL unit)
endforeach()
