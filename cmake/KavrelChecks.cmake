# Checks of what the project ships beside the code: the API reference and the
# binary interface of libApplication.so. Both tools are Debian packages that
# scripts/install-dependencies.sh installs.

# The API reference: `cmake --build <build> --target docs` writes
# <build>/docs/api/html/index.html; a warning fails it.
find_package(Doxygen QUIET)
if(DOXYGEN_FOUND)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/docs/api)
  configure_file(${PROJECT_SOURCE_DIR}/docs/Doxyfile.in ${CMAKE_BINARY_DIR}/docs/Doxyfile @ONLY)
  add_custom_target(docs COMMAND Doxygen::doxygen ${CMAKE_BINARY_DIR}/docs/Doxyfile
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/docs
    COMMENT "API reference in ${CMAKE_BINARY_DIR}/docs/api/html" VERBATIM)
endif()

if(NOT KAVREL_BUILD_TESTS)
  return()
endif()

# The test suites check both; a missing tool must not make a check vanish.
if(NOT DOXYGEN_FOUND)
  message(FATAL_ERROR "doxygen not found: run scripts/install-dependencies.sh")
endif()
add_test(NAME ApiReferenceBuildsWithoutWarnings COMMAND Doxygen::doxygen ${CMAKE_BINARY_DIR}/docs/Doxyfile
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/docs)

# The baseline describes a debug build made by the same compiler; the
# sanitizer build checks the code, not the interface.
if(NOT KAVREL_SANITIZE AND CMAKE_BUILD_TYPE STREQUAL "Debug")
  find_program(KAVREL_ABIDIFF abidiff)
  if(NOT KAVREL_ABIDIFF)
    message(FATAL_ERROR "abidiff not found: run scripts/install-dependencies.sh (abigail-tools)")
  endif()
  add_test(NAME ApplicationBinaryInterfaceMatchesBaseline
    COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/check-abi.sh $<TARGET_FILE:Application>)
  set_tests_properties(ApplicationBinaryInterfaceMatchesBaseline PROPERTIES TIMEOUT 300)
endif()
