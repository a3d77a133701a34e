# Fails when FILE is larger than BUDGET bytes; says its size either way.
#   cmake -DFILE=SignIn.exe -DBUDGET=307200 -P size_check.cmake
file(SIZE "${FILE}" size)
math(EXPR spare "${BUDGET} - ${size}")
if(size GREATER BUDGET)
    math(EXPR over "${size} - ${BUDGET}")
    message(FATAL_ERROR "${FILE}: ${size} bytes, ${over} over the budget of ${BUDGET}")
endif()
message("${FILE}: ${size} bytes, ${spare} under the budget of ${BUDGET}")
