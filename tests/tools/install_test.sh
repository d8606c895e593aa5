#!/usr/bin/env bash
# Installs kuv into a fresh prefix, builds examples/host.c (the C
# interface) and examples/host.cpp (the document API) against the
# installed copy through pkg-config and through find_package, and runs the
# hosts and the installed tool on a sample document.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR C_COMPILER CXX_COMPILER [HOST_FLAGS]
set -euo pipefail
build=$1 source=$2 compiler=$3 cxx_compiler=$4 flags=${5:-}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

libdir=$(dirname "$(find "$prefix" -name 'libkuv.so' -print -quit)")
test -f "$prefix/include/kuv/kuv.h"
test -f "$prefix/share/kuv/Standard.kvt"
test -f "$prefix/include/kuv/document.hpp"
test -f "$prefix/include/kuv/output_file.hpp"
test -f "$libdir/pkgconfig/kuv.pc"
test -f "$libdir/pkgconfig/kuv-document.pc"
test -f "$libdir/cmake/kuv/kuvConfigVersion.cmake"
# The versioned SONAME, with its links.
readelf -d "$libdir/libkuv.so" | grep -q 'SONAME.*libkuv\.so\.1\]'
readelf -d "$libdir/libkuvdocument.so" | grep -q 'SONAME.*libkuvdocument\.so\.1\]'

# Through pkg-config.
export PKG_CONFIG_PATH=$libdir/pkgconfig
# shellcheck disable=SC2046,SC2086
"$compiler" $flags -o "$work/host_pc" "$source/examples/host.c" $(pkg-config --cflags --libs kuv)
# shellcheck disable=SC2046,SC2086
"$cxx_compiler" -std=c++17 $flags -o "$work/host_cpp_pc" "$source/examples/host.cpp" \
  $(pkg-config --cflags --libs kuv-document)

# Through find_package.
cmake -S "$source/tests/tools/host_project" -B "$work/host_build" \
  -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_C_COMPILER="$compiler" -DCMAKE_C_FLAGS="$flags" \
  -DCMAKE_CXX_COMPILER="$cxx_compiler" -DCMAKE_CXX_FLAGS="$flags" \
  -DKUV_HOST_SOURCE="$source/examples/host.c" -DKUV_CPP_HOST_SOURCE="$source/examples/host.cpp" \
  >/dev/null
cmake --build "$work/host_build" >/dev/null

# The installed tool registers the template it ships with; the hosts then
# find it as every host does.
export XDG_CONFIG_HOME=$work/config
document=$source/examples/kestrel3_casing_tops.kuv
"$prefix/bin/kuv" check "$document" 2>"$work/notice"
grep -q "registered the bundled template $prefix/share/kuv/Standard.kvt" "$work/notice"

# No loader path is set: hosts built through pkg-config carry the
# library's folder as their run path, and those built with the CMake
# package carry it in the build tree.
unset LD_LIBRARY_PATH
for host in "$work/host_pc" "$work/host_build/host"; do
  "$host" "$document" >"$work/values"
  grep -q '^CasingStrings (well KES-3, 20240318T14:05:00000)$' "$work/values"
  grep -q '^  Casing/CementStage row 2: Stage = 2 $' "$work/values"
  grep -q '^  Top row 1: Formation = Nordland Group $' "$work/values"
done
for host in "$work/host_cpp_pc" "$work/host_build/host_cpp"; do
  "$host" "$document" >"$work/values"
  grep -q '^CasingStrings (well KES-3, 20240318T14:05:00000)$' "$work/values"
  grep -q '^  Casing row 2: OD = 20.000 in$' "$work/values"
  grep -q '^  CementStage row 1: Stage = 1 $' "$work/values"
done
echo "install test: the C and C++ hosts and the installed tool work"
