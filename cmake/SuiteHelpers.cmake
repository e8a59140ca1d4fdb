# suite_add_gtest(NAME [QT] SOURCES a.cpp b.cpp LIBS lib1 lib2 [ENV VAR=VALUE ...])
# One GoogleTest executable whose cases CTest discovers one by one. QT gives
# it a main that creates a QApplication (offscreen) for window tests.
function(suite_add_gtest name)
  cmake_parse_arguments(ARG "QT" "" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  if(ARG_QT)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} platform_ui_test_main GTest::gtest)
  else()
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  endif()
  target_compile_definitions(${name} PRIVATE
    SUITE_SOURCE_DIR="${PROJECT_SOURCE_DIR}" SUITE_BINARY_DIR="${PROJECT_BINARY_DIR}")
  if(NOT SUITE_DATABASES)
    target_compile_definitions(${name} PRIVATE SUITE_NO_DATABASES)
  endif()
  set(env QT_QPA_PLATFORM=offscreen ${ARG_ENV})
  if(CMAKE_CROSSCOMPILING)
    # Each start under an emulator costs a second or more: the whole program
    # is one test there, not one start per case.
    add_test(NAME ${name} COMMAND ${name})
    suite_emulated_test(${name} ${env})
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "${env}")
  endif()
endfunction()

# suite_emulated_test(TEST [VAR=VALUE ...]): in a cross build, TEST runs
# under the emulator (Wine) in a prefix of the build's own, made once before
# the first such test, and quiet. One Wine server stays up for all of them:
# left to itself it ends when its last program does, and a test that starts
# just then fails with "wine client error: Connection reset by peer". Wine's
# own services, started by the first program, live as long as that server,
# and they and the server keep the output they were started with: a log of
# ours (wine-prefix.log), never a test's pipe, or ctest would wait for them.
function(suite_emulated_test test)
  if(NOT CMAKE_CROSSCOMPILING)
    return()
  endif()
  set(prefix ${PROJECT_BINARY_DIR}/wine-prefix)
  # Once in the whole build: if(TEST) sees only the current folder's tests.
  get_property(prefix_made GLOBAL PROPERTY suite_wine_prefix_test)
  if(NOT prefix_made)
    set_property(GLOBAL PROPERTY suite_wine_prefix_test ON)
    set(server "${SUITE_WINESERVER}")
    add_test(NAME suite_wine_prefix
      COMMAND ${CMAKE_COMMAND} -E env WINEPREFIX=${prefix} WINEDEBUG=-all sh -c
              "exec </dev/null >\"${prefix}.log\" 2>&1; \"${server}\" -k; mkdir -p \"${prefix}\" && \"${server}\" -p && \"${CMAKE_CROSSCOMPILING_EMULATOR}\" cmd /c exit 0")
    set_tests_properties(suite_wine_prefix PROPERTIES FIXTURES_SETUP wine_prefix TIMEOUT 300)
    add_test(NAME suite_wine_server_stop
      COMMAND ${CMAKE_COMMAND} -E env WINEPREFIX=${prefix} ${server} -k)
    set_tests_properties(suite_wine_server_stop PROPERTIES FIXTURES_CLEANUP wine_prefix)
  endif()
  set_tests_properties(${test} PROPERTIES FIXTURES_REQUIRED wine_prefix
    ENVIRONMENT "WINEPREFIX=${prefix};WINEDEBUG=-all;${ARGN}")
endfunction()

# suite_version_define(TARGET x.y[.z]): the program's version from the build,
# as APP_VERSION_MAJOR/MINOR/PATCH and APP_VERSION_TEXT.
function(suite_version_define target version)
  string(REPLACE "." ";" parts ${version})
  list(GET parts 0 major)
  list(GET parts 1 minor)
  list(LENGTH parts n)
  if(n GREATER 2)
    list(GET parts 2 patch)
  else()
    set(patch 0)
  endif()
  target_compile_definitions(${target} PUBLIC
    APP_VERSION_MAJOR=${major} APP_VERSION_MINOR=${minor} APP_VERSION_PATCH=${patch}
    APP_VERSION_TEXT="${version}")
endfunction()

# suite_add_failing_disk_tests(TEST_TARGET PROGRAM SUITE FORMAT SIZE
#   COMMANDS "extract ..." REFUSES 0|1): the failing-disk, damaged-input and
# output cases every extractor's command line shares, run against PROGRAM on
# a cdrgen sample of FORMAT.
function(suite_add_failing_disk_tests test_target program suite format size)
  cmake_parse_arguments(ARG "" "COMMANDS;REFUSES" "" ${ARGN})
  target_sources(${test_target} PRIVATE
    ${PROJECT_SOURCE_DIR}/tools/testing/extractor_failing_disk_test.cpp
    ${PROJECT_SOURCE_DIR}/tools/testing/extractor_batch_rules_test.cpp)
  target_compile_definitions(${test_target} PRIVATE
    FAILING_DISK_SUITE=${suite}FailingDisk BATCH_RULES_SUITE=${suite}BatchRules
    FAILING_DISK_PROGRAM="${program}"
    FAILING_DISK_EXE="$<TARGET_FILE:${program}>" FAILING_DISK_FORMAT="${format}"
    FAILING_DISK_SIZE=${size} BATCH_RULES_COMMANDS="${ARG_COMMANDS}"
    BATCH_RULES_REFUSES=${ARG_REFUSES})
endfunction()
