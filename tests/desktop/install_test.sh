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
entry=$prefix/share/applications/remarkist.desktop
# desktop-file-validate before 0.27 (Debian 12 has 0.26) does not know SingleMainWindow, a key
# of the entry format since 1.5, and calls it an error; any other error still fails.
errors=$(desktop-file-validate "$entry" 2>&1 | grep ': error: ' |
    grep -v 'key "SingleMainWindow" in group "Desktop Entry", but keys extending the format' || true)
[ -z "$errors" ] || { echo "$errors" >&2; echo "FAIL: the menu entry is not valid" >&2; exit 1; }
grep -qx 'SingleMainWindow=true' "$entry" ||
    { echo "FAIL: the menu entry does not say that the program keeps one window" >&2; exit 1; }
grep -qx 'Categories=Development;' "$entry" ||
    { echo "FAIL: the menu entry is not under Development" >&2; exit 1; }
echo "install: ok"
