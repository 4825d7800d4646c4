#!/usr/bin/env bash
# The Windows test command: installs the cross compilers and Wine when missing (Debian's
# packages; idempotent, asks no registry when everything is there), cross-builds BV3Dll.dll and
# tqrdll12.dll for 32-bit Windows (build-win32/) and for 64-bit Windows (build-win64/), checks
# the 32-bit library's ABI from its files, packs the Windows zip, and runs the Windows tests and
# the whole transfers under Wine:
#
#   - where the kernel runs 32-bit programs: the 32-bit build, under 32-bit Wine (wine32);
#   - where it does not (its IA32 emulation is off): the 64-bit build, under 64-bit Wine
#     (wine64), which runs the same sources through the same Win32 calls.
#
#   bash scripts/test-windows.sh          build and test, whole transfers included
#   BV3_WIN32_BUILD=dir, BV3_WIN64_BUILD=dir   other build folders
#   BV3_WINE_BITS=32|64 bash ...          tests that build under that Wine, whatever the kernel
#   BV3_WIN32_TRANSFERS=0 bash ...        leaves out the whole transfers under Wine (receiver
#                                         simulators on Wine COM ports, a few minutes; see
#                                         docs/windows.md)
set -euo pipefail
cd "$(dirname "$0")/.."
build32=${BV3_WIN32_BUILD:-build-win32}
build64=${BV3_WIN64_BUILD:-build-win64}
stage_start=$(date +%s)
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

