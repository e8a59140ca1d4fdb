# GoogleTest for a cross build: Debian's googletest sources, built with the
# cross compiler; they define the GTest:: targets themselves. They are not
# this project's code, so its warning options do not apply to them.
set(suite_gtest_source /usr/src/googletest/googletest CACHE PATH "GoogleTest sources")
if(NOT EXISTS ${suite_gtest_source}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${suite_gtest_source} (apt install googletest)")
endif()
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${suite_gtest_source} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(target gtest gtest_main)
  set_target_properties(${target} PROPERTIES COMPILE_OPTIONS "-w")
endforeach()
