# Programming the embedded image into the simulated device at its real speed.
add_executable(bench_bsl_program ${CMAKE_CURRENT_SOURCE_DIR}/bsl_program.cpp
                                 ${CMAKE_CURRENT_SOURCE_DIR}/bsl_reference_host.cpp)
target_link_libraries(bench_bsl_program PRIVATE quil_bsl quil_sim)
