#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12, as root.
# Idempotent: every step checks first and does nothing when already done.
set -euo pipefail

need_root() { [ "$(id -u)" = 0 ] || { echo "setup.sh: run as root" >&2; exit 2; }; }

PACKAGES=(
  build-essential cmake ninja-build pkg-config git ca-certificates python3 time
  g++-mingw-w64-i686 mingw-w64-tools nasm
  libjpeg62-turbo-dev libjpeg-turbo-progs
  googletest libbenchmark-dev clang
  wine wine32 fonts-wine xvfb xauth x11-apps imagemagick fonts-noto-cjk fonts-ipafont-gothic
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  need_root
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The deb-src entry that lets us fetch the pinned libjpeg-turbo source for the
# Windows build; the URIs and key come from the machine's own sources file.
SRC_LIST=/etc/apt/sources.list.d/korvane-deb-src.sources
if [ ! -f "$SRC_LIST" ]; then
  need_root
  own=/etc/apt/sources.list.d/debian.sources
  uri=$(awk '/^URIs:/ {print $2; exit}' "$own")
  key=$(awk '/^Signed-By:/ {print $2; exit}' "$own")
  cat > "$SRC_LIST" <<SRC
Types: deb-src
URIs: $uri
Suites: bookworm
Components: main
Signed-By: $key
SRC
  apt-get update -qq
fi
