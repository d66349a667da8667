#!/usr/bin/env bash
# Cross-builds the Windows libraries of the program from Debian's own source
# packages (apt-get source) with Debian's MinGW-w64 (GCC 12, POSIX threads) into
# one prefix: zlib (Debian's MinGW build), libjpeg-turbo, SQLite, libzip, OpenSSL,
# libpq (with TLS), ICU, Qt's qtbase, the MinGW runtime and Qt's Japanese
# catalogues. scripts/win64-deps.sh runs it; about an hour on an idle 2-core
# machine, most of it Qt.
#
#   scripts/win64-build-deps.sh PREFIX WORKDIR
#
# STEPS="openssl pq" runs only the steps named (default: all, in the order of
# main); JOBS sets the parallel jobs (default 2), and every compiler runs under
# nice. Sources, build trees and logs go to WORKDIR; the time of each step to
# WORKDIR/times.txt. The apt step enables Debian's source packages and installs
# the tools: as root, or with sudo.
set -euo pipefail

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
PREFIX=$(realpath -m "${1:?prefix}")
WORK=$(realpath -m "${2:?work folder}")
JOBS=${JOBS:-2}
STEPS=${STEPS:-"apt zlib jpeg sqlite zip openssl pq icu qt extras"}
TOOLCHAIN=$HERE/win64-toolchain.cmake
TRIPLE=x86_64-w64-mingw32
export CC=$TRIPLE-gcc-posix CXX=$TRIPLE-g++-posix
SRC=$WORK/src
BLD=$WORK/build
LOGS=$WORK/logs
NICE=(nice -n 10)

# The Debian source package of each step that builds one.
declare -A SRCPKG=([jpeg]=libjpeg-turbo [sqlite]=sqlite3 [zip]=libzip [openssl]=openssl
                   [pq]=postgresql-15 [icu]=icu [qt]=qt6-base)

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo

mkdir -p "$PREFIX" "$SRC" "$BLD" "$LOGS"
log() { printf '=== %s: %s\n' "$(date +%H:%M:%S)" "$*" >&2; }
want() { [[ " $STEPS " == *" $1 "* ]]; }

# run_step NAME: runs step_NAME with its output in LOGS/NAME.log, and records its time.
run_step() {
    local name=$1 start rc
    want "$name" || return 0
    log "step $name (log: $LOGS/$name.log)"
    start=$(date +%s)
    # Not inside "if": there errexit would be ignored in the function.
    set +e
    (set -e; "step_$name") >"$LOGS/$name.log" 2>&1
    rc=$?
    set -e
    if [ $rc -ne 0 ]; then
        log "step $name FAILED ($rc); the end of $LOGS/$name.log:"
        tail -40 "$LOGS/$name.log" >&2
        echo "building the Windows library step \"$name\" failed (log: $LOGS/$name.log)" >&2
        exit 1
    fi
    printf '%-8s %5ds\n' "$name" $(($(date +%s) - start)) | tee -a "$WORK/times.txt" >&2
}

