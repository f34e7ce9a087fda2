# Sourced by the scripts that run Wine: the prefix, loader and server of one
# build tree. The loader and server are named explicitly, never through the
# `wine` wrapper, which picks the 32-bit loader whenever it is installed.
#   VORN_WINE_DIR   folder of the tree's prefix, display and probe verdict
#   VORN_WINE_ARCH  win32 (the i686 tree, default) or win64 (the x86_64 twin)
root=${VORN_WINE_DIR:?VORN_WINE_DIR names the folder for the Wine prefix}
arch=${VORN_WINE_ARCH:-win32}
case "$arch" in
  win32) loader=/usr/lib/wine/wine   server=/usr/lib/wine/wineserver32 ;;
  win64) loader=/usr/lib/wine/wine64 server=/usr/lib/wine/wineserver64 ;;
  *) echo "wine-env: VORN_WINE_ARCH must be win32 or win64, not $arch" >&2; exit 1 ;;
esac
mkdir -p "$root"
export HOME=$root/home WINEPREFIX=$root/prefix WINEARCH=$arch WINEDEBUG=-all
export WINELOADER=$loader WINESERVER=$server
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winhlp32.exe=d"
mkdir -p "$HOME"

# Exit code of a run that cannot happen on this machine (ctest: skipped).
skip_code=77
