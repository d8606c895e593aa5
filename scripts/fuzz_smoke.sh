#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, fuzz preset) and runs each one
# briefly with the format's dictionary and the seed corpora. Fails on any
# crash, leak, sanitizer report or broken check; the input that caused it
# is left in build/fuzz/smoke/artifacts.
#   KUV_FUZZ_SECONDS   run time of each target (default 40)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${KUV_FUZZ_SECONDS:-40}
build=build/fuzz
work=$build/smoke

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

# The fuzzers add to their corpora; they get scratch copies so that the
# repository stays as it is. Kept finds join the seeds.
rm -rf "$work"
mkdir -p "$work/reader" "$work/calls" "$work/json_import" "$work/artifacts"
cp fuzz/corpus/reader/* examples/* "$work/reader/"
cp fuzz/corpus/calls/* "$work/calls/"
cp fuzz/corpus/json_import/* "$work/json_import/"
for kind in reader calls json_import; do
  if compgen -G "tests/data/regress/$kind/*" >/dev/null; then
    cp tests/data/regress/$kind/* "$work/$kind/"
  fi
done

# The harnesses keep the library's files in memory and take the disk path
# for a sample of the inputs only; that sample's scratch files go to
# memory too when it can take them: saves sync to disk, and the disk is
# shared.
if [[ -d /dev/shm && -w /dev/shm ]]; then export TMPDIR=/dev/shm; fi
# Every allocation records the stack that made it, for reports. Eight
# frames reach from an allocation into the library's caller; the default
# thirty spend about a tenth of each run unwinding and storing stacks.
# What is detected stays the same, and a find replays with whole stacks
# in the regression tests.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1:malloc_context_size=8
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# Call sequences may grow past their short seeds; JSON has its own tokens.
declare -A options=([reader]="" [calls]="-max_len=4096" [json_import]="")
declare -A dictionaries=([reader]=fuzz/kuv.dict [calls]=fuzz/kuv.dict [json_import]=fuzz/json.dict)

status=0
for kind in reader calls json_import; do
  log=$work/$kind.log
  echo "fuzz_smoke: fuzz_$kind for ${seconds}s"
  if "$build/fuzz/fuzz_$kind" "$work/$kind" \
      -dict="${dictionaries[$kind]}" -max_total_time="$seconds" -timeout=20 -detect_leaks=1 \
      -print_final_stats=1 -artifact_prefix="$work/artifacts/$kind-" ${options[$kind]} \
      >"$log" 2>&1; then
    grep -E '^(Done|stat::number_of_executed_units|stat::average_exec_per_sec)' "$log" || true
  else
    echo "fuzz_smoke: fuzz_$kind failed; the end of $log:" >&2
    tail -n 60 "$log" >&2
    status=1
  fi
done

if ((status)); then
  echo "fuzz_smoke: reproducers in $work/artifacts" >&2
fi
exit "$status"
