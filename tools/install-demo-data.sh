#!/usr/bin/env bash
# Fetches the open Quran text and translations the demo program folder is built from.
# The package is never part of the source tree: it lands in a cache folder under build/.
# Usage: tools/install-demo-data.sh CACHE_DIR   (prints the folder of the JSON files)
set -euo pipefail

cache="${1:?usage: install-demo-data.sh CACHE_DIR}"
dist="$cache/node_modules/quran-json/dist"
if [ ! -f "$dist/quran.json" ]; then
    mkdir -p "$cache"
    npm install --silent --no-audit --no-fund --prefix "$cache" quran-json@3 >&2
fi
[ -f "$dist/quran.json" ] || { echo "quran-json did not install into $cache" >&2; exit 1; }
echo "$dist"
