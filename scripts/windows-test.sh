#!/usr/bin/env bash
# The Windows side of the tests: the Windows build (scripts/windows.sh), its core
# test programs under wine, the commands end to end against the Debian program of
# this build, and the installer with the desktop program on a virtual display.
#   scripts/windows-test.sh DEBIAN_BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
debian_build=$(realpath "$1")

if ! prefix=$(bash scripts/win64-deps.sh); then
    echo "Windows libraries not found: the Windows tests are skipped" >&2
    exit 0
fi
bash scripts/windows.sh >/dev/null
source scripts/wine-env.sh

echo "== Windows test programs under wine"
(cd build-win64 && xvfb-run -a ctest --output-on-failure -j2)

echo "== Windows and Debian end to end"
cmake --build "$debian_build" --target paradoxsample >/dev/null
xvfb-run -a bash tests/windows/e2e.sh "$debian_build/mivora" dist/windows/Mivora/mivora.exe \
    "$debian_build/tests/paradoxsample"

echo "== Installer and desktop"
bash tests/windows/desktop.sh dist/windows/Mivora-Setup-*.exe