# Whether this kernel starts a 32-bit program: a 93-byte i386 ELF that only calls exit(0).
# A kernel without IA32 emulation refuses it ("Exec format error").
runs_32bit_programs() {
  local probe status=0
  probe=$(mktemp)
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00'`
        `'\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00'`
        `'\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08'`
        `'\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'`
        `'\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >"$probe"  # mov $1,%eax; xor %ebx,%ebx; int $0x80
  chmod +x "$probe"
  "$probe" 2>/dev/null || status=$?
  rm -f "$probe"
  return "$status"
}
bits=${BV3_WINE_BITS:-}
if [ -z "$bits" ]; then
  if runs_32bit_programs; then bits=32; else bits=64; fi
fi
case "$bits" in 32 | 64) ;; *) echo "test-windows: BV3_WINE_BITS must be 32 or 64" >&2; exit 2 ;; esac

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

# Both cross compilers always (the zip carries both libraries); the Wine that can run here.
packages=(cmake ninja-build g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64-posix
          binutils-mingw-w64-x86-64 mingw-w64-tools googletest xvfb xauth gcc python3)
updated=0
if [ "$bits" = 32 ]; then
  # wine32 needs the i386 architecture; adding it needs one index update. gcc-multilib builds
  # the 32-bit copy of the transfers' test shim.
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
    $sudo apt-get update -qq
    updated=1
  fi
  packages+=(wine wine32:i386 gcc-multilib)
else
  packages+=(wine64)
fi
missing=()
for package in "${packages[@]}"; do
  installed "$package" || missing+=("$package")
done
if ((${#missing[@]} > 0)); then
  echo "installing: ${missing[*]}"
  [ "$updated" -eq 1 ] || $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The Wine of the tested build. Debian's wine64 package has its loader in /usr/lib/wine and no
# `wine` on PATH; a full installation's `wine` starts 64-bit programs too.
if [ "$bits" = 32 ]; then
  tested=$build32
  wine=$(command -v wine || true)
  wineserver=$(command -v wineserver || true)
  export WINEARCH=win32
else
  tested=$build64
  wine=$(command -v wine64 || { [ -x /usr/lib/wine/wine64 ] && echo /usr/lib/wine/wine64; } || command -v wine || true)
  wineserver=$(command -v wineserver64 || { [ -x /usr/lib/wine/wineserver64 ] && echo /usr/lib/wine/wineserver64; } ||
               command -v wineserver || true)
  export WINEARCH=win64
fi

# A Wine prefix of the build's own, so the tests never depend on (or change) a user's ~/.wine.
# Mono and Gecko are not needed and would otherwise be offered at the first start.
tested_dir=$(realpath -m "$tested")
export WINEPREFIX="$tested_dir/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# The library's windows open on a virtual display of the run's own, where the tests read their
# layout; BV3_WIN32_HEADLESS=1 runs without any display instead, where the boxes that cannot
# open go to the error output.
unset DISPLAY WAYLAND_DISPLAY
display=(xvfb-run -a -s "-screen 0 1024x768x24")
[ "${BV3_WIN32_HEADLESS:-0}" = "1" ] && display=()

# configure BUILD TOOLCHAIN [OPTIONS...]
configure() {
  local build=$1 toolchain=$2
  shift 2
  cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/$toolchain" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    "$@" >/dev/null
}
# What the Windows tests need when they run from a build; the other suites (the shared code's
# unit tests) run in the Linux stages, and where 32-bit programs run also under 32-bit Wine.
windows_targets=(BV3Dll tqrdll12 test_windows_host test_windows_serial test_windows_transfer wine_serial_floor
                 test_windows_transfer_e2e test_windows_ui)

# The 64-bit libraries: always (the zip's x64/ folder), with the Windows test programs when
# they are the ones tested here. The stripped copies the zip takes are installed into stage/.
configure "$build64" toolchain-x86_64-w64-mingw32.cmake
if [ "$bits" = 64 ]; then
  cmake --build "$build64" --target "${windows_targets[@]}"
else
  cmake --build "$build64" --target BV3Dll tqrdll12
fi
rm -rf "$build64/stage"
cmake --install "$build64" --prefix "$build64/stage" --strip >/dev/null

# The 32-bit libraries, the ones hosts load: everything where 32-bit programs run, else the
# two libraries, whose ABI is checked from their files below.
configure "$build32" toolchain-i686-w64-mingw32.cmake -DBV3_WIN64_STAGE="$(realpath -m "$build64/stage")"
if [ "$bits" = 32 ]; then
  cmake --build "$build32"
else
  cmake --build "$build32" --target BV3Dll tqrdll12
fi

# The ABI from the files (objdump, no Wine): export names and ordinals, imports, machine, and
# the 32-bit library's calling conventions from its machine code.
ctest --test-dir "$build32" -L abi --output-on-failure
ctest --test-dir "$build64" -L abi --output-on-failure

# The Windows zip (CPack): the 32-bit libraries, the header and the readme at the top, the
# 64-bit libraries in x64/.
(cd "$build32" && cpack -G ZIP >/dev/null)
python3 - "$build32/packages" <<'PYTHON'
import pathlib, sys, zipfile
archives = sorted(pathlib.Path(sys.argv[1]).glob("BV3Dll-*-win32.zip"))
names = sorted(n for n in zipfile.ZipFile(archives[-1]).namelist() if not n.endswith("/")) if archives else []
expected = ["BV3Dll.dll", "BV3Dll.h", "README.txt", "tqrdll12.dll", "x64/BV3Dll.dll", "x64/tqrdll12.dll"]
if names != expected:
    sys.exit(f"the Windows zip holds {names}, expected {expected}")
print(f"{archives[-1]}: {', '.join(names)}")
PYTHON

# From here on the tests need Wine. A machine where it cannot start fails the stage: no Windows
# test would have run.
if [ -z "$wine" ] || ! "$wine" --version >/dev/null 2>&1; then
  echo "test-windows: FAILED: the ${bits}-bit Wine (${wine:-not installed}) cannot start here." >&2
  exit 1
fi
why=""
[ "$bits" = 64 ] && why="; this kernel runs no 32-bit programs"
echo "test-windows: testing the ${bits}-bit build ($tested) under $("$wine" --version) ($wine, prefix $WINEPREFIX)$why"
if [ ! -d "$WINEPREFIX" ]; then
  "$wine" wineboot --init >/dev/null 2>&1 || true
fi
# The prefix's settings, once per prefix:
# - the virtual display has no window manager: Wine would wait two seconds for one to answer
#   every time a window is hidden. Windows it does not hand to a manager do not wait.
# - a crash ends the program at once with a failure, instead of opening Wine's crash dialog,
#   which would wait for a click that never comes.
# - the Wine COM ports of the whole transfers: each names a link in wine-ports/ that
#   tests/scripts/wine_transfers.sh points at a simulator's pseudo-terminal. Wine reads the
#   mapping when its server starts.
ports="$tested_dir/wine-ports"
if ! grep -qF "wine-ports/line9" "$WINEPREFIX/system.reg" 2>/dev/null ||
   ! grep -qF "ShowCrashDialog" "$WINEPREFIX/user.reg" 2>/dev/null; then
  settings="$tested_dir/wine-settings.reg"
  {
    echo 'REGEDIT4'
    echo
    echo '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]'
    echo '"Managed"="N"'
    echo
    echo '[HKEY_CURRENT_USER\Software\Wine\WineDbg]'
    echo '"ShowCrashDialog"=dword:00000000'
    echo
    echo '[HKEY_LOCAL_MACHINE\Software\Wine\Ports]'
    for n in 1 2 3 4 9; do
      echo "\"COM$n\"=\"$ports/line$n\""
    done
  } >"$settings"
  "$wine" regedit /S "Z:${settings//\//\\}" >/dev/null 2>&1 || true
  "$wineserver" -k 2>/dev/null || true
fi
for key in ShowCrashDialog line9; do
  grep -qF "$key" "$WINEPREFIX/user.reg" "$WINEPREFIX/system.reg" ||
    { echo "test-windows: FAILED: the Wine prefix did not take the setting $key" >&2; exit 1; }
done

# Every test program is judged by its own summary (tests/scripts/wine_gtest.sh). A program that
# fails is run once more and fails the stage only when it fails again: on a loaded machine
# test_windows_host has now and then hung at one of its windows under Wine 8.0 until its time-out,
# with nothing said, and passed when run again at once (docs/windows.md). A fault of ours fails
# both runs; the first failure stays in the log.
if [ "$bits" = 32 ]; then
  "${display[@]}" ctest --test-dir "$tested" --output-on-failure -j "$(nproc)" --repeat until-pass:2
else
  "${display[@]}" ctest --test-dir "$tested" --output-on-failure -j "$(nproc)" --repeat until-pass:2 \
    -R '^(windows\.|test_windows_)'
fi

if [ "${BV3_WIN32_TRANSFERS:-1}" = "1" ] && [ "${#display[@]}" -gt 0 ]; then
  # The receiver simulator and the Linux library to compare with, from the Linux build.
  if [ ! -x build/bin/stb-sim ]; then
    bash scripts/deps.sh
  fi
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build --target stb-sim bv3 bv3-host BV3Dll
  BV3_WINE="$wine" BV3_WINESERVER="$wineserver" BV3_WINE_BITS="$bits" \
    "${display[@]}" bash tests/scripts/wine_transfers.sh "$tested" build
fi
echo "test-windows: the ${bits}-bit build ($tested) passed under Wine in $(($(date +%s) - stage_start)) s"