# The unpacked source tree of a step's Debian source package, fetched at first
# use. When the newest version's files cannot be had (an archive without a
# security update's sources), an older listed version.
source_tree() {
    local pkg=${SRCPKG[$1]}
    if [ ! -d "$SRC/$pkg" ]; then
        rm -rf "$SRC/$pkg.fetch"
        mkdir -p "$SRC/$pkg.fetch"
        (
            cd "$SRC/$pkg.fetch"
            for version in "" $(apt-cache showsrc "$pkg" | awk '/^Version:/ {print $2}' | sort -u -r -V); do
                rm -f ./*
                apt-get source --download-only "$pkg${version:+=$version}" >&2 && exit 0
            done
            echo "no version of Debian's source package $pkg could be fetched" >&2
            exit 1
        )
        dpkg-source -x "$SRC/$pkg.fetch"/*.dsc "$SRC/$pkg" >&2
        rm -rf "$SRC/$pkg.fetch"
    fi
    echo "$SRC/$pkg"
}

cmake_cross() { # cmake_cross SRCDIR BUILDDIR [cmake args...]
    local s=$1 b=$2
    shift 2
    "${NICE[@]}" cmake -S "$s" -B "$b" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DWIN64_DEPS_PREFIX="$PREFIX" -DWIN64_NO_EMULATOR=ON \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$PREFIX" "$@"
    "${NICE[@]}" cmake --build "$b" -j "$JOBS"
    "${NICE[@]}" cmake --install "$b" --strip
}

# .pc files with prefix= relative to the file itself: the cache may be copied.
fix_pc() {
    local f
    for f in "$PREFIX"/lib/pkgconfig/*.pc; do
        [ -e "$f" ] || continue
        sed -i -E -e "s|^prefix[[:space:]]*=.*|prefix=\${pcfiledir}/../..|" \
            -e "s|$PREFIX|\${prefix}|g" "$f"
    done
    find "$PREFIX/lib" -maxdepth 1 -name '*.la' -delete
}

autotools_env() {
    export PKG_CONFIG_LIBDIR=$PREFIX/lib/pkgconfig PKG_CONFIG_PATH='' PKG_CONFIG_SYSROOT_DIR=''
    export AR=$TRIPLE-ar RANLIB=$TRIPLE-ranlib STRIP=$TRIPLE-strip WINDRES=$TRIPLE-windres
    export DLLTOOL=$TRIPLE-dlltool NM=$TRIPLE-nm OBJDUMP=$TRIPLE-objdump
}

# Debian's source packages (a deb-src copy of the machine's own entries) and the tools.
step_apt() {
    local list=/etc/apt/sources.list.d
    if [ -e $list/debian.sources ] && ! grep -qs '^Types:.*deb-src' $list/*.sources; then
        sed 's/^Types: deb$/Types: deb-src/' $list/debian.sources | $SUDO tee $list/debian-src.sources
    elif [ ! -e $list/debian.sources ] && ! grep -qrs '^deb-src' /etc/apt/sources.list $list/*.list; then
        sed -n 's/^deb /deb-src /p' /etc/apt/sources.list | $SUDO tee $list/debian-src.list
    fi
    $SUDO apt-get update
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends \
        g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools libz-mingw-w64-dev \
        cmake ninja-build pkg-config make nasm tcl perl python3 dpkg-dev xz-utils \
        qt6-base-dev qt6-base-dev-tools qt6-translations-l10n icu-devtools
}

# Debian's own MinGW build of zlib, copied.
step_zlib() {
    local m=/usr/$TRIPLE
    install -Dm644 -t "$PREFIX/include" $m/include/zlib.h $m/include/zconf.h
    install -Dm644 -t "$PREFIX/lib" $m/lib/libz.dll.a $m/lib/libz.a
    install -Dm644 -t "$PREFIX/lib/pkgconfig" $m/lib/pkgconfig/zlib.pc
    install -Dm755 -t "$PREFIX/bin" $m/lib/zlib1.dll
    sed -i -e 's|^exec_prefix=.*|exec_prefix=${prefix}|' -e 's|^libdir=.*|libdir=${exec_prefix}/lib|' \
        -e 's|^sharedlibdir=.*|sharedlibdir=${libdir}|' -e 's|^includedir=.*|includedir=${prefix}/include|' \
        "$PREFIX/lib/pkgconfig/zlib.pc"
    fix_pc
}

step_jpeg() {
    rm -rf "$BLD/jpeg"
    cmake_cross "$(source_tree jpeg)" "$BLD/jpeg" \
        -DENABLE_SHARED=ON -DENABLE_STATIC=OFF -DWITH_TURBOJPEG=OFF -DWITH_JPEG8=OFF -DWITH_SIMD=ON
    rm -rf "$PREFIX/doc" "$PREFIX/share/doc" "$PREFIX/share/man"
    rm -f "$PREFIX"/bin/{cjpeg,djpeg,jpegtran,rdjpgcom,wrjpgcom}.exe
    fix_pc
}

# SQLite's source tree compiles its generators with the target compiler: a native
# configure makes the amalgamation sqlite3.c, which MinGW then compiles with
# Debian's options (debian/rules).
step_sqlite() {
    local s
    s=$(source_tree sqlite)
    rm -rf "$BLD/sqlite"
    mkdir -p "$BLD/sqlite"
    cd "$BLD/sqlite"
    (
        unset CC CXX
        "${NICE[@]}" "$s/configure" --disable-tcl --disable-readline --disable-editline
        "${NICE[@]}" make sqlite3.c
    )
    local opts=(-DSQLITE_SECURE_DELETE -DSQLITE_ENABLE_COLUMN_METADATA -DSQLITE_ENABLE_FTS3
        -DSQLITE_ENABLE_FTS3_PARENTHESIS -DSQLITE_ENABLE_FTS4 -DSQLITE_ENABLE_FTS5
        -DSQLITE_ENABLE_RTREE=1 -DSQLITE_SOUNDEX=1
        -DSQLITE_ENABLE_UNLOCK_NOTIFY -DSQLITE_OMIT_LOOKASIDE=1 -DSQLITE_ENABLE_DBSTAT_VTAB
        -DSQLITE_ALLOW_ROWID_IN_VIEW -DSQLITE_ENABLE_UPDATE_DELETE_LIMIT=1
        -DSQLITE_ENABLE_LOAD_EXTENSION -DSQLITE_ENABLE_JSON1 -DSQLITE_LIKE_DOESNT_MATCH_BLOBS
        -DSQLITE_THREADSAFE=1 -DSQLITE_ENABLE_FTS3_TOKENIZER=1 -DSQLITE_USE_URI=1
        -DSQLITE_MAX_SCHEMA_RETRY=25 -DSQLITE_ENABLE_PREUPDATE_HOOK -DSQLITE_ENABLE_SESSION
        -DSQLITE_ENABLE_STMTVTAB -DSQLITE_MAX_VARIABLE_NUMBER=250000 -DSQLITE_ENABLE_MATH_FUNCTIONS
        "-DSQLITE_API=__declspec(dllexport)")
    "${NICE[@]}" $CC -O2 "${opts[@]}" -c sqlite3.c -o sqlite3.o
    "${NICE[@]}" $CC -shared -o libsqlite3-0.dll sqlite3.o -Wl,--out-implib,libsqlite3.dll.a
    $TRIPLE-strip --strip-unneeded libsqlite3-0.dll
    install -Dm755 -t "$PREFIX/bin" libsqlite3-0.dll
    install -Dm644 -t "$PREFIX/lib" libsqlite3.dll.a
    install -Dm644 -t "$PREFIX/include" sqlite3.h "$s/src/sqlite3ext.h"
    mkdir -p "$PREFIX/lib/pkgconfig"
    cat >"$PREFIX/lib/pkgconfig/sqlite3.pc" <<EOF
prefix=\${pcfiledir}/../..
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: SQLite
Description: SQL database engine
Version: $(cat "$s/VERSION")
Libs: -L\${libdir} -lsqlite3
Cflags: -I\${includedir}
EOF
}

# AES of encrypted archives through Windows' own bcrypt.
step_zip() {
    rm -rf "$BLD/zip"
    cmake_cross "$(source_tree zip)" "$BLD/zip" \
        -DBUILD_SHARED_LIBS=ON -DENABLE_COMMONCRYPTO=OFF -DENABLE_GNUTLS=OFF -DENABLE_MBEDTLS=OFF \
        -DENABLE_OPENSSL=OFF -DENABLE_WINDOWS_CRYPTO=ON -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF \
        -DBUILD_TOOLS=OFF -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_DOC=OFF
    fix_pc
}

# The two DLLs of libpq's TLS, and nothing else of OpenSSL (no static libraries,
# programs, engines or tests); left out too what a database client's TLS never
# uses: DTLS, SRP, CMS and time stamps, certificate transparency, OCSP, CMP,
# compression, and the ciphers no present-day TLS offers. OpenSSL reads its
# configuration file, and through it loads modules, from folders compiled in:
# this machine's install prefix would be C:\<prefix> on the clerk's PC, which any
# user may create, so they name folders that only an administrator writes, as
# OpenSSL's own Windows builds do.
step_openssl() {
    local s
    s=$(source_tree openssl)
    local make_vars=(LIBS= INSTALL_LIBS= OPENSSLDIR="C:/Program Files/Common Files/SSL"
        ENGINESDIR="C:/Program Files/OpenSSL/lib/engines-3"
        MODULESDIR="C:/Program Files/OpenSSL/lib/ossl-modules")
    rm -rf "$BLD/openssl"
    mkdir -p "$BLD/openssl"
    cd "$BLD/openssl"
    (
        unset CC CXX
        "${NICE[@]}" perl "$s/Configure" mingw64 --cross-compile-prefix=$TRIPLE- CC=gcc-posix \
            --prefix="$PREFIX" --libdir=lib shared no-tests no-engine no-dtls no-srp no-cms no-ts \
            no-ct no-ocsp no-cmp no-comp no-nextprotoneg no-idea no-seed no-mdc2 no-rc2 no-rc4 \
            no-whirlpool no-cast no-bf no-camellia no-aria no-sm2 no-sm3 no-sm4
        "${NICE[@]}" make -j "$JOBS" build_libs "${make_vars[@]}"
        "${NICE[@]}" make install_dev "${make_vars[@]}"
    )
    $TRIPLE-strip --strip-unneeded "$PREFIX"/bin/lib{ssl,crypto}-3-x64.dll
    fix_pc
}

# Only the client library of PostgreSQL, with OpenSSL's TLS, and the headers a
# client includes; of the support libraries only the variants libpq links (not
# the server's).
step_pq() {
    local s
    s=$(source_tree pq)
    rm -rf "$BLD/pq"
    mkdir -p "$BLD/pq"
    cd "$BLD/pq"
    autotools_env
    "${NICE[@]}" "$s/configure" --host=$TRIPLE --build="$(gcc -dumpmachine)" --prefix="$PREFIX" \
        --with-ssl=openssl --without-readline --without-icu --without-zlib --without-gssapi \
        --without-ldap --without-lz4 --without-zstd --without-libxml --without-perl \
        --without-python --without-tcl --disable-nls \
        CPPFLAGS="-I$PREFIX/include" LDFLAGS="-L$PREFIX/lib"
    "${NICE[@]}" make -C src/backend generated-headers
    "${NICE[@]}" make -j "$JOBS" -C src/port libpgport.a libpgport_shlib.a
    "${NICE[@]}" make -j "$JOBS" -C src/common libpgcommon.a libpgcommon_shlib.a
    "${NICE[@]}" make -j "$JOBS" -C src/interfaces/libpq -o submake-libpgport
    "${NICE[@]}" make -C src/interfaces/libpq -o submake-libpgport install
    install -Dm644 -t "$PREFIX/include" "$s/src/include/postgres_ext.h" src/include/pg_config_ext.h
    # Installed to lib/ and bin/; the import library is libpq.a.
    rm -f "$PREFIX/lib/libpq.dll"
    $TRIPLE-strip --strip-unneeded "$PREFIX/bin/libpq.dll"
    fix_pc
}

# A cross build of ICU needs ICU's own tools (icupkg, pkgdata, genccode...) of the
# same version on the build machine: Debian's icu-devtools when it is the version
# of the source, else a native build of them (twice the time).
icu_host_debian() {
    local h=$1 t
    rm -rf "$h"
    mkdir -p "$h/config" "$h/bin" "$h/lib"
    {
        echo "CROSS_ICU_VERSION=$2"
        echo "TOOLEXEEXT="
        echo 'TOOLBINDIR=$(cross_buildroot)/bin'
        echo 'TOOLLIBDIR=$(cross_buildroot)/lib'
        echo 'INVOKE=LD_LIBRARY_PATH=$(TOOLLIBDIR):$$LD_LIBRARY_PATH'
        echo 'PKGDATA_INVOKE=LD_LIBRARY_PATH=$(TOOLLIBDIR):$$LD_LIBRARY_PATH '
    } >"$h/config/icucross.mk"
    echo "CURR_FULL_DIR?=\$(shell pwd | sed 's/ /\\\\ /g')" >"$h/config/icucross.inc"
    for t in $(dpkg -L icu-devtools | grep -E '/s?bin/[^/]+$'); do ln -s "$t" "$h/bin/"; done
}
step_icu() {
    local tree s srcver debver
    tree=$(source_tree icu)
    s=$tree/source
    local common=(--disable-tests --disable-samples --disable-extras --disable-layoutex)
    srcver=$(cd "$tree" && dpkg-parsechangelog -S Version)
    debver=$(dpkg-query -W -f='${Version}' icu-devtools 2>/dev/null || true)
    rm -rf "$BLD/icu-win"
    mkdir -p "$BLD/icu-win"
    if [ "$srcver" = "$debver" ]; then
        icu_host_debian "$BLD/icu-host" "$(sed -n 's/^PACKAGE_VERSION=//p' "$s/configure" | tr -d "'")"
    else
        rm -rf "$BLD/icu-host"
        mkdir -p "$BLD/icu-host"
        (
            cd "$BLD/icu-host"
            unset CC CXX
            "${NICE[@]}" "$s/configure" "${common[@]}" CC=gcc CXX=g++ CFLAGS=-O2 CXXFLAGS=-O2
            "${NICE[@]}" make -j "$JOBS"
        )
    fi
    cd "$BLD/icu-win"
    autotools_env
    "${NICE[@]}" "$s/configure" --host=$TRIPLE --build="$(gcc -dumpmachine)" --prefix="$PREFIX" \
        --with-cross-build="$BLD/icu-host" --with-data-packaging=library \
        --enable-shared --disable-static --disable-tools "${common[@]}" \
        CFLAGS=-O2 CXXFLAGS="-O2 -std=c++17"
    "${NICE[@]}" make -j "$JOBS"
    "${NICE[@]}" make install
    # ICU's MinGW install puts its DLLs into lib/; a Windows program finds them in bin/.
    local f
    for f in "$PREFIX"/lib/icu*.dll; do
        [ -e "$f" ] || continue
        mv -f "$f" "$PREFIX/bin/"
    done
    $TRIPLE-strip --strip-unneeded "$PREFIX"/bin/icu*.dll || true
    rm -rf "$PREFIX/lib/icu" "$PREFIX/share/icu" "$PREFIX/share/man" "$PREFIX/bin/icu-config"
    fix_pc
}

# qtbase with the host tools (moc, rcc, uic...) of Debian's qt6-base-dev of the
# same version. Debian's tarball has no src/3rdparty/wintab: no tablet events, and
# no Direct2D, whose platform plugin needs it. Qt 6.4 builds its DirectWrite font
# engine only with Direct2D, yet PrintSupport calls it whenever DirectWrite is on:
# off as well; the GDI font engine is Qt 6.4's default on Windows anyway.
step_qt() {
    local s
    s=$(source_tree qt)
    # With OpenGL off, Qt 6.4 still turns on "dynamicgl" (only -DINPUT_opengl=no
    # turns it off), and the window code then uses OpenGL classes it has not got.
    sed -i 's/^#if QT_CONFIG(dynamicgl)$/#if QT_CONFIG(dynamicgl) \&\& QT_CONFIG(opengl)/' \
        "$s/src/plugins/platforms/windows/qwindowswindow.cpp"
    rm -rf "$BLD/qt"
    cmake_cross "$s" "$BLD/qt" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/"$(gcc -dumpmachine)"/cmake \
        -DQT_QMAKE_TARGET_MKSPEC=win32-g++ \
        -DBUILD_SHARED_LIBS=ON -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
        -DQT_BUILD_BENCHMARKS=OFF -DQT_BUILD_MANUAL_TESTS=OFF \
        -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF \
        -DFEATURE_vulkan=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF \
        -DFEATURE_testlib=ON -DFEATURE_printsupport=ON -DFEATURE_widgets=ON \
        -DFEATURE_tabletevent=OFF -DFEATURE_direct2d=OFF -DFEATURE_freetype=OFF \
        -DFEATURE_directwrite=OFF -DFEATURE_directwrite3=OFF \
        -DFEATURE_fontconfig=OFF -DFEATURE_icu=OFF -DFEATURE_zstd=OFF -DFEATURE_glib=OFF \
        -DFEATURE_androiddeployqt=OFF -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF \
        -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF \
        -DFEATURE_system_doubleconversion=OFF -DFEATURE_system_jpeg=ON -DFEATURE_jpeg=ON \
        -DFEATURE_gif=ON -DFEATURE_ico=ON
    fix_pc
}

# What the program ships beside the libraries: the MinGW runtime, and Qt's
# Japanese catalogues (the same files as Debian's).
step_extras() {
    local gcc_dir=/usr/lib/gcc/$TRIPLE/12-posix
    install -Dm755 -t "$PREFIX/bin" "$gcc_dir/libstdc++-6.dll" "$gcc_dir/libgcc_s_seh-1.dll" \
        /usr/$TRIPLE/lib/libwinpthread-1.dll
    install -Dm644 -t "$PREFIX/translations" /usr/share/qt6/translations/{qtbase_ja,qt_ja}.qm
    printf '[Paths]\nPrefix = ..\n' >"$PREFIX/bin/qt.conf"
}

# Read in full before it starts: editing this file while it runs changes nothing.
main() {
    local step
    for step in apt zlib jpeg sqlite zip openssl pq icu qt extras; do
        run_step $step
    done
    rm -rf "$PREFIX/share/doc" "$PREFIX/share/man" "$PREFIX/doc"
    log "done: $PREFIX"
}
main "$@"
exit 0
