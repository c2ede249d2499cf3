find_package(GTest REQUIRED)
include(GoogleTest)

# mirevo_add_gtest(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2)
# One test executable per area; fixtures are found through MIREVO_TEST_DATA_DIR,
# never through the working directory.
function(mirevo_add_gtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    target_compile_definitions(${name} PRIVATE
        MIREVO_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data"
        MIREVO_BINARY_DIR="${PROJECT_BINARY_DIR}")
    mirevo_warnings(${name})
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)
endfunction()
