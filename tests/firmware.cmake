# Firmware replacement: the base search, the procedure against the in-process panel, the dialog.
kerma_test(firmware_file_test SOURCES unit/firmware_file_test.cpp LIBS kerma_firmware LABEL unit)
kerma_test(firmware_replacement_test SOURCES unit/firmware_replacement_test.cpp
           LIBS kerma_session kerma_sim LABEL unit)

if(KERMA_GUI)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  # A worker, the UI call queue and the timer together: a link test, so it also runs under
  # ThreadSanitizer.
  kerma_test(firmware_flash_form_test SOURCES unit/firmware_flash_form_test.cpp
             LIBS kerma_session kerma_firmware_ui kerma_link_qt kerma_sim Qt6::Test
             LABEL link)
endif()
kerma_test(firmware_virtual_panel_test SOURCES unit/firmware_virtual_panel_test.cpp LIBS kerma_sim
           LABEL unit)
