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
