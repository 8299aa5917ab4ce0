# Every recording kept as a fixture replayed, and compared with the simulated Mac: both must pass.
#   SIM, WORKDIR   the command and where to run it
#   FOLDER         the recordings' folder, relative to WORKDIR

file(GLOB _recordings RELATIVE ${WORKDIR} ${WORKDIR}/${FOLDER}/*.jsonl)
set(_failed "")
foreach(_recording IN LISTS _recordings)
  execute_process(COMMAND ${SIM} --quiet --replay ${_recording}
                  WORKING_DIRECTORY ${WORKDIR} OUTPUT_VARIABLE _out ERROR_VARIABLE _err
                  RESULT_VARIABLE _status)
  if(NOT _status EQUAL 0)
    string(APPEND _failed "${_recording}: the replay exited ${_status}\n${_err}\n")
  endif()
  execute_process(COMMAND ${SIM} --compare ${_recording}
                  WORKING_DIRECTORY ${WORKDIR} OUTPUT_VARIABLE _table ERROR_VARIABLE _err
                  RESULT_VARIABLE _status)
  if(NOT _status EQUAL 0)
    string(APPEND _failed "${_recording}: the comparison exited ${_status}\n${_table}${_err}\n")
  endif()
endforeach()
list(LENGTH _recordings _count)
if(_count EQUAL 0)
  message(FATAL_ERROR "no recordings found in ${WORKDIR}/${FOLDER}")
endif()
if(NOT _failed STREQUAL "")
  message(FATAL_ERROR "${_failed}")
endif()
message(STATUS "${_count} recordings replayed and compared with no difference")
