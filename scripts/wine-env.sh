# Sourced: a throw-away wine prefix with the PC of a Japanese office (code page
# 932, IPA fonts installed as Windows fonts), the Windows libraries on the path.
# Needs $prefix (scripts/win64-deps.sh prints it). Removed when the shell exits.
export WINEPREFIX
WINEPREFIX=$(mktemp -d /tmp/mivora-wine-XXXXXX)
# Under errexit a failing command in the trap would become the shell's exit status:
# a wine server already gone is not a failure.
trap 'wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX"' EXIT
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPATH="Z:${prefix//\//\\}\\bin"
export QT_PLUGIN_PATH="Z:${prefix//\//\\}\\plugins"
export LANG=ja_JP.UTF-8
unset LC_ALL
unset QT_QPA_PLATFORM # Windows' own platform, on the display given
wineboot -i >/dev/null 2>&1
mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
cp /usr/share/fonts/opentype/ipafont-gothic/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
# The profile's Documents and other folders are links into the Unix home:
# folders of the prefix's own instead, so that nothing here leaves it.
for folder in "$WINEPREFIX/drive_c/users/$(id -un)"/*; do
    if [ -L "$folder" ]; then
        rm "$folder"
        mkdir "$folder"
    fi
done
# A wine session keeps the display it started with: the next program starts a
# session of its own, on the display it is given.
wineserver -k 2>/dev/null || true
