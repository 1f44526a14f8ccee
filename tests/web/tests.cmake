# test_web: the version check and the feedback form against a local HTTP server.
file(GLOB QUIL_WEB_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
add_executable(test_web ${QUIL_WEB_TEST_SOURCES})
set_target_properties(test_web PROPERTIES AUTOMOC ON)
target_include_directories(test_web PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(test_web PRIVATE quil_web Qt6::Test GTest::gtest)
gtest_discover_tests(test_web
  PROPERTIES LABELS web ENVIRONMENT QT_QPA_PLATFORM=offscreen TIMEOUT 120
  DISCOVERY_TIMEOUT 60)
