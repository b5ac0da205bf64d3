#!/usr/bin/env bash
# Black-box driver of qxgssdump: runs the built program once per row of a
# case table, inside the fixtures folder (so file arguments are relative,
# as a Windows program under the emulator needs them), and compares
# standard output, standard error and exit status exactly.
#
#   run_dump_cases.sh PROGRAM CASES_TSV FIXTURES [EMULATOR...]
#
# Row columns, tab-separated (lines starting with # are comments):
#   name  arguments  status  stdout  stderr
# stdout and stderr are written with the escapes \n, \t and \\, "~" for
# nothing; "@FILE" means the bytes of the fixture FILE.
set -u
program=$1; cases=$2; fixtures=$3; shift 3
emulator=("$@")

expected() {
  case "$1" in
    "~") ;;
    @*) cat "$fixtures/${1#@}" ;;
    *) printf '%b' "$1" ;;
  esac
}

pass=0; fail=0
out=$(mktemp "${TMPDIR:-/tmp}/qxdump.out.XXXXXX"); err=$(mktemp "${TMPDIR:-/tmp}/qxdump.err.XXXXXX")
trap 'rm -f "$out" "$err"' EXIT
while IFS=$'\t' read -r name args status want_out want_err; do
  [ -z "$name" ] || [ "${name:0:1}" = "#" ] && continue
  argv=(); [ "$args" = "~" ] || read -ra argv <<<"$args"
  (cd "$fixtures" && "${emulator[@]}" "$program" "${argv[@]}" >"$out" 2>"$err" </dev/null)
  got_status=$?
  problems=()
  [ "$got_status" = "$status" ] || problems+=("status $got_status, expected $status")
  cmp -s "$out" <(expected "$want_out") ||
    problems+=("stdout differs:"$'\n'"$(diff <(expected "$want_out") "$out" | head -20)")
  cmp -s "$err" <(expected "$want_err") ||
    problems+=("stderr differs:"$'\n'"$(diff <(expected "$want_err") "$err" | head -20)")
  if [ ${#problems[@]} -eq 0 ]; then
    pass=$((pass + 1))
  else
    fail=$((fail + 1)); echo "FAIL $name"; printf '  %s\n' "${problems[@]}"
  fi
done < "$cases"
echo "$pass passed, $fail failed"
[ "$fail" -eq 0 ] && [ "$pass" -gt 0 ]
