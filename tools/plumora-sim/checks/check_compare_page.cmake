# Runs plumora-sim --compare with --html and checks what it writes.
#   SIM, WORKDIR   the command and where to run it
#   RECORDING      a recording of the simulated Mac, which compares with no difference
#   OUT            a folder to write the pages into
# The printed table and the status are those without --html; the page is the same bytes on a
# second run, says there is no difference as the table does, and draws the derived run.

file(MAKE_DIRECTORY ${OUT})
function(run out_var status_var)
  execute_process(COMMAND ${SIM} ${ARGN} WORKING_DIRECTORY ${WORKDIR}
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(${out_var} "${out}${err}" PARENT_SCOPE)
  set(${status_var} "${status}" PARENT_SCOPE)
endfunction()

run(text status --compare ${RECORDING})
run(with_page page_status --compare ${RECORDING} --html ${OUT}/first.html)
run(again again_status --html ${OUT}/second.html --compare ${RECORDING})
if(NOT status EQUAL 0 OR NOT page_status EQUAL 0 OR NOT with_page STREQUAL text)
  message(FATAL_ERROR "--html changed the output or the status (${status}, ${page_status})\n"
                      "${text}\n--- with --html\n${with_page}")
endif()
file(READ ${OUT}/first.html first)
file(READ ${OUT}/second.html second)
if(NOT first STREQUAL second)
  message(FATAL_ERROR "a second run wrote another page")
endif()

string(REGEX MATCH "\n(no differences: [^\n]*)\n" _ "${text}")
set(heading "${CMAKE_MATCH_1}")
string(FIND "${first}" "<p id=\"difference-count\">${heading}</p>" at)
if(heading STREQUAL "" OR at EQUAL -1)
  message(FATAL_ERROR "the page does not say '${heading}'")
endif()
string(REGEX MATCHALL "<svg [^>]* data-step=\"[0-9]+\"" drawings "${first}")
string(REGEX MATCHALL "<li id=\"line-[0-9]+\"" items "${first}")
list(LENGTH drawings drawing_count)
list(LENGTH items item_count)
if(drawing_count EQUAL 0 OR NOT drawing_count EQUAL item_count)
  message(FATAL_ERROR "${drawing_count} drawings and ${item_count} lines on the page")
endif()
message(STATUS "the page of the comparison: ${drawing_count} steps, ${heading}")
