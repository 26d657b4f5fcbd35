#!/usr/bin/env bash
# Installs every build and run dependency from Debian's packages. Idempotent; quiet unless it fails.
set -euo pipefail

PACKAGES=(
    g++ make cmake ccache pkg-config
    qtbase5-dev qtbase5-dev-tools libqt5websockets5-dev
    libsqlite3-dev sqlite3
    libssl-dev openssl
    libboost-dev
    libgtest-dev libgmock-dev libbenchmark-dev rapidjson-dev
    libcpp-httplib-dev libqt5charts5-dev fonts-dejavu-core
    procps locales
    dpkg-dev file curl lintian
    help2man
    python3-matplotlib
)

missing=()
for pkg in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$pkg")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
log=$(mktemp)
if ! { $SUDO apt-get update -qq && DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"; } >"$log" 2>&1; then
    cat "$log" >&2
    echo "deps.sh: installing ${missing[*]} failed" >&2
    rm -f "$log"
    exit 1
fi
rm -f "$log"
