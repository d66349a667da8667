#!/usr/bin/env bash
# Makes the Windows libraries ready in a cache folder outside the tree and prints
# that prefix: the shared bundle unpacked (or built from Debian's sources where the
# bundle file is missing), plus GoogleTest cross-built from Debian's googletest
# sources. Does nothing when the cache is newer than the bundle and was made by
# this very script (its contents, not its date: a fresh clone dates every file now).
set -euo pipefail

shared=${MIVORA_WIN64_SHARED:-$(cd "$(dirname "$0")/../.." && pwd)/shared/win64}
if [ ! -f "$shared/toolchain-mingw64.cmake" ]; then
    echo "no Windows toolchain and library bundle at $shared (shared/win64 beside this" \
        "tree, or MIVORA_WIN64_SHARED)" >&2
    exit 1
fi
cache=${MIVORA_WIN64_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/mivora/win64}
prefix=$cache/prefix
stamp=$cache/ready
toolchain=$shared/toolchain-mingw64.cmake

recipe=$(sha256sum <"$0")
fresh() { # true when this script made the stamp, and it is newer than every file named
    [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$recipe" ] || return 1
    for source in "$@"; do
        [ -e "$source" ] && [ "$source" -nt "$stamp" ] && return 1
    done
    return 0
}

if ! fresh "$shared/build-deps.sh" "$shared/mivora-win64-deps.tar.xz"; then
    rm -rf "$cache"
    mkdir -p "$cache"
    if [ -f "$shared/mivora-win64-deps.tar.xz" ]; then
        echo "Unpacking the Windows libraries into $cache" >&2
        tar -xJf "$shared/mivora-win64-deps.tar.xz" -C "$cache"
    else
        echo "Building the Windows libraries into $prefix (about an hour)" >&2
        bash "$shared/build-deps.sh" "$prefix" "$cache/work" >&2
        rm -rf "$cache/work"
    fi
    echo "Cross-building GoogleTest" >&2
    cmake -S /usr/src/googletest -B "$cache/gtest-build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DWIN64_DEPS_PREFIX="$prefix" \
        -DWIN64_NO_EMULATOR=ON -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_GMOCK=OFF -Dgtest_disable_pthreads=OFF >/dev/null
    nice -n 10 cmake --build "$cache/gtest-build" >/dev/null
    cmake --install "$cache/gtest-build" >/dev/null
    rm -rf "$cache/gtest-build"
    cp "$toolchain" "$cache/"
    echo "$recipe" >"$stamp"
fi
echo "$prefix"
