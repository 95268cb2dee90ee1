# The Debian package: what it holds and declares, its desktop files, the installed program.
tr_add_qtest(test_package SOURCES test_package.cpp)
target_compile_definitions(test_package PRIVATE TR_CPACK="${CMAKE_CPACK_COMMAND}"
                           TR_BUILD_DIR="${CMAKE_BINARY_DIR}" TR_VERSION="${PROJECT_VERSION}")
add_dependencies(test_package thermocouple-recorder tc4-sim)
set_tests_properties(test_package PROPERTIES TIMEOUT 900)
