#!/usr/bin/env bash
# Installs the Debian packages the program, its tests and its benchmarks need.
# Quiet and quick when everything is there already.
set -euo pipefail

packages=(
    build-essential cmake pkg-config ccache
    qt6-base-dev libgl-dev qt6-translations-l10n qt6-l10n-tools
    libsqlite3-dev sqlite3 libpq-dev postgresql libicu-dev libjpeg62-turbo-dev
    fonts-ipafont-gothic
    libgtest-dev libbenchmark-dev
    poppler-utils xvfb xauth
    cups printer-driver-cups-pdf
    libzip-dev dpkg-dev appstream desktop-file-utils lintian
    clang libclang-rt-14-dev strace
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
