# One fuzz test (cmake -P RunFuzzer.cmake):
#   -DFUZZER=<target file> -DSEEDS=<dir> -DREGRESSIONS=<dir> -DWORK=<dir> -DSECONDS=<n>
# Replays every file in REGRESSIONS (a libFuzzer target given files runs just
# those), then fuzzes for SECONDS on WORK/corpus, a copy of SEEDS that keeps
# what earlier runs found. A failing input is saved under WORK/artifacts/.
foreach(var FUZZER SEEDS REGRESSIONS WORK SECONDS)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "RunFuzzer.cmake: -D${var}=... missing")
    endif()
endforeach()

file(GLOB regressions LIST_DIRECTORIES false ${REGRESSIONS}/*)
list(FILTER regressions EXCLUDE REGEX "/\\.[^/]*$")  # .gitkeep and the like
if(regressions)
    execute_process(COMMAND ${FUZZER} ${regressions} RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "a regression input of ${REGRESSIONS} fails again (see above)")
    endif()
endif()

file(MAKE_DIRECTORY ${WORK}/corpus ${WORK}/artifacts)
file(COPY ${SEEDS}/ DESTINATION ${WORK}/corpus)
execute_process(COMMAND ${FUZZER} -max_total_time=${SECONDS} -timeout=10 -print_final_stats=1
                        -artifact_prefix=${WORK}/artifacts/ ${WORK}/corpus
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "the fuzzer found a failing input (see above), saved in ${WORK}/artifacts/; "
                        "once understood, add it to ${REGRESSIONS}/ so every run replays it")
endif()
