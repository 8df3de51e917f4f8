#!/usr/bin/env bash
# Builds the probe benchmark and the driver, starts the test server when it is
# not running, and prints the cost of 1000 catalogue probes through the driver
# against isql-fb sending the same statements, in one transaction and with a
# COMMIT after each. Extra arguments go to the program (the probe count and
# the repeats). BUILD_DIR overrides the build folder.
set -euo pipefail

source_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build_dir="${BUILD_DIR:-$source_dir/build-bench}"

if [ ! -f "$build_dir/build.ninja" ]; then
  cmake -S "$source_dir" --preset bench -B "$build_dir" >/dev/null
fi
ninja -C "$build_dir" -j2 probe_bench dbvfb >/dev/null

"$source_dir/scripts/fb-server-start.sh"
"$build_dir/bin/probe_bench" "$@"
