# Runs the sample product with the link test options in a fresh home, then
# checks the dump file it wrote: en_US before fr_FR, one line per key and
# language, "locale;key;address;" each.
file(REMOVE_RECURSE ${HOME})
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen HOME=${HOME} XDG_CONFIG_HOME=${HOME}/.config
          XDG_DATA_HOME=${HOME}/data LOCALAPPDATA=${HOME}/localappdata
          ${SAMPLE} --test-dump-urls --test-custom-locales=fr_FR,en_US --quit-after 0
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the sample product failed: ${result}")
endif()
set(dump "${HOME}/data/Kavrel/Sample Player/SampleProduct-url-dump.csv")
if(NOT EXISTS "${dump}")
  message(FATAL_ERROR "no dump file at ${dump}")
endif()
file(STRINGS "${dump}" lines)
list(LENGTH lines count)
list(GET lines 0 first)
list(GET lines 35 second_locale)
list(FIND lines "fr_FR;FAQ_URL_menu;https://www.kavrel.example/fr/questions-frequentes/;" faq)
if(NOT count EQUAL 70 OR NOT first MATCHES "^en_US;VIDEOBLOCKS_URL_other_import;https://[^;]+;$"
   OR NOT second_locale MATCHES "^fr_FR;VIDEOBLOCKS_URL_other_import;" OR faq EQUAL -1)
  message(FATAL_ERROR "unexpected dump (${count} lines): ${first} / ${second_locale}")
endif()
