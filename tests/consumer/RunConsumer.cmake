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
