#!/usr/bin/env bash
# scripts/test-realm.sh on its own: a realm starts and stops well under a
# second each, a start that fails part way leaves no KDC and no directory,
# and the script refuses directories that are not its own.
#   test_realm_test.sh SCRIPT
set -euo pipefail
script=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# The krb5kdc processes started on a realm directory's profile.
kdcs_of() {
    local env pid
    for env in /proc/[0-9]*/environ; do
        pid=${env#/proc/}; pid=${pid%/environ}
        [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = krb5kdc ] || continue
        [ "$(awk '{print $3}' "/proc/$pid/stat" 2>/dev/null)" != Z ] || continue
        if tr '\0' '\n' <"$env" 2>/dev/null | grep -qxF "KRB5_KDC_PROFILE=$1/kdc.conf"; then echo "$pid"; fi
    done
}

ms() { echo $(( ($(date +%s%N) - $1) / 1000000 )); }

# Start, use, stop.
realm=$work/realm
t=$(date +%s%N)
out=$("$script" start "$realm")
start_ms=$(ms "$t")
for line in "KRB5_CONFIG=$realm/krb5.conf" "KRB5CCNAME=FILE:$realm/ccache" "KRB5_KTNAME=FILE:$realm/server.keytab"; do
    grep -qxF "$line" <<<"$out" || fail "start printed no line $line: $out"
done
grep -q '127\.0\.0\.1:' "$realm/kdc.conf" || fail "KDC not bound to 127.0.0.1"
if grep -E 'kdc_(tcp_)?listen' "$realm/kdc.conf" | grep -v '127\.0\.0\.1:'; then fail "KDC listens beyond 127.0.0.1"; fi
KRB5_CONFIG=$realm/krb5.conf KRB5CCNAME=FILE:$realm/ccache klist -s || fail "no ticket in the realm's cache"
[ -n "$(kdcs_of "$realm")" ] || fail "no KDC running"
t=$(date +%s%N)
"$script" stop "$realm"
stop_ms=$(ms "$t")
[ ! -e "$realm" ] || fail "stop left $realm"
[ -z "$(kdcs_of "$realm")" ] || fail "stop left the KDC running"
echo "start ${start_ms} ms, stop ${stop_ms} ms"
[ "$start_ms" -lt 1000 ] && [ "$stop_ms" -lt 1000 ] || fail "start ${start_ms} ms / stop ${stop_ms} ms: not under a second"

# A start that fails after the KDC is up (kinit refused) cleans up.
mkdir "$work/bin"
printf '#!/bin/sh\nexit 1\n' >"$work/bin/kinit"
chmod +x "$work/bin/kinit"
broken=$work/broken
if PATH="$work/bin:$PATH" "$script" start "$broken" >/dev/null 2>&1; then fail "start succeeded without kinit"; fi
[ ! -e "$broken" ] || fail "failed start left $broken"
[ -z "$(kdcs_of "$broken")" ] || fail "failed start left a KDC running"

# Directories that are not the script's own are left alone.
mkdir "$work/other"
touch "$work/other/keep"
if "$script" start "$work/other" >/dev/null 2>&1; then fail "start took a non-empty directory"; fi
if "$script" stop "$work/other" >/dev/null 2>&1; then fail "stop took a directory it did not make"; fi
[ -e "$work/other/keep" ] || fail "a foreign directory lost its file"
if "$script" restart "$realm" >/dev/null 2>&1; then fail "an unknown command was accepted"; fi
echo "test-realm.sh behaves"
