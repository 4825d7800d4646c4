#!/usr/bin/env bash
# The Windows test command: installs the cross compiler and Wine when missing (Debian's
# packages; idempotent, asks no registry when everything is there), cross-builds the 32-bit
# BV3Dll.dll and tqrdll12.dll into build-win32/, and runs the Windows tests under Wine.
#
#   bash scripts/test-windows.sh          build and test
#   BV3_WIN32_BUILD=dir bash ...          another build folder
#   BV3_WIN32_SERIAL=1 bash ...           also runs the serial tests against a Wine COM port
#                                         (COM9) mapped onto an echoing pseudo-terminal; not
#                                         part of the normal run (see docs/windows.md)
#   BV3_WIN32_TRANSFER=1 bash ...         also tries a whole upload through the Windows dialog
#                                         against the receiver simulator (the Linux stb-sim,
#                                         built in build/ when missing) behind COM8; Wine cannot
#                                         carry it, so it is not part of the normal run either
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
          xvfb xauth)
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
if [ ! -d "$WINEPREFIX" ]; then
  wineboot --init >/dev/null 2>&1 || true
  # The virtual display has no window manager: Wine would wait two seconds for one to answer
  # every time a window is hidden. Windows it does not hand to a manager do not wait.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
fi
"${display[@]}" ctest --test-dir "$build" --output-on-failure -j "$(nproc)"

if [ "${BV3_WIN32_SERIAL:-0}" = "1" ]; then
  namefile=$(mktemp)
  python3 tests/scripts/pty_echo.py "$namefile" 300 &
  echo_pid=$!
  trap 'kill "$echo_pid" 2>/dev/null || true; rm -f "$namefile"' EXIT
  for _ in $(seq 50); do [ -s "$namefile" ] && break; sleep 0.1; done
  wine reg add 'HKLM\Software\Wine\Ports' /v COM9 /d "$(cat "$namefile")" /f >/dev/null
  wineserver -k 2>/dev/null || true  # the port mapping is read when the server starts
  BV3_WIN32_SERIAL_PORT=COM9 wine "$build/bin/test_windows_serial.exe"
fi

if [ "${BV3_WIN32_TRANSFER:-0}" = "1" ]; then
  sim=build/bin/stb-sim
  if [ ! -x "$sim" ]; then
    cmake -S . -B build -G Ninja >/dev/null
    cmake --build build --target stb-sim
  fi
  simout=$(mktemp)
  "$sim" --wait 60 >"$simout" &
  sim_pid=$!
  trap 'kill "$sim_pid" 2>/dev/null || true; rm -f "$simout"' EXIT
  for _ in $(seq 50); do [ -s "$simout" ] && break; sleep 0.1; done
  wine reg add 'HKLM\Software\Wine\Ports' /v COM8 /d "$(head -1 "$simout")" /f >/dev/null
  wineserver -k 2>/dev/null || true
  BV3_WIN32_TRANSFER_PORT=COM8 "${display[@]}" wine "$build/bin/test_windows_transfer.exe" \
    --gtest_filter='*AnUploadAgainstTheSimulatorOnAWinePort'
fi
