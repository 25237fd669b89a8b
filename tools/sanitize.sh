# The whole suite built with AddressSanitizer and UndefinedBehaviorSanitizer, for ./test
# --sanitize. Sourced, not run. Only our code is instrumented; OCCT, Qt and Mesa come from
# Debian as they are, so the suppressions under tools/sanitizers/ may name only their insides.

# UBSan stops at its first finding, so a finding fails the test that met it.
KELVO_SANITIZE_FLAGS="-fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=all"
KELVO_SANITIZE_FLAGS+=" -fno-omit-frame-pointer"

# kelvo_sanitize_build BUILD_DIR
kelvo_sanitize_build() {
  kelvo_build "$1" -DKELVO_BUILD_BENCH=OFF -DCMAKE_CXX_FLAGS="$KELVO_SANITIZE_FLAGS" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined"
}

# Exports the sanitizers' options for every test the suite starts, through xvfb-run too.
kelvo_sanitize_environment() {
  local here
  here=$(pwd)/tools/sanitizers
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
  export LSAN_OPTIONS="suppressions=$here/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="suppressions=$here/ubsan.supp:print_stacktrace=1:halt_on_error=1"
}
