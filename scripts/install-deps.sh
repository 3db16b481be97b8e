#!/usr/bin/env bash
# Installs, from Debian's own packages, everything ZARVEX needs to build,
# run and test. Safe to run again and again: it only installs what is missing.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  qt6-base-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-dejavu-core
  clang libclang-rt-dev
  appstream desktop-file-utils dpkg-dev file
)

if [ "$(id -u)" -eq 0 ]; then
  as_root() { "$@"; }
else
  as_root() { sudo "$@"; }
fi

missing() {
  local out=()
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      out+=("$p")
    fi
  done
  printf '%s\n' "${out[@]}"
}

need=$(missing "${packages[@]}" libminiaudio-dev)
if [ -z "$need" ]; then
  exit 0
fi

export DEBIAN_FRONTEND=noninteractive
updated=0
apt_update() {
  if [ "$updated" -eq 0 ]; then
    as_root apt-get update -q
    updated=1
  fi
}

rest=$(missing "${packages[@]}")
if [ -n "$rest" ]; then
  apt_update
  # shellcheck disable=SC2086
  as_root apt-get install -y -q --no-install-recommends $rest
fi

# miniaudio is header-only and architecture-independent. Debian 13 and later
# ship it; on Debian 12 we take just this one package from the next release,
# pinned low so that nothing else is ever taken from there.
if [ -n "$(missing libminiaudio-dev)" ]; then
  apt_update
  if [ -z "$(apt-cache policy libminiaudio-dev 2>/dev/null | awk '/Candidate:/ {print $2}' | grep -v '(none)')" ]; then
    # Reuse the mirror addresses that this machine's own Debian sources name.
    mirrors=$(
      { grep -h -E '^URIs:' /etc/apt/sources.list.d/*.sources 2>/dev/null | sed 's/^URIs:[[:space:]]*//' || true
        grep -h -E '^[[:space:]]*deb[[:space:]]' /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
          sed -E 's/^[[:space:]]*deb[[:space:]]+(\[[^]]*\][[:space:]]+)?//' | awk '{print $1}' || true
      } | tr ' ' '\n' | grep -E '/debian/?$' | sort -u | tr '\n' ' ' || true
    )
    if [ -z "$mirrors" ]; then
      echo "install-deps: libminiaudio-dev is not in this system's archive, and no Debian mirror is" >&2
      echo "named in its apt sources to take it from Debian 13 (use Debian 12 or later, or a release" >&2
      echo "that ships libminiaudio-dev)" >&2
      exit 1
    fi
    as_root tee /etc/apt/sources.list.d/zarvex-trixie.sources >/dev/null <<SRC
Types: deb
URIs: $mirrors
Suites: trixie
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    as_root tee /etc/apt/preferences.d/zarvex-trixie >/dev/null <<'PIN'
Package: *
Pin: release n=trixie
Pin-Priority: 1
PIN
    updated=0
    apt_update
  fi
  as_root apt-get install -y -q --no-install-recommends libminiaudio-dev/trixie ||
    as_root apt-get install -y -q --no-install-recommends libminiaudio-dev
fi
