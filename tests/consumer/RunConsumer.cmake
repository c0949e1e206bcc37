# Installs the built library into a scratch prefix, builds the consumer
# project against that prefix alone, and runs it.
set(prefix ${BUILD_DIR}/consumer-prefix)
set(consumer_build ${BUILD_DIR}/consumer-build)
file(REMOVE_RECURSE ${prefix} ${consumer_build})

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "failed (${result}): ${ARGN}")
  endif()
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
run(${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${consumer_build} -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=Debug)
run(${CMAKE_COMMAND} --build ${consumer_build})
foreach(product ConsumerOne ConsumerTwo)
  run(${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen HOME=${consumer_build}/home
      LOCALAPPDATA=${consumer_build}/localappdata XDG_CONFIG_HOME=${consumer_build}/home/.config
      XDG_DATA_HOME=${consumer_build}/home/data ${consumer_build}/${product})
endforeach()
# Each kept its records in its own folder.
foreach(folder "consumerone 3.4" "consumertwo 5.6")
  file(GLOB records "${consumer_build}/home/data/*/Kavrel/${folder}/*.ini")
  if(NOT records)
    message(FATAL_ERROR "no crash records in \"${folder}\"")
  endif()
endforeach()

# The notes program, written from the guide, built with the package's helpers
# for its theme and languages: in German its standard buttons are German.
set(notes_build ${BUILD_DIR}/notes-build)
file(REMOVE_RECURSE ${notes_build})
run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/../../examples/Notes -B ${notes_build} -DCMAKE_PREFIX_PATH=${prefix}
    -DCMAKE_BUILD_TYPE=Debug)
run(${CMAKE_COMMAND} --build ${notes_build})
foreach(case "de_DE;&Ja &Nein" "en_US;&Yes &No")
  list(GET case 0 locale)
  list(GET case 1 buttons)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen HOME=${notes_build}/home
            LOCALAPPDATA=${notes_build}/localappdata XDG_CONFIG_HOME=${notes_build}/home/.config
            ${notes_build}/Notes --language ${locale} --screenshot ${notes_build}/pictures-${locale}
    OUTPUT_VARIABLE output RESULT_VARIABLE result)
  if(NOT result EQUAL 0 OR NOT output MATCHES "Language: ${locale}\nButtons: ${buttons}\n")
    message(FATAL_ERROR "Notes in ${locale} (exit ${result}) said:\n${output}")
  endif()
endforeach()
