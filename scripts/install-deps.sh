#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, run and test Reelmorph.
# Quiet and quick when everything is already present.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config ccache make lld
    qtbase5-dev qtbase5-dev-tools qtbase5-private-dev libqt5svg5-dev qtmultimedia5-dev
    qttools5-dev-tools
    libqt5multimedia5-plugins
    libavformat-dev libavcodec-dev libavutil-dev libswscale-dev
    libswresample-dev libavfilter-dev
    ffmpeg fonts-dejavu-core
    libqt5x11extras5-dev libxcb1-dev
    xvfb xauth openbox xcompmgr xdotool x11-utils dbus-daemon python3 bc
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
