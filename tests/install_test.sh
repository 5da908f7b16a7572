#!/usr/bin/env bash
# cmake --install into a scratch prefix: the installed program finds the
# installed bundle and the settings tool, and every installed library finds
# the platform libraries beside it.
# usage: install_test.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" > /dev/null
export XDG_CONFIG_HOME="$prefix/config"
"$prefix/bin/morvatelle" info | grep -q "$prefix/lib/morvatelle/Morva Telle.bundle/Contents/Linux/morvatelle.so"
"$prefix/bin/morvatelle" settings show | grep -q "^region: left 0, right 1, top 0, bottom 1$"
for lib in "$prefix/lib/frei0r-1/morvatelle.so" "$prefix/lib/morvatelle/Morva Telle.bundle/Contents/Linux/morvatelle.so"; do
  [ -f "$lib" ] || { echo "missing: $lib"; exit 1; }
  if ldd "$lib" | grep -q "not found"; then echo "unresolved in $lib:"; ldd "$lib"; exit 1; fi
done
echo "installed and found"
