// Read by the leak checker of sanitizer builds; unused otherwise. The
// script engine keeps per-thread data of the background threads that ran
// scripts to the end of the process, and the font catalogue's configuration
// parser loses a few bytes once while it loads: the libraries' own, not ours.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libjavascriptcoregtk-4.1.so\n"
         "leak:libfontconfig.so\n";
}
