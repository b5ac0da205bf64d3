#!/usr/bin/env bash
# A throwaway Kerberos realm for tests, on 127.0.0.1 only.
#
#   test-realm.sh start DIR   creates DIR (which must not exist or be empty):
#                             its own krb5.conf and kdc.conf, the database and
#                             stash, the user alice (password below) and the
#                             service host/localhost (random key, exported to
#                             DIR/server.keytab); starts krb5kdc on a free port,
#                             gets alice's ticket into DIR/ccache, and prints
#                             the environment lines a test exports.
#   test-realm.sh stop DIR    stops the KDC of DIR by its pid file and removes DIR.
#
# Nothing outside DIR is read or written (KRB5_CONFIG and KRB5_KDC_PROFILE
# point into DIR for every tool). When start fails part way it stops the KDC
# it started and removes DIR, and exits non-zero.
set -euo pipefail

readonly REALM=QXTEST.LOCAL
readonly USER_NAME=alice
readonly USER_PASSWORD='alice-Test-Pw-1'
readonly SERVICE=host/localhost
readonly MASTER_PASSWORD='qxtest-master-key'
readonly MARKER=.qx-test-realm

die() { echo "test-realm.sh: $*" >&2; exit 1; }

usage() { die "usage: test-realm.sh start|stop DIR"; }

# The pid in DIR/kdc.pid when it is a running krb5kdc, else nothing.
kdc_pid() {
    local dir=$1 pid
    [ -s "$dir/kdc.pid" ] || return 0
    pid=$(tr -dc 0-9 <"$dir/kdc.pid")
    [ -n "$pid" ] || return 0
    if [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = krb5kdc ] && running "$pid"; then echo "$pid"; fi
}

# A process that has exited but is not yet reaped (its parent is init) counts
# as gone.
running() {
    local state
    state=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null) || return 1
    [ -n "$state" ] && [ "$state" != Z ] && [ "$state" != X ]
}

