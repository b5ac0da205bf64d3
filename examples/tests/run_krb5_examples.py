#!/usr/bin/env python3
"""qxserver and qxclient negotiating QXNEGO over loopback TCP with the
Kerberos adapter and a test mechanism configured, in a throwaway realm that
this driver starts (scripts/test-realm.sh) and stops.

Cases:
  single sign-on         no credential: Kerberos names the cache's principal
  rank                   logon data, the test mechanism first by rank
  policy                 the same, but alice may use Kerberos only
  no Kerberos ticket     an empty cache: Kerberos leaves, the test mechanism wins
  no ticket, no logon    nothing is left: both sides fail cleanly
"""
import argparse
import os
import subprocess
import sys

import run_examples as rx

ALICE = "alice@QXTEST.LOCAL"


def start_realm(script, folder):
    # A realm left by an interrupted run is stopped first.
    subprocess.run([script, "stop", folder], capture_output=True)
    out = subprocess.run([script, "start", folder], check=True, capture_output=True, text=True).stdout
    env = dict(line.split("=", 1) for line in out.splitlines() if "=" in line)
    os.environ.update(env)
    return env


def programs(options, config):
    o = argparse.Namespace(**vars(options))
    o.config = config
    o.emulator = ""
    o.wineprefix = ""
    return rx.Programs(o)


def negotiate(p, client_args, show_log=True):
    server, port = p.start_server(["--once", "--show-log"] if show_log else ["--once"])
    client = p.run_client(port, client_args + (["--show-log"] if show_log else []))
    return client, rx.finish(server)


def expect_selected(name, client, served, mechanism, peer_name, message):
    rx.expect_success(name + " (client)", client)
    rx.expect_success(name + " (server)", served)
    c_out, s_out = client[1], served[1]
    line = "selected mechanism: %s\n" % mechanism
    rx.expect(c_out.startswith(line), "%s: client output %r" % (name, c_out[:200]))
    rx.expect(s_out.startswith(line), "%s: server output %r" % (name, s_out[:200]))
    rx.expect(("\nclient: %s\n" % peer_name) in s_out, "%s: server names the client wrongly: %r" % (name, s_out[:200]))
    rx.expect(("\nreceived: %s\n" % message) in s_out, "%s: the server did not receive the message" % name)
    rx.expect(("\nreply: reply to: %s\n" % message) in c_out, "%s: the client did not get the reply" % name)
    rx.expect(("\nMIC verified: %s\n" % message) in s_out, "%s: the server did not verify the MIC" % name)
    return c_out, s_out


def run(options):
    env = start_realm(options.realm_script, os.path.join(os.path.abspath(options.work), "realm"))
    try:
        rx.case("single sign-on")
        p = programs(options, options.krb5_config)
        c_out, s_out = expect_selected("single sign-on", *negotiate(p, ["--message", "over kerberos"]),
                                       "QXKRB5", ALICE, "over kerberos")
        problem = rx.in_order(s_out, ["QXNEGO_INT_Mechs_Accept_Contexts: Mechanism established context",
                                      "QXNEGO_INT_SelectMechanism: A mechanism has been selected"])
        rx.expect(problem is None, "single sign-on: server log: %s" % problem)
        problem = rx.in_order(c_out, ["QXNEGO_INT_SetAuthInfo: Could not get Authentication ID for SSO",
                                      "QXNEGO_INT_Mechs_Init_Contexts: Mechanism established context"])
        rx.expect(problem is None, "single sign-on: client log (the test mechanism names nobody): %s" % problem)

        rx.case("rank")
        p = programs(options, options.rank_config)
        expect_selected("rank", *negotiate(p, ["--logon", ALICE, "--message", "by rank"]), "TESTA", ALICE, "by rank")

        rx.case("policy")
        p = programs(options, options.policy_config)
        _, s_out = expect_selected("policy", *negotiate(p, ["--logon", ALICE, "--message", "by policy"]),
                                   "QXKRB5", ALICE, "by policy")
        problem = rx.in_order(s_out, ["QXNEGO_INT_Apply_Policy_Info: Mechanism disallowed due to policy",
                                      "QXNEGO_INT_Apply_Policy_Info: Mechanism Policy has been applied "
                                      "(non-empty policy)"])
        rx.expect(problem is None, "policy: server log: %s" % problem)

        os.environ["KRB5CCNAME"] = "FILE:" + os.path.join(os.path.abspath(options.work), "realm", "no-such-cache")
        rx.case("no Kerberos ticket")
        p = programs(options, options.krb5_config)
        c_out, _ = expect_selected("no ticket", *negotiate(p, ["--logon", ALICE, "--message", "no ticket"]),
                                   "TESTA", ALICE, "no ticket")
        problem = rx.in_order(c_out, ["QXNEGO_INT_Mechs_Acquire_Creds: acquire_cred failed for mechanism"])
        rx.expect(problem is None, "no ticket: client log: %s" % problem)

        rx.case("no ticket, no logon")
        p = programs(options, options.krb5_config)
        client, served = negotiate(p, [], show_log=False)
        rx.expect_clean_failure("no ticket, no logon (client)", client, r"^qxclient: error: .*0xE3000406")
        rx.expect_clean_failure("no ticket, no logon (server)", served, r"^qxserver: error: ")
        os.environ["KRB5CCNAME"] = env["KRB5CCNAME"]
    finally:
        subprocess.run([options.realm_script, "stop", os.path.join(os.path.abspath(options.work), "realm")])


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    for name in ("server", "client", "libs", "work", "realm-script", "krb5-config", "rank-config", "policy-config"):
        parser.add_argument("--" + name, required=True)
    options = parser.parse_args()
    try:
        run(options)
    except rx.Failure as e:
        print("FAILED: %s" % e, file=sys.stderr)
        return 1
    print("krb5: all cases passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
