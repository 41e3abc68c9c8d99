# A Windows executable's icon, version information and manifest (src/app/windows), compiled by
# windres. Elsewhere nothing happens.
set(KERMA_WINDOWS_DIR ${CMAKE_SOURCE_DIR}/src/app/windows)

function(kerma_windows_resources target description)
  if(NOT WIN32)
    return()
  endif()
  set(KERMA_RC_NAME ${target})
  set(KERMA_RC_DESCRIPTION "${description}")
  # The maker's name as the program shows it.
  file(STRINGS ${CMAKE_SOURCE_DIR}/src/app/maker.h maker REGEX "kMakerName = ")
  string(REGEX REPLACE ".*\"(.*)\".*" "\\1" KERMA_RC_MAKER "${maker}")
  set(KERMA_RC_ICON ${KERMA_WINDOWS_DIR}/kerma740.ico)
  set(KERMA_RC_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
  configure_file(${KERMA_WINDOWS_DIR}/program.manifest.in ${KERMA_RC_MANIFEST} @ONLY)
  configure_file(${KERMA_WINDOWS_DIR}/program.rc.in ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/${target}.rc PROPERTIES
                              OBJECT_DEPENDS "${KERMA_RC_ICON};${KERMA_RC_MANIFEST}")
endfunction()
