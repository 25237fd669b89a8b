# Builds and runs the libFuzzer targets of fuzz/ (the field reader, the result text, the whole
# calculate path). Sourced by ./test, not run.

KELVO_FUZZ_TARGETS=(text_to_double number_to_text calculate_path)

# kelvo_fuzz_build BUILD_DIR
kelvo_fuzz_build() {
  local dir=$1
  cmake -S fuzz -B "$dir" -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
    cmake --build "$dir" -j "$(nproc)"
}

# kelvo_fuzz_run BUILD_DIR short|long
# short: about 30 s per target; long: ten million executions per target. The targets run side
# by side. New inputs go to a scratch folder, so the corpus in the repository only changes when
# someone merges into it on purpose; the regression inputs of fuzz/regressions run first.
# A finding is kept as BUILD_DIR/findings/<target>-crash-<hash>; the run then fails.
kelvo_fuzz_run() {
  local dir=$1 mode=$2
  local limit
  case $mode in
    short) limit=-max_total_time=30 ;;
    long) limit=-runs=10000000 ;;
    *) echo "kelvo_fuzz_run: short or long, not '$mode'" >&2; return 2 ;;
  esac
  local scratch
  scratch=$(mktemp -d)
  mkdir -p "$dir/findings" "$dir/logs"
  local target pids=() failed=0
  for target in "${KELVO_FUZZ_TARGETS[@]}"; do
    mkdir -p "$scratch/$target"
    local inputs=("fuzz/corpus/$target")
    [ -d "fuzz/regressions/$target" ] && inputs+=("fuzz/regressions/$target")
    "$dir/fuzz_$target" "$scratch/$target" "${inputs[@]}" -dict=fuzz/numbers.dict "$limit" \
      -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$dir/findings/$target-" >"$dir/logs/$target.log" 2>&1 &
    pids+=($!)
  done
  local i
  for i in "${!pids[@]}"; do
    target=${KELVO_FUZZ_TARGETS[$i]}
    if wait "${pids[$i]}"; then
      echo "fuzz $target ($mode): $(grep -E '^stat::number_of_executed_units' "$dir/logs/$target.log" |
        awk '{print $2}') executions, $(grep -E '^stat::average_exec_per_sec' "$dir/logs/$target.log" |
        awk '{print $2}')/s, nothing found"
    else
      failed=1
      echo "fuzz $target ($mode): FOUND A FAULT (log $dir/logs/$target.log)" >&2
      grep -E -A2 '^\*\*\*|ERROR: (AddressSanitizer|libFuzzer|UndefinedBehaviorSanitizer)|runtime error' \
        "$dir/logs/$target.log" | head -20 >&2
      ls "$dir/findings/$target-"* 2>/dev/null >&2
    fi
  done
  rm -rf "$scratch"
  return $failed
}
