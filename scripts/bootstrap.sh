#!/usr/bin/env bash
# Prepare a machine to build qarvel-hr: install missing Debian packages, then
# configure and build the CMake project into <repo>/build.
# Used by run.sh and test.sh; may be run directly or sourced.
set -euo pipefail

# Debian 12 packages the build, the tests and the program need at run time.
# Add new ones here.
QARVEL_PACKAGES=(
    g++ cmake ninja-build ccache pkg-config
    qt6-base-dev qt6-base-dev-tools
    libqt6sql6-sqlite libqt6sql6-psql
    sqlite3 libsqlite3-dev postgresql
    qt6-charts-dev libqt6opengl6-dev libxkbcommon-dev libgl-dev
    libxlsxwriter-dev libfreexl-dev libquazip1-qt6-dev libsodium-dev
    libkainjow-mustache-dev zlib1g-dev poppler-utils
    xvfb xauth fonts-noto-cjk imagemagick xdg-utils
)

# Repo root from this file's own location, so any current directory works.
QARVEL_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

qarvel_install_packages() {
    local missing=() pkg status
    for pkg in "${QARVEL_PACKAGES[@]}"; do
        # Unknown packages make dpkg-query fail; treat them as missing.
        status="$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)"
        [[ "$status" == "install ok installed" ]] || missing+=("$pkg")
    done
    # Nothing to do: skip apt entirely (no network, no root needed).
    ((${#missing[@]} == 0)) && return 0

    echo "bootstrap: installing missing packages: ${missing[*]}" >&2
    local sudo=()
    if ((EUID != 0)); then
        if command -v sudo >/dev/null 2>&1; then
            sudo=(sudo)
        else
            echo "bootstrap: not root and no sudo; install these by hand: ${missing[*]}" >&2
            return 1
        fi
    fi
    "${sudo[@]}" apt-get update
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y --no-install-recommends "${missing[@]}"
}

qarvel_build() {
    local build="$QARVEL_ROOT/build"
    # Configure only when there is no generated build yet (a failed configure
    # leaves no build.ninja, so it is retried). Afterwards Ninja itself re-runs
    # CMake whenever a CMakeLists.txt changes.
    if [[ ! -f "$build/build.ninja" || ! -f "$build/CMakeCache.txt" ]]; then
        cmake -S "$QARVEL_ROOT" -B "$build" -G Ninja
    fi
    # The machines have few cores; use all of them, no more.
    cmake --build "$build" --parallel "$(nproc 2>/dev/null || echo 2)"
}

qarvel_install_packages
qarvel_build
