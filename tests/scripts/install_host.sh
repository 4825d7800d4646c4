#!/usr/bin/env bash
# Installs the build into a scratch prefix whose path has a space, checks the layout, builds
# the example host against the install with find_package(BV3) and with pkg-config, both linked
# and loading the library with dlopen, and runs each on the sample list. The installed bv3
# then builds a download image: its encoder is found by bare name beside the library.
# Arguments: SOURCE_DIR BINARY_DIR
set -euo pipefail
source_dir=$1
binary_dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix="$work/scratch prefix"
unset LD_LIBRARY_PATH
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$binary_dir" --prefix "$prefix" >"$work/install.log"

libdir=$(find "$prefix" -name 'libBV3Dll.so.*.*' -printf '%h\n')
[ -n "$libdir" ] || fail "no libBV3Dll.so.<version> installed"
for file in "$libdir/libBV3Dll.so" "$libdir/libtqrdll12.so" "$libdir/bv3/libbv3-gui.so" "$prefix/include/BV3Dll.h" "$prefix/bin/bv3" \
            "$prefix/bin/stb-sim" "$libdir/pkgconfig/bv3dll.pc" "$libdir/cmake/BV3/BV3Config.cmake"; do
  [ -e "$file" ] || fail "$file is not installed"
done
soname=$(objdump -p "$libdir/libBV3Dll.so" | awk '$1 == "SONAME" {print $2}')
[ -e "$libdir/$soname" ] || fail "the SONAME $soname is not installed"

# The same example a host author finds in the -dev package.
examples=$(find "$prefix" -path '*/examples/host.c' -printf '%h\n')
cmake -S "$examples" -B "$work/host build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >"$work/configure.log" ||
  { cat "$work/configure.log"; fail "the example host does not configure against the install"; }
cmake --build "$work/host build" >"$work/build.log" || { cat "$work/build.log"; fail "the example host does not build"; }

# pkg-config, as a makefile would use it (the prefix's space comes escaped).
export PKG_CONFIG_PATH="$libdir/pkgconfig"
[ "$(pkg-config --modversion bv3dll)" = "$(sed -n 's/^Version: //p' "$libdir/pkgconfig/bv3dll.pc")" ]
eval "cc -o '$work/host build/pc-linked' '$examples/host.c' $(pkg-config --cflags --libs bv3dll) -Wl,-rpath,'$libdir'"
eval "cc -o '$work/host build/pc-dlopen' -DBV3_HOST_DLOPEN '-DBV3DLL_SONAME=\"$(pkg-config --variable=soname bv3dll)\"' \
      '$examples/host.c' $(pkg-config --cflags bv3dll) -ldl -Wl,-rpath,'$libdir'"

for host in bv3-example-host-linked bv3-example-host-dlopen pc-linked pc-dlopen; do
  mkdir "$work/run-$host"
  (cd "$work/run-$host" && "$work/host build/$host" "$source_dir/samples/channels.qnf") || fail "$host failed"
  for leftover in Config.raw Service.raw qorda.cfg; do
    [ ! -e "$work/run-$host/$leftover" ] || fail "$host left $leftover behind"
  done
done
cmp "$work/run-bv3-example-host-linked/channels.qdf" "$work/run-pc-dlopen/channels.qdf" ||
  fail "the linked and the loaded library built different images"

mkdir "$work/run-bv3"
(cd "$work/run-bv3" && "$prefix/bin/bv3" qnf2qdf "$source_dir/samples/channels.qnf" channels.qdf --variant 3 --model 4 \
   --header-id 0x12345678 && "$prefix/bin/bv3" qdf-info channels.qdf >/dev/null) || fail "the installed bv3 cannot build an image"
"$prefix/bin/bv3" --version
# The installed bv3 finds its windowed part through its RUNPATH.
"$prefix/bin/bv3" about --screenshot "$work/about.png" 2>/dev/null || fail "the installed bv3 cannot show its about box"
[ -s "$work/about.png" ] || fail "the installed bv3 wrote no about box picture"
echo "install tree: layout, hosts and tools all work"
