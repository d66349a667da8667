#!/usr/bin/env bash
# Installs the Debian packages the program, its tests and its benchmarks need.
# Quiet and quick when everything is there already.
set -euo pipefail

packages=(
    build-essential cmake pkg-config ccache
    qt6-base-dev libgl-dev qt6-translations-l10n qt6-l10n-tools
    libsqlite3-dev sqlite3 libpq-dev postgresql openssl libicu-dev libjpeg62-turbo-dev
    fonts-ipafont-gothic
    libgtest-dev libbenchmark-dev
    poppler-utils xvfb xauth
    cups printer-driver-cups-pdf
    libzip-dev dpkg-dev appstream desktop-file-utils lintian
    clang libclang-rt-14-dev clang-tools-14 strace
    # the Windows build, its tests under wine and its installer
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools ninja-build
    googletest wine wine64 nsis imagemagick x11-utils xdotool locales
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo_cmd=""
    [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
    $sudo_cmd apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
# Wine takes a Japanese PC's code page (932) from this locale.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    sudo_cmd=""
    [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
    $sudo_cmd localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
