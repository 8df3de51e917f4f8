# Sourced: how a test script tells its outcome. The first failure ends it.
# shellcheck shell=bash

fail() { echo "FAIL: $*" >&2; exit 1; }
pass() { echo "PASS: $*"; }
note() { echo "$(basename "$0" .sh): $*"; }
