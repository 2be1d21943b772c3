#!/usr/bin/env bash
# Installs what the build needs beyond Debian packages: the symbol glyphs
# (@phosphor-icons/core, MIT) from npm, pinned by tools/symbols/package-lock.json,
# into build/npm/ of the source tree. The build compiles the glyphs it uses into
# the program's resources; nothing from npm is committed.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
SRC="$ROOT/tools/symbols"
DEST="$ROOT/build/npm"

# Some nodejs builds bring npm along (and conflict with Debian's npm package);
# Debian's own nodejs needs the npm package beside it.
if ! command -v npm >/dev/null 2>&1; then
    echo "Installing: npm"
    if [ "$(id -u)" -eq 0 ]; then sudo_cmd=(); else sudo_cmd=(sudo); fi
    "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends npm
fi

# Already installed from this very lock file: nothing to do.
if [ -d "$DEST/node_modules/@phosphor-icons/core/assets" ] \
    && cmp -s "$SRC/package-lock.json" "$DEST/package-lock.json"; then
    exit 0
fi

mkdir -p "$DEST"
cp "$SRC/package.json" "$SRC/package-lock.json" "$DEST/"
echo "Installing symbol glyphs into $DEST"
(cd "$DEST" && npm ci --no-audit --no-fund --ignore-scripts --loglevel=error)
