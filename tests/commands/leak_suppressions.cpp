// fontconfig keeps its configuration, once loaded for the first text layout, until the
// process ends; the leak checker reports it as a leak. Nothing of the viewer is behind it.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
