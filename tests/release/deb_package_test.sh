#!/usr/bin/env bash
# Makes the Debian package from the build's install rules, installs it on
# this machine with apt-get as a user does, builds examples/host.c against
# the installed copy through pkg-config and examples/host.cpp through
# find_package, runs them and the installed tool on a sample, then removes
# the package with its configuration and checks that nothing is left.
#
# It changes the system: it runs alone among the tests that say so
# (RESOURCE_LOCK system_packages), refuses to touch a kuv package that was
# installed before it, and removes its own on every way out, so that no
# installed libkuv is left for other programs to find.
# Usage: deb_package_test.sh BUILD_DIR SOURCE_DIR VERSION C_COMPILER CXX_COMPILER
# Exit status 77 (skipped) without root or apt, outside CI.
set -euo pipefail
build=$1 source=$2 version=$3 cc=$4 cxx=$5

fail() {
  echo "deb package test: $*" >&2
  exit 1
}
skip() {
  [[ -z ${CI:-} ]] || fail "$1, and CI must run this test"
  echo "skipped: $1"
  exit 77
}

[[ $(id -u) -eq 0 ]] || skip "installing a package needs root"
for tool in apt-get dpkg dpkg-deb dpkg-shlibdeps file; do
  command -v "$tool" >/dev/null || skip "$tool is missing (scripts/setup.sh installs it)"
done
# dpkg's state of the package kuv: empty, or "not-installed", when it has
# none of it (not even configuration files).
package_state() {
  local status
  status=$(dpkg-query -W -f='${Status}' kuv 2>/dev/null || true)
  [[ $status == *not-installed ]] || echo "$status"
}
if [[ -n $(package_state) ]]; then
  fail "a kuv package is on this machine already ($(package_state));" \
    "this test installs and removes its own, so remove that one first: apt-get remove --purge kuv"
fi

