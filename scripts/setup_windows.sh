#!/usr/bin/env bash
# Installs what the Windows cross builds and their Wine test runs need on a
# fresh Debian machine: MinGW-w64 (POSIX threads) for x64 and x86, the
# 64-bit and 32-bit Wine loaders, the GoogleTest sources, and zip/unzip for
# the Windows package. Packages already present are left alone.
set -euo pipefail

packages=(
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64   # x64
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686 wine32:i386  # x86
  googletest cmake make zip unzip
)

if [[ $(id -u) -eq 0 ]]; then sudo=""; else sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

# Another installer may hold the dpkg lock for a while: wait for it.
apt_get() {
  $sudo apt-get -o DPkg::Lock::Timeout=600 "$@"
}

# wine32 is an i386 package: the architecture must be known to dpkg first.
added_architecture=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "setup_windows: adding the i386 architecture (for wine32)"
  $sudo dpkg --add-architecture i386
  added_architecture=1
fi

missing=()
for package in "${packages[@]}"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done

if ((${#missing[@]})) || ((added_architecture)); then
  echo "setup_windows: installing ${missing[*]}"
  apt_get update -qq
  if ((${#missing[@]})); then
    apt_get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
fi
