# Every shipped scenario recorded, its desktop derived from the recording and run again on the
# simulated Mac: the two conversations must not differ, and the derived scenario's run must print
# the log lines of the scenario's own run, byte for byte.
#   SIM, WORKDIR   the command and where to run it
#   OUT            a folder for the recordings and the derived scenarios

file(GLOB _scenarios RELATIVE ${WORKDIR} ${WORKDIR}/scenarios/*.scn)
file(MAKE_DIRECTORY ${OUT})
set(_failed "")
set(_compared 0)
foreach(_scenario IN LISTS _scenarios)
  get_filename_component(_name ${_scenario} NAME_WE)
  set(_recording ${OUT}/${_name}.jsonl)
  set(_derived ${OUT}/${_name}.derived.scn)
  execute_process(COMMAND ${SIM} --quiet --record ${_recording} ${_scenario}
                  WORKING_DIRECTORY ${WORKDIR} OUTPUT_VARIABLE _run ERROR_VARIABLE _run_err)
  execute_process(COMMAND ${SIM} --compare ${_recording}
                  WORKING_DIRECTORY ${WORKDIR} OUTPUT_VARIABLE _table ERROR_VARIABLE _err
                  RESULT_VARIABLE _status)
  if(NOT _status EQUAL 0)
    string(APPEND _failed "${_scenario}: the comparison exited ${_status}\n${_table}${_err}\n")
    continue()
  endif()
  execute_process(COMMAND ${SIM} --scenario-from ${_recording}
                  WORKING_DIRECTORY ${WORKDIR} OUTPUT_FILE ${_derived} RESULT_VARIABLE _status)
  execute_process(COMMAND ${SIM} --quiet ${_derived}
                  WORKING_DIRECTORY ${WORKDIR} OUTPUT_VARIABLE _rerun ERROR_VARIABLE _err)
  if(NOT _run STREQUAL _rerun)
    string(APPEND _failed "${_scenario}: the derived scenario's log lines differ from the run's\n")
  endif()
  math(EXPR _compared "${_compared} + 1")
endforeach()
if(_compared EQUAL 0)
  message(FATAL_ERROR "no scenarios found in ${WORKDIR}/scenarios")
endif()
if(NOT _failed STREQUAL "")
  message(FATAL_ERROR "${_failed}")
endif()
message(STATUS "${_compared} scenarios recorded, derived and compared with no difference")
