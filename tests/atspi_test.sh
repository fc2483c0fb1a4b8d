#!/usr/bin/env bash
# Runs atspi_test.py against the given lumeta binary in a private D-Bus session under Xvfb.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
lumeta=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
# Nothing the test types is learned into, or drafted for, the user running it.
export XDG_DATA_HOME=$work/data XDG_STATE_HOME=$work/state
# The accessibility bus's socket in a folder of its own: where it defaults to (~/.cache/at-spi)
# another session's bus launcher, run by the same user, may remove it in mid-test.
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime
dbus-run-session -- xvfb-run -a python3 "$here/atspi_test.py" "$lumeta"
