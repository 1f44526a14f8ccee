# test_gui: the main window under Qt's offscreen platform, against the simulated device and a
# local HTTP server (the web tests' server).
file(GLOB QUIL_GUI_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
add_executable(test_gui ${QUIL_GUI_TEST_SOURCES} ${CMAKE_CURRENT_LIST_DIR}/../web/http_test_server.cpp)
set_target_properties(test_gui PROPERTIES AUTOMOC ON)
target_include_directories(test_gui PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(test_gui PRIVATE quil_window quil_test_support Qt6::Test GTest::gtest)
gtest_discover_tests(test_gui
  PROPERTIES LABELS gui ENVIRONMENT QT_QPA_PLATFORM=offscreen TIMEOUT 180
  DISCOVERY_TIMEOUT 60)

# The window's picture for the README: scripts/screenshot runs it under Xvfb.
add_executable(quilbsl-window-shot ${CMAKE_CURRENT_LIST_DIR}/screenshot/window_shot.cpp)
target_include_directories(quilbsl-window-shot PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(quilbsl-window-shot PRIVATE quil_window)

# The window's responsiveness during a real-speed update (run by hand; never part of the tests).
add_executable(quilbsl-window-probe ${CMAKE_CURRENT_LIST_DIR}/probe/window_probe.cpp)
target_include_directories(quilbsl-window-probe PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(quilbsl-window-probe PRIVATE quil_window quil_sim)
