# quilbsl-cli run as a process against simulated devices.
quil_add_test_folder(cli LIBS quil_update nlohmann_json::nlohmann_json TIMEOUT 180)
if(TARGET test_cli)
  add_dependencies(test_cli quilbsl-cli)
endif()
