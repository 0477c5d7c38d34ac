# Compiles the test-hook probe with one compiler, without linking: through the
# tests' face it must compile, and reaching the machine itself it must not.
# Whether it compiles is asked, not how the compiler words its refusal.
# Usage: cmake -DCOMPILER=CXX -DSOURCE=FILE -DFLAGS=LIST -P test_hook_probe.cmake
foreach(way THROUGH_TESTS_FACE DIRECTLY)
    execute_process(COMMAND ${COMPILER} ${FLAGS} -D${way} -fsyntax-only ${SOURCE}
        RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(way STREQUAL "THROUGH_TESTS_FACE" AND NOT status EQUAL 0)
        message(FATAL_ERROR "${COMPILER} cannot compile the probe even through the tests' face, "
            "so its refusal would prove nothing:\n${output}")
    elseif(way STREQUAL "DIRECTLY" AND status EQUAL 0)
        message(FATAL_ERROR "${COMPILER} lets a program reach the machine's test hooks")
    endif()
endforeach()
