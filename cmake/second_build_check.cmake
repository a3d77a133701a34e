# Builds TARGET a second time, in the folder SECOND_BUILD, from the same
# sources with the same toolchain and configuration, and fails unless the
# file it makes is byte for byte PROGRAM, the one the first build (in
# FIRST_BUILD) made. A second run builds only what changed since.
#   cmake -DSOURCE=... -DFIRST_BUILD=... -DSECOND_BUILD=... -DGENERATOR=...
#         -DTOOLCHAIN=... -DBUILD_TYPE=Release -DTARGET=SignIn
#         -DPROGRAM=.../app/SignIn.exe
#         -P second_build_check.cmake
cmake_host_system_information(RESULT cores QUERY NUMBER_OF_LOGICAL_CORES)
set(configure ${CMAKE_COMMAND} -S ${SOURCE} -B ${SECOND_BUILD} -G ${GENERATOR}
    -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN} -DCMAKE_BUILD_TYPE=${BUILD_TYPE})
execute_process(COMMAND ${configure} OUTPUT_QUIET ERROR_QUIET RESULT_VARIABLE configured)
if(NOT configured EQUAL 0)
    # Made by an earlier build with another compiler, say: afresh.
    execute_process(COMMAND ${configure} --fresh OUTPUT_QUIET RESULT_VARIABLE configured)
endif()
if(NOT configured EQUAL 0)
    message(FATAL_ERROR "the second build in ${SECOND_BUILD} could not be configured")
endif()
execute_process(
    COMMAND ${CMAKE_COMMAND} --build ${SECOND_BUILD} --target ${TARGET} -j ${cores}
    OUTPUT_QUIET RESULT_VARIABLE built)
if(NOT built EQUAL 0)
    message(FATAL_ERROR "the second build in ${SECOND_BUILD} failed")
endif()
file(RELATIVE_PATH place ${FIRST_BUILD} ${PROGRAM})
set(second ${SECOND_BUILD}/${place})
file(SHA256 ${PROGRAM} first_digest)
file(SHA256 ${second} second_digest)
if(NOT first_digest STREQUAL second_digest)
    message(FATAL_ERROR "${PROGRAM} (SHA-256 ${first_digest}) and ${second} (${second_digest}) differ")
endif()
message("${PROGRAM} and ${second}: the same bytes, SHA-256 ${first_digest}")
