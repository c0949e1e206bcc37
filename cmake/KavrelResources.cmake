# Themes and languages of a product, laid out where its LookAndFeelManager
# reads them: resources/ beside the executable.
#
#   kavrel_add_theme(<target> NAME <theme> QRC <file.qrc>
#                    [DESCRIPTION <theme.json>] [DESCRIPTION_NAME <file name>]
#                    [DEPENDS <files...>])
#     Packs the resource list into <qrc base name>.rcc (rcc -binary): its
#     entries are found under :/<qrc base name>/..., so the list gives them
#     that prefix (style.qss, fonts_win.qss, fonts.manifest, pictures).
#     The description (titles per locale, {"en_US": "Night", ...}) is copied
#     as DESCRIPTION_NAME (default: its own file name). Both go to
#     <target dir>/resources/themes/<theme>/ whenever <target> is built, and
#     to <bindir>/resources/themes/<theme>/ on install. DEPENDS names files
#     the .qrc pulls in from elsewhere (fonts copied at build time).
#
#   kavrel_add_language(<target> LOCALE <locale> TS <files.ts...>
#                       [QT_TRANSLATIONS <catalogues...>])
#     Compiles each .ts to <ts base name>.qm (lrelease) into
#     resources/locales/<locale>/; QT_TRANSLATIONS copies Qt's own
#     catalogues of that language there too (qtbase for the standard
#     buttons and dialogs), so that they follow the product's language.
#
# Both are target-based: nothing is global, and a target may have many.

function(_kavrel_resources_stage target out_stamp out_dir)
  set(stage ${CMAKE_CURRENT_BINARY_DIR}/kavrel-resources/${target})
  set(${out_stamp} ${stage} PARENT_SCOPE)
  set(${out_dir} $<TARGET_FILE_DIR:${target}>/resources PARENT_SCOPE)
endfunction()

function(kavrel_add_theme target)
  cmake_parse_arguments(T "" "NAME;QRC;DESCRIPTION;DESCRIPTION_NAME" "DEPENDS" ${ARGN})
  if(NOT T_NAME OR NOT T_QRC)
    message(FATAL_ERROR "kavrel_add_theme: NAME and QRC are required")
  endif()
  find_package(Qt5 COMPONENTS Core REQUIRED)
  get_filename_component(qrc ${T_QRC} ABSOLUTE)
  get_filename_component(resource ${qrc} NAME_WE)
  _kavrel_resources_stage(${target} stage resources)
  set(staged ${stage}/themes/${T_NAME})
  set(commands
    COMMAND ${CMAKE_COMMAND} -E make_directory ${staged} ${resources}/themes/${T_NAME}
    COMMAND Qt5::rcc -binary ${qrc} -o ${staged}/${resource}.rcc
    COMMAND ${CMAKE_COMMAND} -E copy ${staged}/${resource}.rcc ${resources}/themes/${T_NAME}/)
  set(staged_files ${staged}/${resource}.rcc)
  if(T_DESCRIPTION)
    get_filename_component(description ${T_DESCRIPTION} ABSOLUTE)
    if(NOT T_DESCRIPTION_NAME)
      get_filename_component(T_DESCRIPTION_NAME ${description} NAME)
    endif()
    list(APPEND commands
      COMMAND ${CMAKE_COMMAND} -E copy ${description} ${staged}/${T_DESCRIPTION_NAME}
      COMMAND ${CMAKE_COMMAND} -E copy ${description} ${resources}/themes/${T_NAME}/${T_DESCRIPTION_NAME})
    list(APPEND staged_files ${staged}/${T_DESCRIPTION_NAME})
  endif()
  # What the list names, relative to its folder, is what the pack depends on.
  file(STRINGS ${qrc} entries REGEX "<file[^>]*>[^<]+</file>")
  get_filename_component(qrc_dir ${qrc} DIRECTORY)
  set(inputs ${qrc} ${description} ${T_DEPENDS})
  foreach(entry IN LISTS entries)
    string(REGEX REPLACE ".*<file[^>]*>([^<]+)</file>.*" "\\1" path "${entry}")
    if(EXISTS ${qrc_dir}/${path})
      list(APPEND inputs ${qrc_dir}/${path})
    endif()
  endforeach()
  set(stamp ${staged}.stamp)
  add_custom_command(OUTPUT ${stamp}
    ${commands}
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${inputs}
    COMMENT "Packing the ${T_NAME} theme of ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE ${stamp})
  install(FILES ${staged_files} DESTINATION ${CMAKE_INSTALL_BINDIR}/resources/themes/${T_NAME})
endfunction()

function(kavrel_add_language target)
  cmake_parse_arguments(L "" "LOCALE" "TS;QT_TRANSLATIONS" ${ARGN})
  if(NOT L_LOCALE OR NOT L_TS)
    message(FATAL_ERROR "kavrel_add_language: LOCALE and TS are required")
  endif()
  find_package(Qt5 COMPONENTS Core LinguistTools REQUIRED)
  _kavrel_resources_stage(${target} stage resources)
  set(staged ${stage}/locales/${L_LOCALE})
  set(commands COMMAND ${CMAKE_COMMAND} -E make_directory ${staged} ${resources}/locales/${L_LOCALE})
  set(staged_files)
  set(inputs)
  foreach(ts IN LISTS L_TS)
    get_filename_component(ts ${ts} ABSOLUTE)
    get_filename_component(base ${ts} NAME_WE)
    list(APPEND commands
      COMMAND Qt5::lrelease -silent ${ts} -qm ${staged}/${base}.qm
      COMMAND ${CMAKE_COMMAND} -E copy ${staged}/${base}.qm ${resources}/locales/${L_LOCALE}/)
    list(APPEND staged_files ${staged}/${base}.qm)
    list(APPEND inputs ${ts})
  endforeach()
  if(L_QT_TRANSLATIONS)
    # Qt names its catalogues by language ("de"), and by locale where the
    # language alone is ambiguous ("pt_BR", "zh_CN").
    get_target_property(qmake Qt5::qmake IMPORTED_LOCATION)
    execute_process(COMMAND ${qmake} -query QT_INSTALL_TRANSLATIONS OUTPUT_VARIABLE qt_translations
                    OUTPUT_STRIP_TRAILING_WHITESPACE)
    string(REGEX REPLACE "_.*" "" language ${L_LOCALE})
    foreach(catalogue IN LISTS L_QT_TRANSLATIONS)
      set(found)
      foreach(name ${catalogue}_${L_LOCALE} ${catalogue}_${language})
        if(NOT found AND EXISTS ${qt_translations}/${name}.qm)
          set(found ${qt_translations}/${name}.qm)
        endif()
      endforeach()
      if(NOT found)
        message(WARNING "Qt has no ${catalogue} catalogue for ${L_LOCALE} in ${qt_translations} "
                        "(Debian: qttranslations5-l10n)")
        continue()
      endif()
      get_filename_component(name ${found} NAME)
      list(APPEND commands
        COMMAND ${CMAKE_COMMAND} -E copy ${found} ${staged}/
        COMMAND ${CMAKE_COMMAND} -E copy ${found} ${resources}/locales/${L_LOCALE}/)
      list(APPEND staged_files ${staged}/${name})
      list(APPEND inputs ${found})
    endforeach()
  endif()
  set(stamp ${staged}.stamp)
  add_custom_command(OUTPUT ${stamp}
    ${commands}
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${inputs}
    COMMENT "Compiling the ${L_LOCALE} translations of ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE ${stamp})
  install(FILES ${staged_files} DESTINATION ${CMAKE_INSTALL_BINDIR}/resources/locales/${L_LOCALE})
endfunction()
