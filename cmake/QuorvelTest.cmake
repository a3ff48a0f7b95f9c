include(GoogleTest)

# quorvel_add_test(NAME name SOURCES ... [LIBS ...] [LABELS ...])
# Builds one GoogleTest executable and registers its cases with CTest.
function(quorvel_add_test)
    cmake_parse_arguments(ARG "" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${ARG_NAME} ${ARG_SOURCES})
    target_link_libraries(${ARG_NAME} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
    target_compile_definitions(${ARG_NAME} PRIVATE
        QUORVEL_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data")
    quorvel_set_warnings(${ARG_NAME})
    if(CMAKE_CROSSCOMPILING)
        # Listing the cases would run each test under the emulator at build time; the whole
        # executable is one test instead (the Linux tree runs them: tests/windows).
        add_test(NAME ${ARG_NAME} COMMAND ${ARG_NAME})
        set_tests_properties(${ARG_NAME} PROPERTIES LABELS "${ARG_LABELS}")
        return()
    endif()
    gtest_discover_tests(${ARG_NAME}
        PROPERTIES LABELS "${ARG_LABELS}"
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
        DISCOVERY_TIMEOUT 60)
endfunction()

# quorvel_add_script_test(NAME name COMMAND ... [LABELS ...] [TIMEOUT s])
# Registers an acceptance script with CTest.
function(quorvel_add_script_test)
    cmake_parse_arguments(ARG "" "NAME;TIMEOUT" "COMMAND;LABELS" ${ARGN})
    add_test(NAME ${ARG_NAME} COMMAND ${ARG_COMMAND})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 300)
    endif()
    set_tests_properties(${ARG_NAME} PROPERTIES LABELS "${ARG_LABELS}" TIMEOUT ${ARG_TIMEOUT})
    # Real-time sound tests run one at a time: each has a private server, but two side by side
    # on a small machine starve each other's servers and recorders, and a decoder then reads
    # digits that were never sent.
    if("audio" IN_LIST ARG_LABELS)
        set_tests_properties(${ARG_NAME} PROPERTIES RESOURCE_LOCK real_time_sound)
    endif()
endfunction()
