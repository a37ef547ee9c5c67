// Read by the sanitizers of sanitizer builds; unused otherwise. The web
// engine, built without the sanitizers, deletes one of its own objects
// through a pointer to a smaller type when a page goes; the message-bus
// client that Qt brings keeps a buffer to the end of the process, the font
// catalogue's configuration parser loses a few bytes while it loads, and the
// undefined-behaviour checker's own records of allocations look like leaks:
// the libraries' own, not ours.
extern "C" const char* __asan_default_options() { return "new_delete_type_mismatch=0"; }

extern "C" const char* __lsan_default_suppressions() {
  return "leak:libdbus-1.so\n"
         "leak:libfontconfig.so\n"
         "leak:libubsan.so\n"
         "leak:libasan.so\n";
}