# A krb5kdc started on DIR's profile that wrote no pid file (yet).
kdc_by_profile() {
    local dir=$1 env
    for env in /proc/[0-9]*/environ; do
        local pid=${env#/proc/}
        pid=${pid%/environ}
        [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = krb5kdc ] || continue
        if tr '\0' '\n' <"$env" 2>/dev/null | grep -qxF "KRB5_KDC_PROFILE=$dir/kdc.conf"; then
            running "$pid" && echo "$pid"
        fi
    done
    return 0
}

# Stops the KDC of DIR: the one in its pid file, else any started on DIR's
# profile that wrote none.
stop_kdc() {
    local dir=$1 pids pid i
    pids=$(kdc_pid "$dir")
    [ -n "$pids" ] || pids=$(kdc_by_profile "$dir")
    for pid in $pids; do kill -TERM "$pid" 2>/dev/null || true; done
    for pid in $pids; do
        for i in $(seq 1 200); do
            running "$pid" || break
            sleep 0.01
        done
        if running "$pid"; then kill -KILL "$pid" 2>/dev/null || true; fi
    done
}

# Whether process PID alone holds PORT (TCP and UDP); krb5kdc shares a
# port with another listener without complaint.
sole_owner() {
    local owners
    owners=$(ss -Hlnutp "sport = :$2" 2>/dev/null | grep -o 'pid=[0-9]*' | sort -u) || return 1
    [ "$owners" = "pid=$1" ]
}

# A port that no TCP or UDP socket holds at the moment.
pick_port() {
    local port hex i
    for i in $(seq 1 50); do
        port=$(( 20000 + (RANDOM * 32768 + RANDOM) % 40000 ))
        hex=$(printf ':%04X ' "$port")
        if ! cat /proc/net/tcp /proc/net/tcp6 /proc/net/udp /proc/net/udp6 2>/dev/null |
            awk '{print $2}' | grep -q "${hex% }\$"; then
            echo "$port"
            return 0
        fi
    done
    die "no free port found"
}

write_config() {
    local dir=$1 port=$2
    cat >"$dir/krb5.conf" <<EOF
[libdefaults]
    default_realm = $REALM
    dns_lookup_kdc = false
    dns_lookup_realm = false
    dns_canonicalize_hostname = false
    rdns = false
    udp_preference_limit = 1
    kdc_timeout = 2000
    max_retries = 1

[realms]
    $REALM = {
        kdc = 127.0.0.1:$port
    }

[domain_realm]
    localhost = $REALM
EOF
    cat >"$dir/kdc.conf" <<EOF
[kdcdefaults]
    kdc_listen = 127.0.0.1:$port
    kdc_tcp_listen = 127.0.0.1:$port

[realms]
    $REALM = {
        database_name = $dir/principal
        key_stash_file = $dir/stash
        acl_file = $dir/kadm5.acl
        admin_keytab = FILE:$dir/kadm5.keytab
        kdc_listen = 127.0.0.1:$port
        kdc_tcp_listen = 127.0.0.1:$port
        max_life = 1h
        supported_enctypes = aes256-cts-hmac-sha1-96:normal aes128-cts-hmac-sha1-96:normal
    }

[logging]
    kdc = FILE:$dir/kdc.log
    admin_server = FILE:$dir/kadmin.log
    default = FILE:$dir/krb5.log
EOF
}

start() {
    local dir=$1
    if [ -e "$dir" ] && [ -n "$(ls -A "$dir" 2>/dev/null)" ]; then die "$dir exists and is not empty"; fi
    mkdir -p "$dir"
    dir=$(cd "$dir" && pwd)
    : >"$dir/$MARKER"
    # From here on a failure (or a signal) leaves nothing behind.
    trap 'exit 1' INT TERM HUP
    trap 'stop_kdc "'"$dir"'"; rm -rf "'"$dir"'"' EXIT

    export KRB5_CONFIG="$dir/krb5.conf" KRB5_KDC_PROFILE="$dir/kdc.conf"
    export KRB5CCNAME="FILE:$dir/ccache" KRB5_KTNAME="FILE:$dir/server.keytab"
    local port
    port=$(pick_port)
    write_config "$dir" "$port"
    : >"$dir/kadm5.acl"

    kdb5_util -r "$REALM" -P "$MASTER_PASSWORD" create -s >"$dir/setup.log" 2>&1 ||
        die "kdb5_util create failed: $(cat "$dir/setup.log")"
    kadmin.local -r "$REALM" >>"$dir/setup.log" 2>&1 <<EOF || die "kadmin.local failed: $(cat "$dir/setup.log")"
addprinc -pw $USER_PASSWORD $USER_NAME@$REALM
addprinc -randkey $SERVICE@$REALM
ktadd -k $dir/server.keytab $SERVICE@$REALM
EOF
    [ -s "$dir/server.keytab" ] || die "no service keytab: $(cat "$dir/setup.log")"

    # krb5kdc binds without complaint to a port another process took after
    # the check above: a KDC that does not hold its port is stopped and the
    # realm moves to another port. Once forked, the daemon writes its pid
    # file a moment later.
    local attempt wait pid=
    for attempt in 1 2 3 4 5; do
        if krb5kdc -P "$dir/kdc.pid" >>"$dir/setup.log" 2>&1; then
            for wait in $(seq 1 200); do
                pid=$(kdc_pid "$dir")
                [ -z "$pid" ] || break
                sleep 0.01
            done
            [ -n "$pid" ] && sole_owner "$pid" "$port" && break
        fi
        stop_kdc "$dir"
        rm -f "$dir/kdc.pid"
        pid=
        [ "$attempt" -lt 5 ] || die "krb5kdc did not start: $(cat "$dir/setup.log" "$dir/kdc.log" 2>/dev/null)"
        port=$(pick_port)
        write_config "$dir" "$port"
    done

    # The KDC answers once its pid file is written; a few quick tries cover
    # a slow start.
    local tries
    for tries in 1 2 3 4 5; do
        if printf '%s\n' "$USER_PASSWORD" | kinit "$USER_NAME@$REALM" >>"$dir/setup.log" 2>&1; then break; fi
        [ "$tries" -lt 5 ] || die "kinit failed: $(cat "$dir/setup.log")"
        sleep 0.05
    done

    trap - EXIT INT TERM HUP
    echo "KRB5_CONFIG=$dir/krb5.conf"
    echo "KRB5_KDC_PROFILE=$dir/kdc.conf"
    echo "KRB5CCNAME=FILE:$dir/ccache"
    echo "KRB5_KTNAME=FILE:$dir/server.keytab"
    echo "KRB5RCACHENAME=file2:$dir/replay.rcache2"
    echo "QX_KRB5_REALM=$REALM"
    echo "QX_KRB5_USER=$USER_NAME@$REALM"
    echo "QX_KRB5_PASSWORD=$USER_PASSWORD"
}

stop() {
    local dir=$1
    [ -d "$dir" ] || return 0
    # Only a directory this script made is removed.
    [ -e "$dir/$MARKER" ] || die "$dir is not a test realm"
    stop_kdc "$dir"
    rm -rf "$dir"
}

[ $# -eq 2 ] || usage
case $1 in
    start) start "$2" ;;
    stop) stop "$2" ;;
    *) usage ;;
esac
