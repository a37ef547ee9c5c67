# One library per folder: every source below the folder belongs to it, so
# adding a file never means touching the build.
function(wendalore_library name)
  cmake_parse_arguments(ARG "" "" "FOLDERS;DEPENDS" ${ARGN})
  set(sources)
  foreach(folder IN LISTS ARG_FOLDERS)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS "${folder}/*.cpp")
    list(APPEND sources ${found})
  endforeach()
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_compile_options(${name} PRIVATE ${WENDALORE_WARNINGS})
    target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
  else()
    # Header-only so far.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPENDS})
  endif()
endfunction()

# One test executable per folder. Suites that need local servers run as one
# process so the servers start once; the others are split per test case so
# CTest can run them in parallel. A LAUNCHER is a command the whole suite
# runs under, such as a virtual display. EXCLUDE names subfolders that are
# suites of their own.
function(wendalore_test_suite name)
  cmake_parse_arguments(ARG "WHOLE" "" "FOLDERS;DEPENDS;LAUNCHER;EXCLUDE" ${ARGN})
  set(sources)
  foreach(folder IN LISTS ARG_FOLDERS)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS "${folder}/*.cpp")
    list(APPEND sources ${found})
  endforeach()
  foreach(excluded IN LISTS ARG_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "^${excluded}/")
  endforeach()
  add_executable(${name} ${sources})
  target_compile_options(${name} PRIVATE ${WENDALORE_WARNINGS} ${WENDALORE_TEST_COMPILE_OPTIONS})
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} GTest::gmock GTest::gtest_main)
  if(ARG_LAUNCHER)
    add_test(NAME ${name} COMMAND ${ARG_LAUNCHER} $<TARGET_FILE:${name}>)
  elseif(ARG_WHOLE)
    add_test(NAME ${name} COMMAND ${name})
  else()
    include(GoogleTest)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

# Puts a copy of `FROM` (a folder with DIRECTORY, a file with FILE) next to
# `target`'s program, made again whenever what it DEPENDS on changes. The
# programs of one output folder share one copy made once: programs that link
# in parallel must never remove or rewrite what another is copying.
function(wendalore_copy_beside target)
  cmake_parse_arguments(ARG "" "NAME;FROM;KIND" "DEPENDS" ${ARGN})
  get_target_property(folder ${target} BINARY_DIR)
  string(MD5 key "${folder}/${ARG_NAME}")
  string(SUBSTRING ${key} 0 12 key)
  set(copy_target copy_beside_${key})
  if(NOT TARGET ${copy_target})
    set(stamp ${folder}/${ARG_NAME}.copied)
    if(ARG_KIND STREQUAL "DIRECTORY")
      set(copy_commands COMMAND ${CMAKE_COMMAND} -E rm -rf ${folder}/${ARG_NAME}
                        COMMAND ${CMAKE_COMMAND} -E copy_directory ${ARG_FROM} ${folder}/${ARG_NAME})
    else()
      set(copy_commands COMMAND ${CMAKE_COMMAND} -E copy ${ARG_FROM} ${folder}/${ARG_NAME})
    endif()
    add_custom_command(OUTPUT ${stamp}
      ${copy_commands}
      COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
      DEPENDS ${ARG_DEPENDS}
      COMMENT "Copying ${ARG_NAME} beside the programs in ${folder}")
    add_custom_target(${copy_target} DEPENDS ${stamp})
  endif()
  add_dependencies(${target} ${copy_target})
endfunction()
