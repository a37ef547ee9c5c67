// Read by the sanitizers of sanitizer builds; unused otherwise. The window
// brings the script engine (its background threads keep per-thread data to
// the end), the web engine (built without the sanitizers, it deletes one of
// its own objects through a pointer to a smaller type at page teardown) and
// the system clients Qt loads (bus, device and font catalogue), which keep a
// few allocations to the end of the process: the libraries' own, not ours.
extern "C" const char* __asan_default_options() { return "new_delete_type_mismatch=0"; }

extern "C" const char* __lsan_default_suppressions() {
  return "leak:libjavascriptcoregtk-4.1.so\n"
         "leak:libQt6WebEngineCore.so\n"
         "leak:libdbus-1.so\n"
         "leak:libudev.so\n"
         "leak:libfontconfig.so\n"
         "leak:libubsan.so\n"
         "leak:libasan.so\n";
}
