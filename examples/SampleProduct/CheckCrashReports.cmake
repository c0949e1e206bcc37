# Runs the sample product in a fresh home: it crashes three times in a row,
# then quits normally, twice. Each start after a crash must report it, the
# fourth counts three crashes at start, and the crash records must live
# under the sample's own product folder.
file(REMOVE_RECURSE ${HOME})
function(run_sample expected_report)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen HOME=${HOME} XDG_CONFIG_HOME=${HOME}/.config
            XDG_DATA_HOME=${HOME}/data LOCALAPPDATA=${HOME}/localappdata
            ${SAMPLE} ${ARGN}
    OUTPUT_VARIABLE output ERROR_QUIET RESULT_VARIABLE result)
  if(NOT output MATCHES "Previous run: ${expected_report}")
    message(FATAL_ERROR "expected \"Previous run: ${expected_report}\" from ${ARGN} (exit ${result}):\n${output}")
  endif()
endfunction()
run_sample("ended properly" --crash)
run_sample("crashed" --crash)
run_sample("crashed" --crash)
# Three crashes at start in a row: a safe mode is offered (headless: taken
# when asked for), and a good run ends the streak.
run_sample("crashed.*Crashes at start in a row: 3 \\(safe mode\\)" --safe-mode --quit-after 0)
run_sample("ended properly.*Crashes at start in a row: 0" --quit-after 0)
file(GLOB records "${HOME}/data/*/Kavrel/sampleproduct 1.0/*.ini")
if(NOT records)
  message(FATAL_ERROR "no crash records under the sample's own folder \"sampleproduct 1.0\"")
endif()
