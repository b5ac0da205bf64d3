#!/usr/bin/env bash
# The main job on the shipped sample configuration: set up, build, compile
# the library file and the sample user file into qxgssconfig.bin, and show
# the result.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh >/dev/null
cmake --preset native >/dev/null
cmake --build --preset native -j "$(nproc)" >/dev/null

out=build/demo
mkdir -p "$out"
echo "\$ qxgssconfig config/QxgssLibConfigFile.xml config/QxgssUserConfigFile.xml $out/qxgssconfig.bin"
build/native/qxgssconfig/qxgssconfig config/QxgssLibConfigFile.xml config/QxgssUserConfigFile.xml "$out/qxgssconfig.bin"
echo "(exit status $?)"
echo
echo "The compiled file, $(wc -c <"$out/qxgssconfig.bin") bytes; its header:"
od -A d -t d4 -N 44 "$out/qxgssconfig.bin"
echo
if [ -x build/native/framework/config/qxgssdump ]; then
  echo "\$ qxgssdump $out/qxgssconfig.bin   (what the framework will read)"
  build/native/framework/config/qxgssdump "$out/qxgssconfig.bin"
fi

if [ -x scripts/demo-dirscout.sh ] && [ -x build/native/tools/dirscout/dirscout ]; then
  echo
  scripts/demo-dirscout.sh build/native/tools/dirscout/dirscout "$out/qxgssconfig.bin"
fi

# A negotiation end to end on the compiled file: a throwaway Kerberos realm,
# qxserver and qxclient over loopback TCP (the client uses single sign-on, so
# QXNEGO selects the mechanism whose default credential names a user), and
# the negotiation log of each side.
server=build/native/examples/bin/qxserver
client=build/native/examples/bin/qxclient
if [ -x "$server" ] && [ -x "$client" ] && [ -e build/native/mechanisms/krb5/libgssp2qxkrb5.so ]; then
  realm=$PWD/$out/realm
  scripts/test-realm.sh stop "$realm" >/dev/null 2>&1 || true
  echo
  echo "\$ scripts/test-realm.sh start $realm"
  env_lines=$(scripts/test-realm.sh start "$realm")
  echo "$env_lines"
  trap 'scripts/test-realm.sh stop "$realm" >/dev/null 2>&1 || true' EXIT
  while IFS= read -r line; do export "$line"; done <<<"$env_lines"
  libs=build/native/gssp2qxnego:build/native/mechanisms:build/native/mechanisms/krb5
  "$server" --config "$out/qxgssconfig.bin" --libs "$libs" --port 0 --once --show-log >"$out/server.out" 2>&1 &
  server_pid=$!
  for _ in $(seq 50); do grep -q '^listening on' "$out/server.out" 2>/dev/null && break; sleep 0.1; done
  port=$(sed -n 's/^listening on \([0-9]*\)$/\1/p' "$out/server.out")
  echo
  echo "\$ qxclient --config $out/qxgssconfig.bin --libs $libs --port $port --message 'hello from the demo' --show-log"
  status=0
  "$client" --config "$out/qxgssconfig.bin" --libs "$libs" --port "$port" --message "hello from the demo" --show-log ||
    status=$?
  echo "(exit status $status)"
  wait "$server_pid" || echo "(qxserver failed)"
  echo
  echo "qxserver --config $out/qxgssconfig.bin --libs $libs --port 0 --once --show-log printed:"
  cat "$out/server.out"
fi
