# Every shipped scenario recorded, then replayed: the replay must answer every request from the
# file and print the log lines the scenario's own run prints, byte for byte.
#   SIM, WORKDIR   the command and where to run it
#   OUT            a folder for the recordings

file(GLOB _scenarios RELATIVE ${WORKDIR} ${WORKDIR}/scenarios/*.scn)
file(MAKE_DIRECTORY ${OUT})
set(_failed "")
foreach(_scenario IN LISTS _scenarios)
  get_filename_component(_name ${_scenario} NAME_WE)
  set(_recording ${OUT}/${_name}.jsonl)
  execute_process(COMMAND ${SIM} --quiet --record ${_recording} ${_scenario}
                  WORKING_DIRECTORY ${WORKDIR} OUTPUT_VARIABLE _run ERROR_VARIABLE _run_err
                  RESULT_VARIABLE _run_status)
  execute_process(COMMAND ${SIM} --quiet --replay ${_recording}
                  WORKING_DIRECTORY ${WORKDIR} OUTPUT_VARIABLE _replayed ERROR_VARIABLE _err
                  RESULT_VARIABLE _status)
  if(NOT _status EQUAL 0)
    string(APPEND _failed "${_scenario}: the replay exited ${_status}\n${_err}\n")
  elseif(NOT _run STREQUAL _replayed)
    string(APPEND _failed "${_scenario}: the replay's log lines differ from the run's\n")
  endif()
endforeach()
list(LENGTH _scenarios _count)
if(_count EQUAL 0)
  message(FATAL_ERROR "no scenarios found in ${WORKDIR}/scenarios")
endif()
if(NOT _failed STREQUAL "")
  message(FATAL_ERROR "${_failed}")
endif()
message(STATUS "${_count} scenarios recorded and replayed with no divergence")
