# Runs plumora-sim once and checks what it did.
#   SIM, WORKDIR      the command and where to run it
#   ARG               its one argument, if any
#   ARGS              or several, separated by |
#   STATUS            the exit status it must give
#   STDOUT_HAS        a text its standard output must contain
#   STDOUT_EMPTY      ON: it prints nothing on its standard output
#   STDERR_LINE       its standard error must be exactly this one line
#   LOG_LINES_ONLY    ON: every line it prints is a log line in the log file's form
#   SAME_TWICE        ON: a second run prints the same bytes
#   MAX_SECONDS       it ends within this many seconds of the wall clock

set(_args)
if(DEFINED ARG)
  set(_args ${ARG})
elseif(DEFINED ARGS)
  string(REPLACE "|" ";" _args "${ARGS}")
endif()

function(run_once out_var err_var status_var)
  set(_timeout)
  if(DEFINED MAX_SECONDS)
    math(EXPR _limit "${MAX_SECONDS} * 10")
    set(_timeout TIMEOUT ${_limit})  # a hang fails here, not at the test's own time limit
  endif()
  execute_process(COMMAND ${SIM} ${_args} WORKING_DIRECTORY ${WORKDIR} ${_timeout}
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(${out_var} "${out}" PARENT_SCOPE)
  set(${err_var} "${err}" PARENT_SCOPE)
  set(${status_var} "${status}" PARENT_SCOPE)
endfunction()

string(TIMESTAMP _started "%s%f")
run_once(out err status)
string(TIMESTAMP _ended "%s%f")
math(EXPR _took_ms "(${_ended} - ${_started}) / 1000")
set(_report "--- standard output\n${out}--- standard error\n${err}---")

if(DEFINED MAX_SECONDS AND _took_ms GREATER "${MAX_SECONDS}000")
  message(FATAL_ERROR "it took ${_took_ms} ms, more than ${MAX_SECONDS} s\n${_report}")
endif()

if(NOT status STREQUAL STATUS)
  message(FATAL_ERROR "exit status ${status}, expected ${STATUS}\n${_report}")
endif()
if(DEFINED STDOUT_HAS)
  string(FIND "${out}" "${STDOUT_HAS}" _at)
  if(_at EQUAL -1)
    message(FATAL_ERROR "the output does not contain '${STDOUT_HAS}'\n${_report}")
  endif()
endif()
if(STDOUT_EMPTY AND NOT out STREQUAL "")
  message(FATAL_ERROR "standard output should be empty\n${_report}")
endif()
if(DEFINED STDERR_LINE AND NOT err STREQUAL "${STDERR_LINE}\n")
  message(FATAL_ERROR "standard error should be the one line '${STDERR_LINE}'\n${_report}")
endif()
if(LOG_LINES_ONLY)
  string(REPLACE "\n" ";" _lines "${out}")
  set(_stamp "^[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9] [0-9][0-9]:[0-9][0-9]:[0-9][0-9]\\.[0-9][0-9][0-9] ")
  foreach(_line IN LISTS _lines)
    if(NOT _line STREQUAL "" AND NOT _line MATCHES "${_stamp}")
      message(FATAL_ERROR "not a log line: '${_line}'\n${_report}")
    endif()
  endforeach()
endif()
if(SAME_TWICE)
  run_once(out2 err2 status2)
  if(NOT out2 STREQUAL out)
    message(FATAL_ERROR "a second run printed something else\n${_report}\n--- second run\n${out2}")
  endif()
endif()
