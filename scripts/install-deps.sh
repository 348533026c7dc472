#!/usr/bin/env bash
# Installs the Debian 12 packages that building, testing and running need, and any packages
# named as arguments (the fuzzing script asks for its compiler this way).
set -euo pipefail
packages=(
    cmake g++ pkg-config ccache
    qt6-base-dev qt6-svg-dev libgl1-mesa-dev
    libsqlite3-dev sqlite3
    libsodium-dev
    unixodbc-dev unixodbc odbcinst libsqliteodbc odbc-postgresql postgresql
    libcsv-dev
    mdbtools-dev mdbtools
    pxlib-dev
    liborcus-dev
    python3-xlrd python3-xlwt
    libgtest-dev libgmock-dev
    xvfb xauth
    dpkg-dev desktop-file-utils appstream shared-mime-info
    poppler-utils
    "$@"
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO=sudo
    $SUDO apt-get update -q
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "${missing[@]}"
fi
