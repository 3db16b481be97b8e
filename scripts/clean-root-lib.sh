# shellcheck shell=bash
# What the clean-root checks share: a minimal Debian root made with
# debootstrap from the mirror this machine's apt sources name, its mounts,
# its removal, and an X server with a window manager that the root's
# programs reach through Linux's abstract socket. Sourced, not run; the
# caller sets `root` (a new empty folder), `work` (a scratch folder) and
# defines say() and fail().

# Debian's code name of a release number.
suite_of() {
  case $1 in
    12) echo bookworm ;;
    13) echo trixie ;;
    *) fail "no Debian release $1 (use 12 or 13)" ;;
  esac
}

# debootstrap SUITE into $root (extra packages as a comma list), once more
# if the first try fails (a download can fail on a busy mirror), then the
# mounts and apt set up as on this machine.
make_root() {
  local suite=$1 include=${2:-} mirror try
  mirror=$("$src/scripts/debian-mirrors.sh" | head -n 1)
  [ -n "$mirror" ] || fail "this machine's apt sources name no Debian mirror"
  for try in 1 2; do
    if debootstrap --variant=minbase ${include:+--include=$include} "$suite" "$root" "$mirror" \
      >"$work/debootstrap.log" 2>&1; then
      break
    fi
    [ "$try" -eq 2 ] && { tail -n 20 "$work/debootstrap.log" >&2; fail "debootstrap $suite"; }
    say "debootstrap failed; trying once more"
    rm -rf --one-file-system "${root:?}"/* 2>/dev/null || true
  done
  mount -t proc proc "$root/proc"
  mount --bind /dev "$root/dev"
  mount --bind /dev/pts "$root/dev/pts"
  # No services start inside the root.
  printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
  chmod 755 "$root/usr/sbin/policy-rc.d"
  # The archive is trusted inside the root as on this machine (it may be a
  # dated snapshot of Debian's archive).
  local valid_until check_date
  eval "$(apt-config shell valid_until Acquire::Check-Valid-Until check_date Acquire::Check-Date)"
  {
    [ -z "${valid_until:-}" ] || echo "Acquire::Check-Valid-Until \"$valid_until\";"
    [ -z "${check_date:-}" ] || echo "Acquire::Check-Date \"$check_date\";"
  } >"$root/etc/apt/apt.conf.d/99archive-like-host"
}

unmount_root() {
  local m
  for m in "$root/dev/pts" "$root/dev" "$root/proc"; do
    if mountpoint -q "$m" 2>/dev/null; then umount "$m" || umount -l "$m"; fi
  done
}

remove_root() {
  unmount_root
  # Never follow a mount that is still there into the host.
  if findmnt -rno TARGET | grep -q "^$root/"; then
    echo "$root still has mounts; not removed" >&2
  else
    rm -rf --one-file-system "$root"
  fi
}

# The end of a check: the root goes (or stays for a look with
# ZARVEX_KEEP_CLEAN_ROOT=1, unmounted), and so does the scratch folder.
finish_root() {
  if [ "${ZARVEX_KEEP_CLEAN_ROOT:-0}" = 1 ]; then
    unmount_root
    say "the root stays in $root"
  else
    remove_root
  fi
  rm -rf "$work"
}

# Starts Xvfb (WIDTHxHEIGHT) on a free display with openbox, sets DISPLAY,
# xvfb_pid and wm_pid. The server listens on Linux's abstract socket too,
# which the root's programs reach without sharing /tmp.
start_x() {
  local size=$1 n display=""
  for n in $(seq 90 140); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=":$n"; break; fi
  done
  [ -n "$display" ] || fail "no free X display number"
  Xvfb "$display" -screen 0 "${size}x24" -nolisten tcp >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do DISPLAY=$display xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.2; done
  DISPLAY=$display openbox >"$work/openbox.log" 2>&1 &
  wm_pid=$!
  export DISPLAY=$display
  sleep 1
}
