#!/usr/bin/env bash
# The Windows side of the tests: the Windows build (scripts/windows.sh), its core
# and dialogs test programs under wine, the commands end to end against the Debian
# program of this build, and the installer with the desktop program on a virtual
# display.
#   scripts/windows-test.sh DEBIAN_BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
debian_build=$(realpath "$1")

said=$(mktemp)
if ! prefix=$(bash scripts/win64-deps.sh 2>"$said"); then
    # Said where nobody can miss it: the Debian tests passed, the Windows side was not tried.
    banner="WINDOWS TESTS SKIPPED: the Windows program was neither built nor tested ($(tail -n 1 "$said"))"
    rm -f "$said"
    for stream in 1 2; do
        printf '\n%s\n%s\n%s\n\n' "${banner//?/=}" "$banner" "${banner//?/=}" >&"$stream"
    done
    exit 0
fi
cat "$said" >&2
rm -f "$said"
bash scripts/windows.sh >/dev/null
source scripts/wine-env.sh

echo "== Windows test programs under wine"
(cd build-win64 && xvfb-run -a ctest --output-on-failure -j2)

echo "== Windows and Debian end to end"
cmake --build "$debian_build" --target paradoxsample >/dev/null
xvfb-run -a bash tests/windows/e2e.sh "$debian_build/mivora" dist/windows/Mivora/mivora.exe \
    "$debian_build/tests/paradoxsample" build-win64/mivora.exe

echo "== The desktop program: started again after a killed copy, the postal list from ダウンロード"
screen=(-s "-screen 0 1280x1024x24")
xvfb-run -a "${screen[@]}" bash tests/windows/restart.sh dist/windows/Mivora/mivora.exe
xvfb-run -a "${screen[@]}" bash tests/windows/postalwindow.sh dist/windows/Mivora/mivora.exe

echo "== Installer and desktop"
bash tests/windows/desktop.sh dist/windows/Mivora-Setup-*.exe
