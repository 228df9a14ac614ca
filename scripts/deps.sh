#!/usr/bin/env bash
# Installs the Debian packages Veranth needs to build, test and run, when any is missing.
# Safe to run again: it asks apt only for what is not installed.
set -euo pipefail

packages=(
  # build
  g++ cmake ninja-build pkg-config ccache
  qt6-base-dev libsqlite3-dev unixodbc-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  # spreadsheets: zip containers, the .xlsx writer, the .xls reader
  libzip-dev libxlsxwriter-dev libfreexl-dev
  # ODBC drivers and the driver manager's tools, for the ODBC tests
  odbcinst libsqliteodbc odbc-postgresql
  # the throwaway PostgreSQL server the ODBC tests run against
  postgresql
  # a display for machines without one
  xvfb xauth
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Run as root, or install sudo, to install: ${missing[*]}" >&2; exit 1; }
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
