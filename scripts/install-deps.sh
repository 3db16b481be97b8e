#!/usr/bin/env bash
# Installs, from Debian's own packages, what ZARVEX needs: to build and run
# it by default, with --test also what its tests, benchmarks, fuzzing and
# package checks use, and with --clean-root what the clean-root install check
# (scripts/check-clean-install.sh) uses. Safe to run again and again: it
# installs only what is missing, and it leaves the system's apt
# configuration as it found it.
#   scripts/install-deps.sh [--test] [--clean-root]
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  qt6-base-dev libqt6opengl6-dev libxcb-shm0-dev
  libsdl2-dev
  fonts-dejavu-core
)
test_packages=(
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-dev
  appstream desktop-file-utils dpkg-dev file lintian man-db
  xvfb xauth openbox x11-utils imagemagick
  weston qt6-wayland
)
clean_root_packages=(
  debootstrap debian-archive-keyring dpkg-dev strace
  xvfb openbox xdotool
)
for arg in "$@"; do
  case $arg in
    --test) packages+=("${test_packages[@]}") ;;
    --clean-root) packages+=("${clean_root_packages[@]}") ;;
    *) echo "install-deps: unknown option $arg (use --test, --clean-root)" >&2; exit 2 ;;
  esac
done

if [ "$(id -u)" -eq 0 ]; then
  as_root() { "$@"; }
else
  as_root() { sudo "$@"; }
fi

say() { echo "install-deps: $*" >&2; }

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
missing() {
  local p
  for p in "$@"; do installed "$p" || echo "$p"; done
}

# Earlier versions of this script added Debian 13 to the system's apt
# sources (with a pin) to get miniaudio on Debian 12. Those two files are
# ours; take them away so that apt stops fetching that release's index.
stale=()
for f in /etc/apt/sources.list.d/zarvex-trixie.sources /etc/apt/preferences.d/zarvex-trixie; do
  [ -e "$f" ] && stale+=("$f")
done
if [ "${#stale[@]}" -gt 0 ]; then
  say "removing ${stale[*]} left by an earlier version of this script"
  as_root rm -f "${stale[@]}"
fi

need=$(missing "${packages[@]}" libminiaudio-dev)
[ -z "$need" ] && exit 0

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

# miniaudio is one header, packaged architecture-independent. Debian 13 and
# later ship it. On Debian 12 the package is fetched from Debian 13 through a
# private sources list with private state and cache folders (nothing in
# /etc/apt or /var/lib/apt changes) and installed on its own with dpkg.
fetch_miniaudio_from_next_release() {
  # The mirror addresses this machine's own Debian sources name.
  local mirrors
  mirrors=$("$(dirname "${BASH_SOURCE[0]}")/debian-mirrors.sh")
  if [ -z "$mirrors" ]; then
    say "libminiaudio-dev is not in this system's archive, and its apt sources name no Debian"
    say "mirror to take it from Debian 13 (use Debian 12 or later, or a release that ships it)"
    exit 1
  fi
  local work
  work=$(mktemp -d)
  # shellcheck disable=SC2064
  trap "rm -rf '$work'" EXIT
  mkdir -p "$work/lists/partial" "$work/cache/archives/partial" "$work/parts" "$work/prefs"
  local m
  for m in $mirrors; do
    echo "deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $m trixie main"
  done >"$work/sources.list"
  local apt_private=(
    -o Dir::Etc::SourceList="$work/sources.list" -o Dir::Etc::SourceParts="$work/parts"
    -o Dir::Etc::Preferences="$work/preferences" -o Dir::Etc::PreferencesParts="$work/prefs"
    -o Dir::State::Lists="$work/lists" -o Dir::Cache="$work/cache"
    -o APT::Sandbox::User="$(id -un)"
  )
  say "fetching libminiaudio-dev from Debian 13 (this system's apt configuration is not changed)"
  apt-get "${apt_private[@]}" -q update >/dev/null
  (cd "$work" && apt-get "${apt_private[@]}" -q download libminiaudio-dev >/dev/null)
  local deb
  deb=$(ls "$work"/libminiaudio-dev_*_all.deb 2>/dev/null | head -n 1)
  if [ -z "$deb" ]; then
    say "could not download libminiaudio-dev from Debian 13"
    exit 1
  fi
  as_root dpkg -i "$deb"
}

if [ -n "$(missing libminiaudio-dev)" ]; then
  apt_update
  if apt-cache policy libminiaudio-dev 2>/dev/null | awk '/Candidate:/ {print $2}' | grep -qv '(none)'; then
    as_root apt-get install -y -q --no-install-recommends libminiaudio-dev
  else
    fetch_miniaudio_from_next_release
  fi
fi