apt_get() {
  DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 -y -qq "$@"
}
work=$(mktemp -d)
installed=0
cleanup() {
  if ((installed)); then
    apt_get remove --purge kuv >/dev/null 2>&1 || dpkg --purge kuv >/dev/null 2>&1 || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" ||
  fail "cpack failed: $(cat "$work/cpack.log")"
shopt -s nullglob
packages=("$work"/package/kuv_*.deb)
((${#packages[@]} == 1)) || fail "expected one kuv_*.deb, found: $(ls "$work/package")"
deb=${packages[0]}
[[ $(basename "$deb") == "kuv_${version}_$(dpkg --print-architecture).deb" ]] ||
  fail "the package is named $(basename "$deb")"
[[ $(dpkg-deb -f "$deb" Package) == kuv ]] || fail "the package is not named kuv"
[[ $(dpkg-deb -f "$deb" Version) == "$version" ]] || fail "the package's version is not $version"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libstdc++6; do
  [[ $depends == *"$library "* ]] || fail "Depends lacks $library: $depends"
done

# What the package holds, and which of those paths the system had before
# (folders such as /usr/bin): a file it had would be overwritten.
dpkg-deb --fsys-tarfile "$deb" | tar -t | sed -e 's|^\./|/|' -e 's|/$||' | grep -v '^/\?$' |
  sort >"$work/contents"
for path in /usr/lib/libkuv.so.1 /usr/lib/libkuvdocument.so.1 /usr/bin/kuv \
  /usr/include/kuv/kuv.h /usr/include/kuv/document.hpp /usr/share/kuv/Standard.kvt \
  /usr/lib/pkgconfig/kuv.pc /usr/lib/pkgconfig/kuv-document.pc \
  /usr/lib/cmake/kuv/kuvConfig.cmake /usr/share/doc/kuv/CHANGELOG.md; do
  grep -qx "$path" "$work/contents" || fail "the package lacks $path"
done
: >"$work/existed"
while read -r path; do
  if [[ -e $path || -L $path ]]; then
    [[ -d $path && ! -L $path ]] || fail "$path exists already; installing would replace it"
    echo "$path" >>"$work/existed"
  fi
done <"$work/contents"

# Installed as a user installs it.
installed=1
(cd "$work/package" && apt_get install "./$(basename "$deb")") >"$work/apt.log" 2>&1 ||
  fail "apt-get install failed: $(cat "$work/apt.log")"
dpkg -L kuv | sort >"$work/listed"
missing=$(comm -23 "$work/contents" "$work/listed")
[[ -z $missing ]] || fail "dpkg -L does not list: $missing"

export XDG_CONFIG_HOME=$work/config
document=$work/casing.kuv
cp "$source/examples/kestrel3_casing_tops.kuv" "$document"
[[ $(command -v kuv) == /usr/bin/kuv ]] || fail "kuv is $(command -v kuv), not /usr/bin/kuv"
[[ $(/usr/bin/kuv --version) == "kuv $version" ]] || fail "kuv --version: $(/usr/bin/kuv --version)"
/usr/bin/kuv check "$document" >"$work/out" 2>"$work/notice" ||
  fail "kuv check failed: $(cat "$work/out" "$work/notice")"
grep -q "casing.kuv: ok, 2 objects, 109 values" "$work/out" || fail "kuv check: $(cat "$work/out")"
grep -q "registered the bundled template /usr/share/kuv/Standard.kvt" "$work/notice" ||
  fail "the tool did not register the installed template: $(cat "$work/notice")"

# Hosts built against the installed package, from the system's search
# paths only.
unset PKG_CONFIG_PATH CMAKE_PREFIX_PATH LD_LIBRARY_PATH
[[ $(pkg-config --modversion kuv) == "$version" ]] || fail "pkg-config knows no kuv $version"
# shellcheck disable=SC2046
"$cc" -o "$work/host" "$source/examples/host.c" $(pkg-config --cflags --libs kuv)
loaded=$(ldd "$work/host" | awk '$1 == "libkuv.so.1" { print $3 }')
[[ -n $loaded && $(realpath -s "$loaded") == /usr/lib/libkuv.so.1 ]] ||
  fail "the host does not load the installed library: $(ldd "$work/host")"
cmake -S "$source/tests/tools/host_project" -B "$work/host_build" -DCMAKE_C_COMPILER="$cc" \
  -DCMAKE_CXX_COMPILER="$cxx" -DKUV_HOST_SOURCE="$source/examples/host.c" \
  -DKUV_CPP_HOST_SOURCE="$source/examples/host.cpp" >"$work/host_build.log" ||
  fail "find_package(kuv) failed: $(cat "$work/host_build.log")"
grep -q "kuv_DIR:PATH=/usr/lib/cmake/kuv" "$work/host_build/CMakeCache.txt" ||
  fail "find_package(kuv) found another kuv: $(grep kuv_DIR "$work/host_build/CMakeCache.txt")"
cmake --build "$work/host_build" >>"$work/host_build.log"

"$work/host" "$document" >"$work/values"
grep -q '^CasingStrings (well KES-3, 20240318T14:05:00000)$' "$work/values" ||
  fail "the C host printed: $(head "$work/values")"
grep -q '^  Casing/CementStage row 2: Stage = 2 $' "$work/values" ||
  fail "the C host printed: $(head "$work/values")"
"$work/host_build/host_cpp" "$document" >"$work/values"
grep -q '^  Casing row 2: OD = 20.000 in$' "$work/values" ||
  fail "the C++ host printed: $(head "$work/values")"

# Removed with its configuration: dpkg forgets it, and every path it
# brought is gone but the folders that were there before.
apt_get remove --purge kuv >"$work/apt.log" 2>&1 ||
  fail "apt-get remove --purge failed: $(cat "$work/apt.log")"
installed=0
[[ -z $(package_state) ]] || fail "dpkg still has kuv: $(package_state)"
left=()
while read -r path; do
  if [[ -e $path || -L $path ]] && ! grep -qx "$path" "$work/existed"; then
    left+=("$path")
  fi
done <"$work/contents"
((${#left[@]} == 0)) || fail "left behind: ${left[*]}"
[[ ! -e /var/lib/dpkg/info/kuv.list ]] || fail "dpkg still keeps /var/lib/dpkg/info/kuv.list"
if "$work/host" "$document" >"$work/values" 2>&1; then
  fail "the host still finds a libkuv.so.1: $(ldd "$work/host")"
fi
grep -q 'libkuv\.so\.1' "$work/values" || fail "the host failed otherwise: $(cat "$work/values")"
echo "deb package test: kuv $version installs, serves hosts and the tool, and purges cleanly"
