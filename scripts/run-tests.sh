#!/usr/bin/env bash
# The whole test suite: installs what is missing, builds, starts the Firebird
# server on 127.0.0.1, runs every tier (then the sanitizer build, the Windows
# build with its tiers under Wine, the packages' tests, and the fuzzers), and
# stops the server again, also when tests fail. Every build here treats
# warnings as errors, except the packages' (a packager's build).
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/install-deps.sh || { echo "installing dependencies failed"; exit 1; }

build() {  # build PRESET DIR (CMakePresets.json)
  cmake --preset "$1" >/dev/null && ninja -C "$2" -j2
}

build dev build || { echo "build failed"; exit 1; }

bash scripts/fb-server-start.sh || { echo "the Firebird test server did not start"; exit 1; }
trap 'bash "$root/scripts/fb-server-stop.sh"' EXIT

failed=0

echo "== tests (unit, contract, window, integration, e2e)"
ctest --test-dir build --output-on-failure --timeout 300 -j1 || failed=1

if [ "${CORVANTIS_SKIP_SANITIZERS:-0}" != 1 ]; then
  echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
  if build asan build-asan; then
    # The Firebird client keeps its own allocations until exit; leaks there are not ours.
    # ASan's dlopen interceptor hides the caller's $ORIGIN runpath, so a bare
    # driver name is found through the library path instead.
    # The fault sweep runs there for a first run with the default options
    # alone: its five other settings would add five times its time, and their
    # transaction paths run under the sanitizers in the driver's option tests.
    LD_LIBRARY_PATH="$root/build-asan/bin${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}" \
    ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
      ctest --test-dir build-asan --output-on-failure --timeout 600 -j1 -L 'unit|contract|integration|window' \
        -E 'FaultSweep\..*/(FirstRunNoWait|FirstRunRepeatableRead|FirstRunCommitRetain|SecondRun|Healing)_' ||
        failed=1
  else
    echo "sanitizer build failed"; failed=1
  fi
fi

if [ "${CORVANTIS_SKIP_WINDOWS:-0}" != 1 ]; then
  echo "== Windows build and its tiers under Wine"
  bash scripts/run-windows-tests.sh || failed=1
fi

if [ "${CORVANTIS_SKIP_PACKAGES:-0}" != 1 ]; then
  echo "== packages: made, checked, installed and run"
  bash scripts/run-package-tests.sh || failed=1
fi

if [ -x scripts/run-fuzzers.sh ] && [ "${CORVANTIS_SKIP_FUZZ:-0}" != 1 ]; then
  echo "== fuzzers (short bounded run)"
  bash scripts/run-fuzzers.sh "${CORVANTIS_FUZZ_SECONDS:-20}" || failed=1
fi

exit $failed
