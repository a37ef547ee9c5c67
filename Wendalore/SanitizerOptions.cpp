// Read by the leak checker of sanitizer builds; unused otherwise. The
// message-bus client that Qt brings keeps a buffer to the end of the
// process, the font catalogue's configuration parser loses a few bytes
// while it loads, and the undefined-behaviour checker's own records of
// allocations look like leaks: the libraries' own, not ours.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libdbus-1.so\n"
         "leak:libfontconfig.so\n"
         "leak:libubsan.so\n"
         "leak:libasan.so\n";
}
