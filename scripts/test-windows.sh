#!/usr/bin/env bash
# The Windows test command: installs the cross compiler and Wine when missing (Debian's
# packages; idempotent, asks no registry when everything is there), cross-builds the 32-bit
# BV3Dll.dll and tqrdll12.dll into build-win32/, and runs the Windows tests under Wine.
#
#   bash scripts/test-windows.sh          build and test, whole transfers included
#   BV3_WIN32_BUILD=dir bash ...          another build folder
#   BV3_WIN32_TRANSFERS=0 bash ...        leaves out the whole transfers under Wine (the
#                                         receiver simulator on Wine COM ports, a few minutes;
#                                         see docs/windows.md)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BV3_WIN32_BUILD:-build-win32}
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

# wine32 needs the i386 architecture; adding it needs one index update.
updated=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
  $sudo apt-get update -qq
  updated=1
fi
packages=(cmake ninja-build g++-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-tools googletest wine wine32:i386
          xvfb xauth gcc-multilib)
missing=()
for package in "${packages[@]}"; do
  installed "$package" || missing+=("$package")
done
if ((${#missing[@]} > 0)); then
  echo "installing: ${missing[*]}"
  [ "$updated" -eq 1 ] || $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# A Wine prefix of the build's own, so the tests never depend on (or change) a user's ~/.wine.
# Mono and Gecko are not needed and would otherwise be offered at the first start.
export WINEPREFIX="$PWD/$build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win32
# The library's windows (the about box) open on a virtual display of the run's own, where the
# tests read their layout; BV3_WIN32_HEADLESS=1 runs without any display instead, where the
# boxes that cannot open go to the error output.
unset DISPLAY WAYLAND_DISPLAY
display=(xvfb-run -a -s "-screen 0 1024x768x24")
[ "${BV3_WIN32_HEADLESS:-0}" = "1" ] && display=()

cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-w64-mingw32.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build"
# The Windows zip (CPack): exactly the two libraries, the header and the readme.
(cd "$build" && cpack -G ZIP >/dev/null)
python3 - "$build/packages" <<'PYTHON'
import pathlib, sys, zipfile
archives = sorted(pathlib.Path(sys.argv[1]).glob("BV3Dll-*-win32.zip"))
names = sorted(zipfile.ZipFile(archives[-1]).namelist()) if archives else []
expected = ["BV3Dll.dll", "BV3Dll.h", "README.txt", "tqrdll12.dll"]
if names != expected:
    sys.exit(f"the Windows zip holds {names}, expected {expected}")
print(f"{archives[-1]}: {', '.join(names)}")
PYTHON
# Wine runs the 32-bit library in a 32-bit Linux process: a kernel whose IA32 emulation is off
# refuses to start it ("Exec format error"), and every test would fail for that one reason. On
# such a machine the stage checks that the library cross-builds cleanly and says loudly that its
# tests were skipped, so the Linux stages still decide the run.
if ! wine --version >/dev/null 2>&1; then
  echo "test-windows: Wine cannot start here: this kernel runs no 32-bit programs (its IA32" >&2
  echo "emulation is off; 'ia32_emulation=on' on the kernel command line turns it on). The cross" >&2
  echo "build in $build is complete; its tests need a machine that runs 32-bit programs." >&2
  echo "test-windows: SKIPPED the Windows tests (cross build only)." >&2
  exit 0
fi
if [ ! -d "$WINEPREFIX" ]; then
  wineboot --init >/dev/null 2>&1 || true
  # The virtual display has no window manager: Wine would wait two seconds for one to answer
  # every time a window is hidden. Windows it does not hand to a manager do not wait.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
fi
# The Wine COM ports the whole transfers use: each names a link in wine-ports/ that
# tests/scripts/wine_transfers.sh points at a simulator's pseudo-terminal. Wine reads the
# mapping when its server starts.
ports="$PWD/$build/wine-ports"
if ! grep -qF "wine-ports/com9" "$WINEPREFIX/system.reg" 2>/dev/null; then
  for n in 1 2 3 4 9; do
    wine reg add 'HKLM\Software\Wine\Ports' /v "COM$n" /d "$ports/com$n" /f >/dev/null 2>&1
  done
  wineserver -k 2>/dev/null || true
fi
"${display[@]}" ctest --test-dir "$build" --output-on-failure -j "$(nproc)"

if [ "${BV3_WIN32_TRANSFERS:-1}" = "1" ] && [ "${#display[@]}" -gt 0 ]; then
  # The receiver simulator and the Linux library to compare with, from the Linux build.
  if [ ! -x build/bin/stb-sim ]; then
    bash scripts/deps.sh
  fi
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build --target stb-sim bv3 bv3-host BV3Dll
  "${display[@]}" bash tests/scripts/wine_transfers.sh "$build" build
fi

