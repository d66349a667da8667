#!/usr/bin/env bash
# Cross-builds the Windows program (Release) and its test programs with MinGW-w64,
# assembles dist/windows/Mivora/ (the program, the libraries, the framework's
# plugins, the catalogues, the fallback fonts) and makes the installer
# dist/windows/Mivora-Setup-VERSION.exe. Reuses build-win64/ between runs.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
prefix=$(bash scripts/win64-deps.sh)
toolchain=$PWD/scripts/win64-toolchain.cmake
build=${MIVORA_WIN64_BUILD:-build-win64}
# A build folder made with another toolchain file is configured anew.
grep -qsx "CMAKE_TOOLCHAIN_FILE:[A-Z]*=$toolchain" "$build/CMakeCache.txt" ||
    rm -f "$build/CMakeCache.txt"

cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DWIN64_DEPS_PREFIX="$prefix" -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_BUILD_TYPE=Release -DMIVORA_BENCH=OFF >/dev/null
nice -n 5 cmake --build "$build" -j "${JOBS:-2}"

version=$(sed -n 's/^project(Mivora VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
dist=dist/windows/Mivora
rm -rf "$dist"
mkdir -p "$dist"/{platforms,styles,imageformats,translations,fonts}
cp "$build/mivora.exe" "$build/mivora.com" "$dist/"
for dll in Qt6Core Qt6Gui Qt6Widgets Qt6PrintSupport libjpeg-62 libsqlite3-0 libzip zlib1 \
    libpq libssl-3-x64 libcrypto-3-x64 icuuc72 icuin72 icudt72 \
    libstdc++-6 libgcc_s_seh-1 libwinpthread-1; do
    cp "$prefix/bin/$dll.dll" "$dist/"
done
cp "$prefix/plugins/platforms/qwindows.dll" "$dist/platforms/"
cp "$prefix/plugins/styles/qwindowsvistastyle.dll" "$dist/styles/"
cp "$prefix/plugins/imageformats/qjpeg.dll" "$dist/imageformats/"
cp "$prefix"/translations/{qtbase_ja,qt_ja}.qm "$build/mivora_ja.qm" "$dist/translations/"
cp /usr/share/fonts/opentype/ipafont-gothic/{ipag,ipagp}.ttf "$dist/fonts/"
cp packaging/windows/qt.conf "$dist/"
x86_64-w64-mingw32-strip "$dist/mivora.exe" "$dist/mivora.com"

makensis -V2 -DVERSION="$version" -DSOURCE="$PWD/$dist" -DHERE="$PWD/packaging/windows" \
    -DOUTFILE="$PWD/dist/windows/Mivora-Setup-$version.exe" packaging/windows/mivora.nsi
echo "dist/windows/Mivora-Setup-$version.exe"
