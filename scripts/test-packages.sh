#!/usr/bin/env bash
# The package stage of the test command: builds the Debian packages (CPack) in build-deb/,
# checks them with lintian (no error and no warning that is not overridden with a reason in
# packaging/lintian/), validates the editor's desktop entry, lists the packages' contents,
# and, where it may install packages (root or sudo without a password), installs them with
# dpkg, builds and runs the example host against the system's copy, removes them again and
# checks that nothing is left behind.
#
#   bash scripts/test-packages.sh              all of it
#   BV3_SKIP_DPKG_INSTALL=1 bash ...           build and check the packages, install nothing
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BV3_DEB_BUILD:-build-deb}
sample=$PWD/samples/channels.qnf

# Packages are built for /usr (GNUInstallDirs then uses Debian's multiarch library folder),
# without the test suites, with the same build type as the test build so ccache (where it is
# installed, for a new build folder) can share the objects.
launcher=()
if [ ! -f "$build/CMakeCache.txt" ] && command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
  -DBV3_BUILD_TESTS=OFF "${launcher[@]}" >/dev/null
cmake --build "$build"
rm -rf "$build/packages"
(cd "$build" && cpack -G DEB >cpack.log 2>&1) || { cat "$build/cpack.log"; exit 1; }
packages=$(cd "$build/packages" && pwd)
mapfile -t debs < <(find "$packages" -maxdepth 1 -name '*.deb' | sort)
((${#debs[@]} >= 3)) || { echo "expected at least three packages, got ${#debs[@]}" >&2; exit 1; }

echo "== packages and their contents"
for deb in "${debs[@]}"; do
  echo "$(basename "$deb"): $(dpkg-deb -f "$deb" Section), depends: $(dpkg-deb -f "$deb" Depends)"
  dpkg-deb -c "$deb" | awk '$6 !~ /\/$/ {print "   ", $6, ($7 == "->" ? "-> " $8 : "")}'
done

echo "== lintian"
# Tags of severity info and pedantic are shown but do not fail the run.
lintian --fail-on error,warning --info --tag-display-limit 0 "${debs[@]}"
echo "lintian: no errors, no warnings"

desktop-file-validate packaging/bv3-editor.desktop
echo "desktop entry: valid"

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  if ! sudo -n true 2>/dev/null; then BV3_SKIP_DPKG_INSTALL=1; fi
  sudo="sudo -n"
fi
if [ "${BV3_SKIP_DPKG_INSTALL:-0}" = "1" ]; then
  echo "installing the packages: skipped"
  exit 0
fi

mapfile -t names < <(for deb in "${debs[@]}"; do dpkg-deb -f "$deb" Package; done)
ours() {
  find /usr /etc /opt /var -path /var/lib/dpkg -prune -o \( -iname '*bv3*' -o -iname '*tqrdll*' -o -iname '*stb-sim*' \) \
    -print 2>/dev/null
}
if [ -n "$(ours)" ]; then
  echo "files of ours are already on the system; not installing over them:" >&2
  ours >&2
  exit 1
fi
# apt-get hands the files to dpkg -i, and waits for dpkg's lock where another install holds it.
apt_get() { $sudo env DEBIAN_FRONTEND=noninteractive apt-get -y -qq -o DPkg::Lock::Timeout=600 "$@" >/dev/null; }
remove() { apt_get purge "${names[@]}"; }
trap remove EXIT
echo "== dpkg -i"
apt_get install --no-install-recommends "${debs[@]}"

work=$(mktemp -d)
trap 'rm -rf "$work"; remove' EXIT
bv3 --version
stb-sim --version
man -w bv3 stb-sim >/dev/null
[ -f /usr/share/bash-completion/completions/bv3 ]
# The example host of the -dev package, against the system's copy: CMake and pkg-config,
# linked and loading the library by its SONAME.
cmake -S /usr/share/doc/libbv3dll-dev/examples -B "$work/host" -G Ninja >/dev/null
cmake --build "$work/host" >/dev/null
cc -o "$work/host/pc-linked" /usr/share/doc/libbv3dll-dev/examples/host.c $(pkg-config --cflags --libs bv3dll)
cc -o "$work/host/pc-dlopen" -DBV3_HOST_DLOPEN -DBV3DLL_SONAME="\"$(pkg-config --variable=soname bv3dll)\"" \
  /usr/share/doc/libbv3dll-dev/examples/host.c $(pkg-config --cflags bv3dll) -ldl
for host in bv3-example-host-linked bv3-example-host-dlopen pc-linked pc-dlopen; do
  mkdir "$work/$host.run"
  (cd "$work/$host.run" && QT_QPA_PLATFORM=offscreen "$work/host/$host" "$sample")
done
(cd "$work" && bv3 qnf2qdf "$sample" channels.qdf --variant 3 --model 4 --header-id 0x12345678 && bv3 qdf-info channels.qdf >/dev/null)

# Every file of ours on the system is one dpkg knows: nothing was made at run time.
echo "== dpkg -L"
for name in "${names[@]}"; do dpkg -L "$name"; done | sort -u >"$work/listed"
ours | sort >"$work/present"
unlisted=$(comm -13 "$work/listed" "$work/present")
[ -z "$unlisted" ] || { echo "files of ours that no package lists: $unlisted" >&2; exit 1; }
echo "every file of ours is listed by dpkg -L ($(wc -l <"$work/present") paths)"

echo "== dpkg --purge"
trap 'rm -rf "$work"' EXIT
remove
left=$(ours)
[ -z "$left" ] || { echo "left behind after removal: $left" >&2; exit 1; }
echo "removed; nothing of ours is left"
