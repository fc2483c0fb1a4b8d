#!/usr/bin/env bash
# Installs the build into a scratch prefix and builds the Debian package, then checks that the
# files are where desktops look for them, that they validate, and that the installed program
# starts.
set -euo pipefail
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
check() {
  if "$@"; then echo "ok: $*"; else echo "FAILED: $*"; failures=$((failures + 1)); fi
}
# A program that is still running when `timeout` stops it has started.
starts() {
  XDG_STATE_HOME=$scratch/state XDG_DATA_HOME=$scratch/data QT_QPA_PLATFORM=offscreen timeout 3 "$@" > /dev/null 2>&1
  [ $? -eq 124 ]
}
# The program, once its window is drawn, has loaded 送る's routes from its module.
loads_routes() {
  XDG_STATE_HOME=$scratch/state XDG_DATA_HOME=$scratch/data QT_QPA_PLATFORM=offscreen "$1" \
    > /dev/null 2>&1 &
  local pid=$! found=1
  for _ in $(seq 50); do
    sleep 0.1
    if grep -q 'liblumeta-routes\.so' "/proc/$pid/maps" 2> /dev/null; then
      found=0
      break
    fi
  done
  kill "$pid"
  wait "$pid" 2> /dev/null || true
  return "$found"
}

cmake --install "$build" --prefix "$scratch/prefix" > /dev/null
prefix=$scratch/prefix
check test -x "$prefix/bin/lumeta"
check test -f "$prefix/share/applications/org.lumeta.Lumeta.desktop"
check test -f "$prefix/share/icons/hicolor/scalable/apps/org.lumeta.Lumeta.svg"
check test -f "$prefix/share/metainfo/org.lumeta.Lumeta.metainfo.xml"
check test -f "$prefix/share/doc/lumeta/copyright"
check grep -q 'NO WARRANTY' "$prefix/share/doc/lumeta/NOTICE.mecab-ipadic"
check grep -q 'version 3 of the License' "$prefix/share/doc/lumeta/NOTICE.libkkc-data"
check desktop-file-validate "$prefix/share/applications/org.lumeta.Lumeta.desktop"
check appstreamcli validate --no-net --explain "$prefix/share/metainfo/org.lumeta.Lumeta.metainfo.xml"
check starts "$prefix/bin/lumeta"
check loads_routes "$prefix/bin/lumeta"
check starts "$prefix/bin/lumeta" --builtin-dictionary
check "$prefix/bin/lumeta" --help

(cd "$build" && cpack -G DEB -B "$scratch/package" > /dev/null)
deb=$(ls "$scratch"/package/*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
check grep -q 'libqt6widgets6' <<< "$depends"
check grep -q 'fonts-ipafont-gothic' <<< "$depends"
check grep -q 'libc6' <<< "$depends"
check grep -q 'libibus' <<< "$depends"  # through 送る's routes module
dpkg-deb -x "$deb" "$scratch/root"
check test -f "$scratch/root/usr/share/applications/org.lumeta.Lumeta.desktop"
check grep -q 'GPL-3+' "$scratch/root/usr/share/doc/lumeta/copyright"
check grep -q 'BSD-3-Clause-with-ICOT-term' "$scratch/root/usr/share/doc/lumeta/copyright"
check grep -q 'NO WARRANTY' "$scratch/root/usr/share/doc/lumeta/NOTICE.mecab-ipadic"
check starts "$scratch/root/usr/bin/lumeta"
check loads_routes "$scratch/root/usr/bin/lumeta"

echo "$((22 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
