// Read by the leak checker of sanitizer builds; unused otherwise. The font
// catalogue's configuration parser loses a few bytes once per process while
// it loads the system's configuration: the library's loss, not ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
