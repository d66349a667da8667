#!/usr/bin/env bash
# Makes the Windows libraries ready in a cache folder outside the tree and prints
# that prefix: the shared bundle unpacked where there is one, else everything
# built from Debian's sources (scripts/win64-build-deps.sh, about an hour), plus
# GoogleTest cross-built from Debian's googletest sources. A bundle whose libpq
# has no TLS gets OpenSSL and libpq built on top of it. Does nothing when the
# cache is newer than the bundle and was made by these very scripts (their
# contents, not their dates: a fresh clone dates every file now).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
shared=${MIVORA_WIN64_SHARED:-$(cd "$here/../.." && pwd)/shared/win64}
bundle=$shared/mivora-win64-deps.tar.xz
cache=${MIVORA_WIN64_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/mivora/win64}
prefix=$cache/prefix
stamp=$cache/ready
toolchain=$here/win64-toolchain.cmake

recipe=$(cat "$0" "$here/win64-build-deps.sh" "$toolchain" | sha256sum)
fresh() {
    [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$recipe" ] && ! [ "$bundle" -nt "$stamp" ]
}

build() { # build WHY [STEP...]: the recipe's steps named, or all
    local why=$1
    shift
    echo "$why: scripts/win64-build-deps.sh builds ${*:-every step} into $prefix" >&2
    if ! STEPS="$*" bash "$here/win64-build-deps.sh" "$prefix" "$cache/work" >&2; then
        echo "$why, and the Windows libraries could not be built from Debian's sources" \
            "(logs in $cache/work/logs)" >&2
        exit 1
    fi
}

if ! fresh; then
    rm -rf "$cache"
    mkdir -p "$cache"
    if [ -f "$bundle" ]; then
        echo "Unpacking the Windows libraries into $cache" >&2
        tar -xJf "$bundle" -C "$cache"
        if ! x86_64-w64-mingw32-objdump -p "$prefix/bin/libpq.dll" 2>/dev/null |
            grep -q 'DLL Name: libssl'; then
            build "the bundle's libpq has no TLS" apt openssl pq
        fi
    else
        build "no library bundle at $shared" # about an hour
    fi
    rm -rf "$cache/work"
    echo "Cross-building GoogleTest" >&2
    cmake -S /usr/src/googletest -B "$cache/gtest-build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DWIN64_DEPS_PREFIX="$prefix" \
        -DWIN64_NO_EMULATOR=ON -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_GMOCK=OFF -Dgtest_disable_pthreads=OFF >/dev/null
    nice -n 10 cmake --build "$cache/gtest-build" >/dev/null
    cmake --install "$cache/gtest-build" >/dev/null
    rm -rf "$cache/gtest-build"
    echo "$recipe" >"$stamp"
fi
echo "$prefix"
