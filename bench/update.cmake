# A whole MTQ update with quilbsl-cli against the simulated device at its real speed, beside the
# reference host's bootloader session on the same simulator.
add_executable(bench_update_cli ${CMAKE_CURRENT_SOURCE_DIR}/update_cli.cpp
                                ${CMAKE_CURRENT_SOURCE_DIR}/bsl_reference_host.cpp)
target_link_libraries(bench_update_cli PRIVATE quil_sim quil_bsl nlohmann_json::nlohmann_json)
add_dependencies(bench_update_cli quilbsl-cli)
