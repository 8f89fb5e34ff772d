#!/usr/bin/env bash
# Installs the Debian packages Varnelo builds and tests with. Quiet when all are present.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config clang-format
    qt6-base-dev qt6-multimedia-dev
    libmpg123-dev libgif-dev libsqlite3-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    lame libmp3lame-dev espeak-ng mpg123 fonts-hosny-amiri
    ffmpeg
    pulseaudio pulseaudio-utils xvfb
)

missing=()
# The demo data come from the npm registry; any node installation that brings npm will do.
command -v npm >/dev/null 2>&1 || missing+=(npm)
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
