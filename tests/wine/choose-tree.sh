# Sourced by the scripts that run the built installer under Wine outside the
# tests: picks the Windows tree for this machine. The 32-bit tree (the
# product) where 32-bit programs can run; otherwise its 64-bit twin, and it
# says once, plainly, why.
#   choose_tree BUILD_DIR WINE_FOLDER   sets $tree (windows or windows64) and
#                                       exports the Wine runner's settings
choose_tree() {
  local build=$1 wine=$2 why
  export VORN_WINE_DIR=$build/$wine VORN_WINE_ARCH=win32
  export VORN_WINE_PROBE=$build/windows/tests/wine_probe.exe
  tree=windows
  if why=$("$(dirname "${BASH_SOURCE[0]}")/run-in-wine.sh" --can-run); then return; fi
  echo "32-bit Wine cannot run here: $why."
  echo "Running the 64-bit twin of the installer ($build/windows64/vornsetup.exe) instead."
  export VORN_WINE_DIR=$build/${wine}64 VORN_WINE_ARCH=win64
  tree=windows64
}
