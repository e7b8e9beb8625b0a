# Runs norvane-check as a package author does and checks its exit status and what it printed.
#   cmake -DCHECKER=exe [-DEMULATOR=wine] -DARGS=a;b -DSTATUS=n [-DOUTPUT=regex] [-DERRORS=regex]
#         -P RunChecker.cmake
execute_process(COMMAND ${EMULATOR} ${CHECKER} ${ARGS}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL STATUS OR (DEFINED OUTPUT AND NOT out MATCHES "${OUTPUT}")
   OR (DEFINED ERRORS AND NOT err MATCHES "${ERRORS}"))
  message(FATAL_ERROR "expected exit status ${STATUS}, stdout matching \"${OUTPUT}\", stderr "
                      "matching \"${ERRORS}\"; got exit status ${status}\n--- stdout:\n${out}"
                      "--- stderr:\n${err}")
endif()
