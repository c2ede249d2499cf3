find_package(GTest REQUIRED)
include(GoogleTest)

# mirevo_add_gtest(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2 [MAIN target] [ENVIRONMENT A=1 B=2])
# One test executable of GoogleTest cases, with GoogleTest's own main unless MAIN names another.
# Sources include from the project root (tests/support/...); MIREVO_BINARY_DIR is the build tree.
function(mirevo_add_gtest name)
    cmake_parse_arguments(ARG "" "MAIN" "SOURCES;LIBS;ENVIRONMENT" ${ARGN})
    if(NOT ARG_MAIN)
        set(ARG_MAIN GTest::gtest_main)
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} ${ARG_MAIN} GTest::gtest GTest::gmock)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    target_compile_definitions(${name} PRIVATE MIREVO_BINARY_DIR="${PROJECT_BINARY_DIR}")
    mirevo_warnings(${name})
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
                         PROPERTIES TIMEOUT 120 ENVIRONMENT "${ARG_ENVIRONMENT}")
endfunction()
