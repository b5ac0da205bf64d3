#!/usr/bin/env bash
# Lays out a sample client installation in a temporary folder and shows what
# dirscout answers from it.
#
#   scripts/demo-dirscout.sh [dirscout] [qxgssconfig.bin]     (either order)
#
# dirscout: the built program (default build/native/tools/dirscout/dirscout);
# a dirscout.exe runs under Wine in the prefix of its build folder, where the
# registry value is set in the 32-bit view and removed again afterwards.
# qxgssconfig.bin: the compiler's output to install (default: a small dummy).
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
program=$here/build/native/tools/dirscout/dirscout
bin_file=
for arg in "$@"; do
  case "$(basename -- "$arg")" in
    dirscout | dirscout.exe) program=$arg ;;
    *) bin_file=$arg ;;
  esac
done
user_file=$here/config/QxgssUserConfigFile.xml

[ -x "$program" ] || [ -f "$program" ] || { echo "demo-dirscout: no dirscout at $program" >&2; exit 1; }
[ -f "$user_file" ] || { echo "demo-dirscout: no user file at $user_file" >&2; exit 1; }
[ -z "$bin_file" ] || [ -f "$bin_file" ] || { echo "demo-dirscout: no binary file at $bin_file" >&2; exit 1; }

root=$(mktemp -d "${TMPDIR:-/tmp}/dirscout-demo.XXXXXX")
windows=no
case "$program" in *.exe) windows=yes ;; esac

cleanup() {
  if [ "$windows" = yes ]; then
    "$here/cmake/wine-run.sh" reg delete 'HKLM\Software\Corvane' /f /reg:32 >/dev/null 2>&1 || true
  fi
  rm -rf "$root"
}
trap cleanup EXIT

# The installation:
#   Corvane/bin/dirscout, Corvane/bin/qxclientdir -> ../Client (relative)
#   Corvane/Client/15.10/nimbral/etc/qxgssconfig.bin
#   DestPath Corvane/Inst/Client -> Corvane/Inst/etc/site/QxgssUserConfigFile.xml
inst=$root/Corvane
mkdir -p "$inst/bin" "$inst/Client/15.10/nimbral/etc" "$inst/Client/15.10/bin" "$inst/Inst/Client" "$inst/Inst/etc/site"
cp "$program" "$inst/bin/"
exe=$inst/bin/$(basename "$program")
cp "$user_file" "$inst/Inst/etc/site/QxgssUserConfigFile.xml"
if [ -n "$bin_file" ]; then
  cp "$bin_file" "$inst/Client/15.10/nimbral/etc/qxgssconfig.bin"
else
  printf 'QXCF dummy binary configuration\n' > "$inst/Client/15.10/nimbral/etc/qxgssconfig.bin"
fi

run=()
if [ "$windows" = yes ]; then
  printf '..\\Client' > "$inst/bin/qxclientdir"
  build=$(cd "$(dirname "$program")" && pwd)
  while [ "$build" != / ] && [ ! -f "$build/CMakeCache.txt" ]; do build=$(dirname "$build"); done
  export WINEPREFIX=$build/wineprefix
  dest="Z:$(printf '%s' "$inst/Inst/Client" | tr / '\\')"
  "$here/cmake/wine-run.sh" reg add 'HKLM\Software\Corvane\Client\15.10\Corvane Client' \
    /v DestPath /t REG_SZ /d "$dest" /reg:32 /f >/dev/null
  run=("$here/cmake/wine-run.sh")
else
  printf '../Client' > "$inst/bin/qxclientdir"
  key="$root/registry/HKEY_LOCAL_MACHINE/32bit/Software/Corvane/Client/15.10/Corvane Client"
  mkdir -p "$key"
  printf '%s\0' "$inst/Inst/Client" > "$key/DestPath"
  export QX_REGISTRY_ROOT=$root/registry
fi

ask() { "${run[@]}" "$exe" "$@" | tr -d '\r'; }

echo "Sample client installation in $inst"
echo "  qxclientdir beside the program: $(cat "$inst/bin/qxclientdir")"
echo
echo "dirscout -c -s -v -e -b -l -y -z, answer by answer:"
printf '  %-36s %s\n' "client directory (-c):" "$(ask -c)"
printf '  %-36s %s\n' "persistent site directory (-s):" "$(ask -s)"
printf '  %-36s %s\n' "short version directory (-v):" "$(ask -v)"
printf '  %-36s %s\n' "local ETC directory (-e):" "$(ask -e)"
printf '  %-36s %s\n' "local BIN directory (-b):" "$(ask -b)"
printf '  %-36s %s\n' "long version (-l):" "$(ask -l)"
user_time=$(ask -y | tr -d '\n')
bin_time=$(ask -z | tr -d '\n')
printf '  %-36s %s\n' "QxgssUserConfigFile.xml time (-y):" "$user_time"
printf '  %-36s %s\n' "qxgssconfig.bin time (-z):" "$bin_time"
echo
echo "All at once, as a script captures it (unlabelled, run together):"
ask -c -s -v -e -b -l -y -z | sed 's/^/  | /'
echo
if [ "$user_time" -gt "$bin_time" ]; then
  echo "The user file changed after the binary file was built: run qxgssconfig again."
else
  echo "The binary file is up to date with the user file."
fi
