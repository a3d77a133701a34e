# A change of resolution judged against windows the system made at that
# resolution: first the in-process tests record the windows made in the Wine
# prefix of 144 pixels per inch (RECORD), then the windows of the program's
# own prefix (96) are sent to 144 and back and compared with the record.
#   cmake -DRUN=wine-run -DTESTS=window_tests.exe -DRECORD=file -P resolution_change_check.cmake
file(REMOVE ${RECORD})
foreach(step "RecordWindowsMadeHere;SIGNIN_VARIANT=dpi144" "WindowsFollowAChangeTo144AndBack;SIGNIN_VARIANT=")
    list(GET step 0 test)
    list(GET step 1 variant)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env SIGNIN_MADE_AT_144=${RECORD} ${variant} ${RUN} ${TESTS}
                            --gtest_filter=Resolution.${test}
                    OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE result)
    message("${output}")
    if(NOT result EQUAL 0 OR NOT output MATCHES "\\[  PASSED  \\] 1 test\\.")
        message(FATAL_ERROR "Resolution.${test} did not pass")
    endif()
endforeach()
