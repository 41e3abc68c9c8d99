# The fuzz targets' seeds and kept finds, replayed once each by a plain driver: a fixed find
# stays fixed in every build, with any compiler and under the sanitizers.
if(NOT KERMA_FUZZ)
  include(${PROJECT_SOURCE_DIR}/fuzz/targets.cmake)
  foreach(target ${KERMA_FUZZ_TARGETS})
    add_executable(${target}_replay ${PROJECT_SOURCE_DIR}/fuzz/${target}.cpp
                                    ${PROJECT_SOURCE_DIR}/fuzz/replay_main.cpp)
    target_link_libraries(${target}_replay PRIVATE ${${target}_LIBS})
    kerma_fuzz_inputs(${target} inputs)
    add_test(NAME ${target}_inputs COMMAND ${target}_replay ${inputs})
    set_tests_properties(${target}_inputs PROPERTIES LABELS fuzz TIMEOUT 300)
    if(NOT TARGET tests_fuzz)
      add_custom_target(tests_fuzz)
    endif()
    add_dependencies(tests_fuzz ${target}_replay)
  endforeach()
endif()
