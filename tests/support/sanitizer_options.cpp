// The options that the sanitizers of a QUORVANE_SANITIZE build read first, whoever starts a test
// program (ctest, a developer, or a test that starts it again as another program); ASAN_OPTIONS
// and UBSAN_OPTIONS may still change them. The first report ends the program with a failure,
// leaks included.

extern "C" const char* __asan_default_options() {
  return "halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:"
         "strict_init_order=1:strict_string_checks=1";
}

extern "C" const char* __ubsan_default_options() { return "halt_on_error=1:print_stacktrace=1"; }
