find_package(GTest REQUIRED) # the top level has checked that it is there
include(GoogleTest)

# mirevo_add_gtest(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2 [MAIN target | OWN_MAIN]
#                  [ENVIRONMENT A=1 B=2] [TIMEOUT seconds] [RUN_SERIAL] [LABELS a b])
# One test executable of GoogleTest cases, each case a test of its own, with GoogleTest's own
# main unless MAIN names another or OWN_MAIN says that the sources have one. Each case gets
# ENVIRONMENT, TIMEOUT seconds (default 120) and the CTest LABELS, and with RUN_SERIAL runs
# while no other test does. Sources include from the project root (tests/support/...); MIREVO_BINARY_DIR is the
# build tree.
function(mirevo_add_gtest name)
    cmake_parse_arguments(ARG "OWN_MAIN;RUN_SERIAL" "MAIN;TIMEOUT"
                          "SOURCES;LIBS;ENVIRONMENT;LABELS" ${ARGN})
    if(ARG_OWN_MAIN)
        set(ARG_MAIN "")
    elseif(NOT ARG_MAIN)
        set(ARG_MAIN GTest::gtest_main)
    endif()
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 120)
    endif()
    if(ARG_RUN_SERIAL)
        set(serial TRUE)
    else()
        set(serial FALSE)
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} ${ARG_MAIN} GTest::gtest GTest::gmock)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    target_compile_definitions(${name} PRIVATE MIREVO_BINARY_DIR="${PROJECT_BINARY_DIR}")
    mirevo_warnings(${name})
    set(properties TIMEOUT ${ARG_TIMEOUT} RUN_SERIAL ${serial})
    if(ARG_LABELS)
        list(JOIN ARG_LABELS "\\;" labels) # one value a property
        list(APPEND properties LABELS "${labels}")
    endif()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${properties})
    # PROPERTIES keeps only the first entry of a list; CTest sets the whole environment once
    # the cases are known (gtest_discover_tests lists them in ${name}_TESTS).
    if(ARG_ENVIRONMENT)
        set(file "${CMAKE_CURRENT_BINARY_DIR}/${name}_environment.cmake")
        file(WRITE "${file}"
             "if(${name}_TESTS)\n"
             "  set_tests_properties(\${${name}_TESTS}\n"
             "                       PROPERTIES ENVIRONMENT [==[${ARG_ENVIRONMENT}]==])\n"
             "endif()\n")
        set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${file}")
    endif()
endfunction()
