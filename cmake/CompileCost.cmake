# Full debug information doubles the compile time of the heavy sources (the
# test programs above all); line tables are enough for backtraces and for
# the sanitizers' reports.
if(CMAKE_BUILD_TYPE STREQUAL "RelWithDebInfo")
  add_compile_options(-g1)
endif()
# Test programs spend their time in the libraries they test, which keep the
# build's optimisation; their own code needs little of it. At that level
# g++ 12 reports "may be used uninitialized" inside the standard library's
# variants and optionals, as it does under the sanitizers.
set(WENDALORE_TEST_COMPILE_OPTIONS -O1 -Wno-maybe-uninitialized)
