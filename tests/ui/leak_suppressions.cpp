// The font configuration library keeps a cache for the life of the process and never frees it;
// under the leak checker of the sanitizer build that would fail every window test program.
// Without the sanitizers this function is never called.
extern "C" __attribute__((used)) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
