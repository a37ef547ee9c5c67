if(WENDALORE_SANITIZE)
  # -O1 is the level the sanitizers are made for: reports stay exact and
  # the build takes far less time than at the release level.
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined -O1)
  add_link_options(-fsanitize=address,undefined)
  # g++ 12 reports "may be used uninitialized" inside the standard library
  # for optionals under the sanitizers' instrumentation; the plain build
  # keeps the warning.
  add_compile_options(-Wno-maybe-uninitialized)
endif()
if(WENDALORE_FUZZ)
  # Every library is instrumented for coverage; only the fuzz targets link
  # libFuzzer's main.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
