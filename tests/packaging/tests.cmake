add_test(NAME PackageContents
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/packaging/deb_contents.sh ${PROJECT_BINARY_DIR})
set_tests_properties(PackageContents PROPERTIES LABELS packaging TIMEOUT 300)
