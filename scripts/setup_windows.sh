#!/usr/bin/env bash
# Installs what the Windows cross build and its Wine test run need on a
# fresh Debian machine: MinGW-w64 (POSIX threads), Wine, and the GoogleTest
# sources. Packages already present are left alone.
set -euo pipefail

packages=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 googletest cmake make)

missing=()
for package in "${packages[@]}"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done

if ((${#missing[@]})); then
  echo "setup_windows: installing ${missing[*]}"
  if [[ $(id -u) -eq 0 ]]; then sudo=""; else sudo="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
