// Read by the sanitizers of sanitizer builds; unused otherwise. The web
// engine's library is built without them: it deletes one of its own objects
// through a pointer to a smaller type on every page teardown, and it, with the
// system libraries it brings (bus, device and font catalogue clients), keeps
// a few allocations to the end of the process (some reached only through
// the undefined-behaviour checker's own records of them). Both are the
// libraries' own; our code stays checked for everything else.
extern "C" const char* __asan_default_options() { return "new_delete_type_mismatch=0"; }

extern "C" const char* __lsan_default_suppressions() {
  return "leak:libQt6WebEngineCore.so\n"
         "leak:libdbus-1.so\n"
         "leak:libudev.so\n"
         "leak:libfontconfig.so\n"
         "leak:libubsan.so\n"
         "leak:libasan.so\n";
}
