# Runs norvane-check as a package author does and checks its exit status and what it printed.
#   cmake -DCHECKER=exe [-DEMULATOR=wine] -DARGS=a;b -DSTATUS=n [-DOUTPUT=regex] [-DERRORS=regex]
#         [-DSILENT=1] -P RunChecker.cmake
execute_process(COMMAND ${EMULATOR} ${CHECKER} ${ARGS}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
set(seen "exit status ${status}\n--- stdout:\n${out}--- stderr:\n${err}")
if(NOT status EQUAL STATUS)
  message(FATAL_ERROR "expected exit status ${STATUS}; ${seen}")
endif()
if(DEFINED OUTPUT AND NOT out MATCHES "${OUTPUT}")
  message(FATAL_ERROR "stdout does not match \"${OUTPUT}\"; ${seen}")
endif()
if(DEFINED ERRORS AND NOT err MATCHES "${ERRORS}")
  message(FATAL_ERROR "stderr does not match \"${ERRORS}\"; ${seen}")
endif()
if(SILENT AND NOT "${out}${err}" STREQUAL "")
  message(FATAL_ERROR "expected no output; ${seen}")
endif()
