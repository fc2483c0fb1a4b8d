#!/usr/bin/env bash
# Runs atspi_test.py against the given lumeta binary in a private D-Bus session under Xvfb.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
lumeta=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
dbus-run-session -- xvfb-run -a python3 "$here/atspi_test.py" "$lumeta"
