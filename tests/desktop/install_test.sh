# cmake --install puts the programs in bin/ and the menu entry and icons where desktops look.
# Argument: the build directory.
set -euo pipefail
prefix=$(mktemp -d /tmp/remarkist-install.XXXXXX)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$1" --prefix "$prefix" >/dev/null

for file in bin/remarkist bin/remarkist-render bin/remarkist-clipkeeper \
    share/applications/remarkist.desktop \
    share/icons/hicolor/{16x16,32x32,48x48,256x256}/apps/remarkist.png; do
    [ -e "$prefix/$file" ] || { echo "FAIL: $file not installed" >&2; exit 1; }
done
for program in remarkist remarkist-render remarkist-clipkeeper; do
    [ -x "$prefix/bin/$program" ] || { echo "FAIL: bin/$program is not executable" >&2; exit 1; }
done
desktop-file-validate "$prefix/share/applications/remarkist.desktop"
grep -qx 'Categories=Development;' "$prefix/share/applications/remarkist.desktop" ||
    { echo "FAIL: the menu entry is not under Development" >&2; exit 1; }
echo "install: ok"
