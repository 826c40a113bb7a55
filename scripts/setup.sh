#!/bin/bash
# Installs what the build, the tests and the console need on Debian 12, and
# nothing when everything is already there.
set -euo pipefail

packages=(cmake make g++-mingw-w64-i686 mingw-w64-tools wine wine32:i386 wine64 libwine-dev
          googletest clang libclang-rt-14-dev locales fonts-wine fonts-wqy-zenhei xvfb xauth
          lib32stdc++-12-dev libc6-dev-i386 linux-libc-dev:i386)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
    echo "setup: run as root (apt-get needs it), or install: ${missing[*]}" >&2
    exit 1
fi
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
