# Runs plumora-sim with --html and --svg and checks what it writes.
#   SIM, WORKDIR   the command and where to run it
#   SCENARIO       the scenario to draw, or
#   RECORDING      a recording of the simulated Mac, for the page of --compare (no difference)
#   OUT            a folder to write the pages into
# The page: written, the same bytes on a second run, one drawing and one line per line of the
# text timeline, and the text itself unchanged by --html. The picture: one drawing, and none past
# the last step. The comparison's page: as many drawings as lines, and no difference, as printed.

file(MAKE_DIRECTORY ${OUT})
function(run out_var status_var)
  execute_process(COMMAND ${SIM} ${ARGN} WORKING_DIRECTORY ${WORKDIR}
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(${out_var} "${out}${err}" PARENT_SCOPE)
  set(${status_var} "${status}" PARENT_SCOPE)
endfunction()

if(DEFINED RECORDING)
  set(_input --compare ${RECORDING})
  set(_picture)
else()
  set(_input ${SCENARIO})
  set(_picture --svg ${OUT}/last.svg)
endif()
run(text status ${_input})
run(with_page page_status --html ${OUT}/first.html ${_picture} ${_input})
run(again again_status --html ${OUT}/second.html ${_input})
if(NOT page_status STREQUAL status OR NOT with_page STREQUAL text)
  message(FATAL_ERROR "--html changed the output or the status (${status}, ${page_status})\n"
                      "${text}\n--- with --html\n${with_page}")
endif()
file(READ ${OUT}/first.html first)
file(READ ${OUT}/second.html second)
if(NOT first STREQUAL second)
  message(FATAL_ERROR "a second run wrote another page")
endif()

string(REGEX MATCHALL "<svg [^>]* data-step=\"[0-9]+\"" drawings "${first}")
string(REGEX MATCHALL "<li id=\"line-[0-9]+\"" items "${first}")
list(LENGTH drawings drawing_count)
list(LENGTH items item_count)
if(DEFINED RECORDING)
  string(REGEX MATCH "\n(no differences: [^\n]*)\n" _ "${text}")
  string(FIND "${first}" "<p id=\"difference-count\">${CMAKE_MATCH_1}</p>" at)
  if(NOT status EQUAL 0 OR CMAKE_MATCH_1 STREQUAL "" OR at EQUAL -1)
    message(FATAL_ERROR "status ${status}; the page does not say what the table printed\n${text}")
  endif()
  if(drawing_count EQUAL 0 OR NOT drawing_count EQUAL item_count)
    message(FATAL_ERROR "${drawing_count} drawings and ${item_count} lines on the page")
  endif()
  return()
endif()
string(REGEX MATCH "timeline \\(virtual seconds\\)\n(.*)\nexpectations\n" _ "${text}")
string(REGEX MATCHALL "\n" _newlines "${CMAKE_MATCH_1}\n")
list(LENGTH _newlines lines)
if(lines EQUAL 0 OR NOT drawing_count EQUAL lines OR NOT item_count EQUAL lines)
  message(FATAL_ERROR "${lines} timeline lines, ${drawing_count} drawings, ${item_count} lines "
                      "on the page")
endif()

file(READ ${OUT}/last.svg picture)
string(REGEX MATCHALL "<svg " pictures "${picture}")
list(LENGTH pictures picture_count)
if(NOT picture_count EQUAL 1)
  message(FATAL_ERROR "the picture holds ${picture_count} drawings")
endif()
math(EXPR past "${lines} + 1")
run(past_out past_status --svg ${OUT}/past.svg --step ${past} ${SCENARIO})
if(NOT past_status EQUAL 2 OR NOT past_out MATCHES
   "plumora-sim: no step ${past} to draw: the run has ${lines}\n$")
  message(FATAL_ERROR "--step past the end: status ${past_status}\n${past_out}")
endif()
