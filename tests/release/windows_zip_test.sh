#!/usr/bin/env bash
# Makes the Windows zip from the x64 build and the x86 build beside it,
# unpacks it, builds a C host (kuv.dll) and a C++ host (kuvdocument.dll)
# against each architecture's folder through its CMake package, and runs
# kuv.exe check and the hosts under Wine from the unpacked folders, in a
# Wine prefix of the test's own. On the way it shows what the README says
# of the registry: a 32-bit and a 64-bit kuv.exe each register the
# template in their own view of it.
# Usage: windows_zip_test.sh BUILD_DIR X86_BUILD_DIR SOURCE_DIR VERSION
# Exit status 77 (skipped) when the x86 build is missing, outside CI.
set -euo pipefail
build=$1 x86_build=$2 source=$3 version=$4
wine_run=$source/scripts/wine_run.sh

fail() {
  echo "windows zip test: $*" >&2
  exit 1
}

if [[ ! -f $x86_build/bin/kuv.dll ]]; then
  reason="the zip holds the 32-bit build, and $x86_build has none yet"
  reason+=" (cmake --workflow --preset windows-x86 makes it)"
  [[ -z ${CI:-} ]] || fail "$reason"
  echo "skipped: $reason"
  exit 77
fi

work=$(mktemp -d)
prefix_made=0
cleanup() {
  if ((prefix_made)); then
    /usr/lib/wine/wineserver -k 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# cpack brings the builds up to date first, which may run their test
# programs in the caller's Wine prefix.
cpack -G ZIP --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" ||
  fail "cpack failed: $(cat "$work/cpack.log")"

# A prefix of the test's own, which sets itself up while the hosts are
# built (nothing runs in it before); its services, started by wineboot,
# stay until the end with the server.
export WINEPREFIX=$work/wine
mkdir "$WINEPREFIX"
prefix_made=1
/usr/lib/wine/wineserver -p
bash "$wine_run" wineboot --init </dev/null >/dev/null 2>&1 &
boot=$!
zip=$work/package/kuv-$version-windows.zip
[[ -f $zip ]] || fail "no $(basename "$zip"): $(ls "$work/package")"
unzip -q "$zip" -d "$work"
root=$work/kuv-$version-windows
[[ -f $root/README.txt ]] || fail "no README.txt at the top of the zip"

# Each folder is an installed kuv for its machine.
declare -A machine=([x86]=pei-i386 [x64]=pei-x86-64)
declare -A toolchain=([x86]=mingw-w64-i686 [x64]=mingw-w64-x86_64)
for arch in x86 x64; do
  for file in bin/kuv.dll bin/kuvdocument.dll bin/kuv.exe lib/kuv.lib lib/kuvdocument.lib \
    lib/kuv.def lib/cmake/kuv/kuvConfig.cmake include/kuv/kuv.h include/kuv/document.hpp \
    share/kuv/Standard.kvt share/doc/kuv/CHANGELOG.md; do
    [[ -f $root/$arch/$file ]] || fail "no $arch/$file in the zip"
  done
  for file in kuv.dll kuvdocument.dll kuv.exe; do
    objdump -f "$root/$arch/bin/$file" | grep -q "file format ${machine[$arch]}" ||
      fail "$arch/bin/$file is not built for $arch"
  done
done
for dll in libgcc_s_dw2-1.dll libstdc++-6.dll libwinpthread-1.dll; do
  [[ -f $root/x86/bin/$dll ]] || fail "no x86/bin/$dll, which the x86 programs need"
done

# Hosts built as a Windows developer builds them: find_package(kuv) in the
# unpacked folder, with the MinGW-w64 toolchain of that architecture.
for arch in x86 x64; do
  cmake -S "$source/tests/tools/host_project" -B "$work/host-$arch" \
    --toolchain "$source/cmake/${toolchain[$arch]}.cmake" \
    -Dkuv_DIR="$root/$arch/lib/cmake/kuv" \
    -DKUV_HOST_SOURCE="$source/examples/host.c" \
    -DKUV_CPP_HOST_SOURCE="$source/examples/host.cpp" >"$work/host-$arch.log" ||
    fail "configuring the $arch hosts failed: $(cat "$work/host-$arch.log")"
  cmake --build "$work/host-$arch" >>"$work/host-$arch.log" ||
    fail "building the $arch hosts failed: $(cat "$work/host-$arch.log")"
done

wait "$boot" || true
# Windows paths (Z: is the root of the Unix file system in Wine): a
# Windows program takes an argument starting with / for an option.
windows_path() {
  local path=$1
  echo "Z:${path//\//\\}"
}
cp "$source/examples/kestrel3_casing_tops.kuv" "$work/casing.kuv"
document=$(windows_path "$work/casing.kuv")

# In a fresh prefix nothing is registered: the 64-bit tool registers the
# template of its folder. The 32-bit tool reads the 32-bit view, where
# nothing is registered yet either, and registers its own.
for arch in x64 x86; do
  bash "$wine_run" "$root/$arch/bin/kuv.exe" check "$document" >"$work/out" 2>"$work/err" ||
    fail "$arch kuv.exe check failed: $(cat "$work/out" "$work/err")"
  grep -q "casing.kuv: ok, 2 objects, 109 values" "$work/out" ||
    fail "$arch kuv.exe check printed: $(cat "$work/out")"
  grep -q "no template was registered; registered the bundled template .*$arch.share.kuv.Standard.kvt" \
    "$work/err" || fail "$arch kuv.exe did not register its own template: $(cat "$work/err")"
done
for arch in x64 x86; do
  bash "$wine_run" "$root/$arch/bin/kuv.exe" template >"$work/out" 2>&1 ||
    fail "$arch kuv.exe template failed: $(cat "$work/out")"
  grep -q "$arch.share.kuv.Standard.kvt" "$work/out" ||
    fail "$arch kuv.exe sees another registration: $(cat "$work/out")"
done

# The hosts find the DLLs of the unpacked folder through PATH.
for arch in x86 x64; do
  bin=$root/$arch/bin
  WINEPATH=$(windows_path "$bin")
  export WINEPATH
  bash "$wine_run" "$work/host-$arch/bin/host.exe" "$document" >"$work/values" 2>&1 ||
    fail "the $arch C host failed: $(cat "$work/values")"
  tr -d '\r' <"$work/values" >"$work/values.txt"
  grep -q '^CasingStrings (well KES-3, 20240318T14:05:00000)$' "$work/values.txt" ||
    fail "the $arch C host printed: $(head "$work/values.txt")"
  grep -q '^  Casing/CementStage row 2: Stage = 2 $' "$work/values.txt" ||
    fail "the $arch C host printed: $(head "$work/values.txt")"
  bash "$wine_run" "$work/host-$arch/bin/host_cpp.exe" "$document" >"$work/values" 2>&1 ||
    fail "the $arch C++ host failed: $(cat "$work/values")"
  tr -d '\r' <"$work/values" >"$work/values.txt"
  grep -q '^  Casing row 2: OD = 20.000 in$' "$work/values.txt" ||
    fail "the $arch C++ host printed: $(head "$work/values.txt")"
  # A document that cannot be opened reaches the C++ host as kuv::Error,
  # thrown in kuvdocument.dll and caught in the host.
  if bash "$wine_run" "$work/host-$arch/bin/host_cpp.exe" "$document.missing" >"$work/values" 2>&1
  then
    fail "the $arch C++ host opened a missing document: $(cat "$work/values")"
  fi
  grep -q "Failed to open input file" "$work/values" ||
    fail "the $arch C++ host did not catch kuv::Error: $(cat "$work/values")"
done
unset WINEPATH
echo "windows zip test: kuv $version for x86 and x64 runs from the unpacked zip"
