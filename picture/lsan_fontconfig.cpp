// Linked into every program of a sanitized build that links cairo:
// fontconfig keeps a few patterns of its configuration until the process
// ends, without a pointer LeakSanitizer can follow, and it would report
// them from every program that made a worksheet. Only leaks whose stack is
// in fontconfig itself are suppressed.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
