#!/usr/bin/env bash
# Builds everything and starts tervo on the virtual scanner and the reference
# algorithm library. Arguments go to tervo (two BMP files are matched first).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bash scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default >/dev/null
exec "$root/build/bin/tervo" "$@"
