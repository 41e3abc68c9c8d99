# Firmware replacement: the base search, the procedure against the in-process panel, the dialog.
kerma_test(firmware_file_test SOURCES unit/firmware_file_test.cpp LIBS kerma_firmware LABEL unit)
kerma_test(firmware_replacement_test SOURCES unit/firmware_replacement_test.cpp
           LIBS kerma_firmware kerma_sim LABEL unit)

if(KERMA_GUI)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  # A worker, the UI call queue and the timer together: a link test, so it also runs under
  # ThreadSanitizer. Qt itself is not built for it: its locks are invisible there, so the
  # painting threads Qt runs for the shown dialog are reported as racing each other.
  if(KERMA_SANITIZE MATCHES "thread")
    set(flash_form_env "TSAN_OPTIONS=halt_on_error=1 suppressions=${CMAKE_CURRENT_SOURCE_DIR}/qt-internal.tsan")
  endif()
  kerma_test(firmware_flash_form_test SOURCES unit/firmware_flash_form_test.cpp
             LIBS kerma_firmware_ui kerma_link_qt kerma_sim Qt6::Test LABEL link ENV "${flash_form_env}")
endif()
kerma_test(firmware_virtual_panel_test SOURCES unit/firmware_virtual_panel_test.cpp LIBS kerma_sim
           LABEL unit)
