#!/usr/bin/env bash
# Establishment with Kerberos underneath: QXNEGO over the Kerberos adapter
# against the Kerberos mechanism and the library's own negotiation, in a
# throwaway realm (stopped whatever happens). Run from scripts/bench.sh
# (native preset built).
set -euo pipefail
cd "$(dirname "$0")/.."
bench=build/native/bench/kerberos_bench
[ -x "$bench" ] || { echo "kerberos.sh: $bench not built (Linux with Kerberos only)"; exit 0; }
realm=$(mktemp -d)
rmdir "$realm"
trap 'scripts/test-realm.sh stop "$realm" >/dev/null 2>&1 || true' EXIT
while IFS= read -r line; do export "$line"; done < <(scripts/test-realm.sh start "$realm")
# The same replay cache setting for all three: none, so that no disk write
# is timed.
export KRB5RCACHENAME=none:
libs=build/native/gssp2qxnego:build/native/mechanisms:build/native/mechanisms/krb5
echo "== QXNEGO negotiating Kerberos alone (bench/kerberos/kerberos.bin)"
"$bench" bench/kerberos/kerberos.bin "$libs" "${1:-2000}"
echo "== QXNEGO negotiating Kerberos and a test mechanism (mechanisms/krb5/tests/fixtures/krb5.bin)"
"$bench" mechanisms/krb5/tests/fixtures/krb5.bin "$libs" "${1:-2000}"
