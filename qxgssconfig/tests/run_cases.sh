#!/usr/bin/env bash
# Black-box driver: runs the built compiler once per row of a case table and
# compares standard output, standard error, exit status and the output file
# exactly.
#
#   run_cases.sh PROGRAM CASES_TSV FIXTURE_ROOT SCHEMA [EMULATOR...]
#
# Row columns, tab-separated (lines starting with # are comments):
#   name  fixture  arguments  status  stdout  stderr  output
# stdout and stderr are written with the escapes \n, \t and \\, "~" for
# nothing (empty fields can't be told apart in tab-separated rows); "@DIR@"
# stands for the case's working directory, in which the program runs on a
# fresh copy of the fixture folder. The schema is copied into the working
# directory unless the fixture holds a file "schema.at" listing the
# directories (relative, one a line; none for no schema) to copy it to.
# output: "-" no check; "none" out.bin must not exist; "unchanged" out.bin
# must still equal the fixture's out.bin; "golden:FILE" out.bin must equal
# the hex dump in FILE (od -An -tx1 -v format); "same:CASE" equal to the
# output of an earlier row. A row also fails when a temporary file is left.
set -u
program=$1; cases=$2; fixtures=$3; schema=$4; shift 4
emulator=("$@")

decode() { [ "$1" = "~" ] || printf '%b' "$1"; }
hexdump_of() { od -An -tx1 -v "$1" | tr -s ' \n' ' ' | sed 's/^ //;s/ $//'; }

# Rewrites the working directory in the program's output as @DIR@, in its
# native form and in the drive form a Windows program sees it in.
normalize() {
  DIR="$1" perl -0pe '
    my $d = $ENV{DIR}; (my $w = $d) =~ tr{/}{\\};
    s{\QZ:$w\E((?:\\[^\\"\s:]*)*)}{my $r=$1; $r =~ tr{\\}{/}; "\@DIR\@$r"}ge;
    s{\QZ:$d\E}{\@DIR\@}g; s{\Q$d\E}{\@DIR\@}g;'
}

pass=0; fail=0
declare -A outputs
while IFS=$'\t' read -r name fixture args status out err check; do
  [ -z "$name" ] || [ "${name:0:1}" = "#" ] && continue
  work=$(mktemp -d "${TMPDIR:-/tmp}/qxcase.XXXXXX")
  # A fixture may be several folders joined by "+", copied in order.
  if [ "$fixture" != "-" ]; then
    IFS=+ read -ra parts <<<"$fixture"
    for part in "${parts[@]}"; do cp -r "$fixtures/$part/." "$work/"; done
  fi
  if [ -f "$work/schema.at" ]; then
    while read -r d; do [ -n "$d" ] && mkdir -p "$work/$d" && cp "$schema" "$work/$d/"; done < "$work/schema.at"
    rm "$work/schema.at"
  else
    cp "$schema" "$work/"
  fi
  before=$(cd "$work" && find . -type f | sort)
  argv=(); [ "$args" = "~" ] || eval "argv=($args)"
  (cd "$work" && "${emulator[@]}" "$program" "${argv[@]}" >"$work/.stdout" 2>"$work/.stderr" </dev/null)
  got_status=$?
  problems=()
  [ "$got_status" = "$status" ] || problems+=("status $got_status, expected $status")
  if ! cmp -s <(normalize "$work" <"$work/.stdout") <(decode "$out"); then
    problems+=("stdout differs:"$'\n'"$(diff <(decode "$out") <(normalize "$work" <"$work/.stdout") | head -20)")
  fi
  if ! cmp -s <(normalize "$work" <"$work/.stderr") <(decode "$err"); then
    problems+=("stderr differs:"$'\n'"$(diff <(decode "$err") <(normalize "$work" <"$work/.stderr") | head -20)")
  fi
  case "$check" in
    -) ;;
    none) [ ! -e "$work/out.bin" ] || problems+=("out.bin was written") ;;
    unchanged) cmp -s "$work/out.bin" "$fixtures/${fixture##*+}/out.bin" || problems+=("out.bin changed") ;;
    contains:*)
      # contains:HEX|HEX... the output holds one of the byte strings (the
      # local code page differs between platforms).
      hex=$(hexdump_of "$work/out.bin" 2>/dev/null | tr -d ' ')
      found=0; IFS='|' read -ra wants <<<"${check#contains:}"
      for want in "${wants[@]}"; do [[ "$hex" == *"$want"* ]] && found=1; done
      [ "$found" = 1 ] || problems+=("out.bin lacks ${check#contains:}") ;;
    golden:*)
      if [ ! -f "$work/out.bin" ]; then problems+=("out.bin missing")
      elif [ "$(hexdump_of "$work/out.bin")" != "$(tr -s ' \n' ' ' <"$fixtures/${check#golden:}" | sed 's/^ //;s/ $//')" ]; then
        problems+=("out.bin differs from ${check#golden:}")
      fi ;;
    same:*)
      if [ "$(hexdump_of "$work/out.bin" 2>/dev/null)" != "${outputs[${check#same:}]:-missing}" ]; then
        problems+=("out.bin differs from the output of ${check#same:}")
      fi ;;
    *) problems+=("unknown output check '$check'") ;;
  esac
  [ -f "$work/out.bin" ] && outputs[$name]=$(hexdump_of "$work/out.bin")
  after=$(cd "$work" && find . -type f ! -name .stdout ! -name .stderr ! -name out.bin | sort)
  leftover=$(comm -13 <(echo "$before") <(echo "$after"))
  [ -z "$leftover" ] || problems+=("files left behind: $leftover")
  if [ ${#problems[@]} -eq 0 ]; then
    pass=$((pass + 1)); rm -rf "$work"
  else
    fail=$((fail + 1))
    echo "FAIL $name (kept in $work)"; printf '  %s\n' "${problems[@]}"
  fi
done < "$cases"
echo "$pass passed, $fail failed"
[ "$fail" -eq 0 ]
