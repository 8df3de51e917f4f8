#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang and runs each for a
# bounded time (seconds per target, default 20). A longer hunt:
#   bash scripts/run-fuzzers.sh 600
# A crash leaves its input under build-fuzz/artifacts/ and fails the run;
# turn such an input into a regular unit test.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
out=build-fuzz
mkdir -p "$out/artifacts"

# The pure text rules the targets exercise, and nothing that needs Qt or a driver.
sources=(db/IniFile.cpp db/TextRules.cpp db/ParamList.cpp db/ParamScan.cpp db/DriverError.cpp)
flags=(-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -Idb -Icontract)

status=0
for target in tests/fuzz/Fuzz*.cpp; do
  name=$(basename "$target" .cpp)
  clang++ "${flags[@]}" "$target" "${sources[@]}" -o "$out/$name"
  corpus="$out/corpus/$name"
  mkdir -p "$corpus"
  [ -d "tests/fuzz/seeds/$name" ] && cp -n tests/fuzz/seeds/"$name"/* "$corpus"/ 2>/dev/null || true
  echo "-- $name for ${seconds}s"
  if ! "$out/$name" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=1024 \
        -artifact_prefix="$out/artifacts/$name-" "$corpus" 2> "$out/$name.log"; then
    echo "$name found a fault:"; tail -n 30 "$out/$name.log"; status=1
  else
    grep -E '^(#[0-9]+: *DONE|Done [0-9]+ runs)' "$out/$name.log" | tail -n 1 || true
  fi
done
exit $status
