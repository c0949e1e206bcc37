# Runs the sample product three times in a fresh home: it crashes twice in a
# row, then quits normally. Each start after a crash must report it, and the
# crash records must live under the sample's own product folder.
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
run_sample("crashed" --quit-after 0)
run_sample("ended properly" --quit-after 0)
file(GLOB records "${HOME}/data/*/Kavrel/sampleproduct 1.0/*.ini")
if(NOT records)
  message(FATAL_ERROR "no crash records under the sample's own folder \"sampleproduct 1.0\"")
endif()
