#!/usr/bin/env bash
# Prints the addresses of the Debian archive that this machine's own apt
# sources name (deb lines of sources.list and sources.list.d/*.list, URIs of
# sources.list.d/*.sources), one a line; the security archive and other
# archives are left out. Prints nothing when there is none.
set -euo pipefail
{
  grep -h -E '^URIs:' /etc/apt/sources.list.d/*.sources 2>/dev/null | sed 's/^URIs:[[:space:]]*//' || true
  grep -h -E '^[[:space:]]*deb[[:space:]]' /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
    sed -E 's/^[[:space:]]*deb[[:space:]]+(\[[^]]*\][[:space:]]+)?//' | awk '{print $1}' || true
} | tr ' ' '\n' | grep -E '/debian/?$' | sort -u || true
