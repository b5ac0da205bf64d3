#!/usr/bin/env bash
# Times the whole compiler run on the shipped pair against xmllint validating
# the same two files against the same schema, side by side in one run, and
# prints the ratio (goal: no slower than xmllint).
#   bench/compiler_vs_xmllint.sh [QXGSSCONFIG] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
program=${1:-build/native/qxgssconfig/qxgssconfig}
runs=${2:-200}
lib=config/QxgssLibConfigFile.xml
user=config/QxgssUserConfigFile.xml
schema=config/QxgssConfigFile.xsd
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

now() { date +%s%N; }
time_loop() {  # command... ; prints mean microseconds per run
  local start end i
  start=$(now)
  for ((i = 0; i < runs; i++)); do "$@" >/dev/null 2>&1; done
  end=$(now)
  echo $(( (end - start) / runs / 1000 ))
}

# Warm the page cache and check both tools accept the files.
"$program" "$lib" "$user" "$out/q.bin" >/dev/null
xmllint --noout --schema "$schema" "$lib" "$user" 2>/dev/null

# Interleave rounds so that both see the same machine state.
q=0; x=0; s=0
for round in 1 2 3; do
  q=$((q + $(time_loop "$program" "$lib" "$user" "$out/q.bin")))
  x=$((x + $(time_loop xmllint --noout --schema "$schema" "$lib" "$user")))
  s=$((s + $(time_loop "$program")))
done
q=$((q / 3)); x=$((x / 3)); s=$((s / 3))
echo "qxgssconfig (parse, validate, merge, check, write): ${q} us per run"
echo "xmllint --noout --schema (validate only):           ${x} us per run"
echo "qxgssconfig start-up only (usage line):            ${s} us per run ($(ldd "$program" | wc -l) shared libraries)"
awk -v q="$q" -v x="$x" -v s="$s" 'BEGIN {
  printf "ratio qxgssconfig / xmllint: %.2f\n", q / x
  printf "ratio without the start-up:  %.2f\n", (q - s) / x }'
