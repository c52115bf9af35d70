#!/usr/bin/env bash
# Installs the Debian packages that the builds and tests need, when they are missing.
set -euo pipefail

packages=(cmake g++ make googletest libgtest-dev libbenchmark-dev nlohmann-json3-dev python3
          clang libclang-rt-14-dev g++-mingw-w64-i686 g++-mingw-w64-x86-64
          wine wine64 libwine wine32:i386 wixl msitools locales valgrind)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# A German user for the Wine runs that need one.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf8$'; then
    $sudo sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
    $sudo locale-gen >/dev/null
fi
