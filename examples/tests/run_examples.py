#!/usr/bin/env python3
"""End-to-end tests of qxserver and qxclient over loopback TCP.

Each group is a table of cases run against the built programs: natively
directly, for Windows under Wine through the emulator. The programs run in
their own folder, so that the configuration and library paths given to them
may be relative (as Windows programs under Wine need them).

Groups:
  exchange     a real client against a real server
  bad_clients  a fake client (garbage, oversized or cut frames) against qxserver
  bad_servers  qxclient against fake servers and a tampering relay
  arguments    command lines and start-ups that cannot run
"""
import argparse
import os
import re
import select
import socket
import struct
import subprocess
import sys
import threading

MAX_FRAME = 1 << 20
START_TIMEOUT = 120  # the first Wine start in a fresh prefix is slow
RUN_TIMEOUT = 120

SERVER_LOG = [
    "QXNEGO_INT_GetNegMechList: Mechanism is available for negotiation",
    "QXNEGO_INT_Apply_Policy_Info: Mechanism Policy has been applied (empty policy)",
    "QXNEGO_INT_Mechs_Accept_Contexts: Mechanism established context",
    "QXNEGO_INT_SelectMechanism: A mechanism has been selected",
]
CLIENT_LOG = [
    "QXNEGO_INT_GetNegMechList: Mechanism is available for negotiation",
    "QXNEGO_INT_Mechs_Acquire_Creds: acquire_cred succeeded for mechanism",
    "QXNEGO_INT_Mechs_Init_Contexts: Mechanism established context",
    "QXNEGO_INT_DecodeNegTokenResp: Mechanism Policy has been applied at the Server",
    "QXNEGO_INT_SelectMechanism: Negotiation State set to Completed",
]


class Failure(Exception):
    pass


def frame(payload):
    return struct.pack(">I", len(payload)) + payload


def read_exactly(conn, size):
    data = b""
    while len(data) < size:
        chunk = conn.recv(size - len(data))
        if not chunk:
            return None
        data += chunk
    return data


def read_frame(conn):
    header = read_exactly(conn, 4)
    if header is None:
        return None
    (size,) = struct.unpack(">I", header)
    return read_exactly(conn, size) if size else b""


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Programs:
    def __init__(self, options):
        self.server = os.path.abspath(options.server)
        self.client = os.path.abspath(options.client)
        self.cwd = os.path.dirname(self.server)
        self.config = self.relative(os.path.abspath(options.config))
        self.libs = options.libs
        self.emulator = [e for e in options.emulator.split(";") if e]
        self.windows = bool(self.emulator)
        self.env = dict(os.environ)
        if self.emulator:
            self.env["WINEPREFIX"] = options.wineprefix
            self.env.setdefault("WINEDEBUG", "-all")
            self.env.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=")
        self.work = os.path.abspath(options.work)
        os.makedirs(self.work, exist_ok=True)

    def relative(self, path):
        """A path the programs can open from their folder."""
        return os.path.relpath(path, self.cwd)

    def start(self, program, args):
        return subprocess.Popen(self.emulator + [program] + args, cwd=self.cwd, env=self.env,
                                stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE)

    def framework_args(self):
        return ["--config", self.config, "--libs", self.libs]

    def start_server(self, extra=("--once",)):
        """Starts qxserver on a port of the system's choice; returns (process, port)."""
        proc = self.start(self.server, self.framework_args() + ["--port", "0"] + list(extra))
        ready, _, _ = select.select([proc.stdout], [], [], START_TIMEOUT)
        line = proc.stdout.readline().decode(errors="replace") if ready else ""
        match = re.fullmatch(r"listening on (\d+)\r?\n", line)
        if not match:
            proc.kill()
            _, err = proc.communicate()
            raise Failure("qxserver did not announce its port: %r, stderr %r" % (line, err.decode(errors="replace")))
        return Draining(proc), int(match.group(1))

    def run_client(self, port, args):
        return finish(self.start(self.client, self.framework_args() + ["--port", str(port)] + list(args)))


class Draining:
    """A running server whose output is read as it comes, so that a full pipe
    never blocks it while the test talks to it."""

    def __init__(self, proc):
        self.proc = proc
        self.chunks = {"out": [], "err": []}
        self.readers = [threading.Thread(target=self._drain, args=(stream, self.chunks[key]), daemon=True)
                        for key, stream in (("out", proc.stdout), ("err", proc.stderr))]
        for reader in self.readers:
            reader.start()

    @staticmethod
    def _drain(stream, chunks):
        for chunk in iter(lambda: stream.read1(65536), b""):
            chunks.append(chunk)

    def kill(self):
        self.proc.kill()

    def communicate(self, timeout=None):
        self.proc.wait(timeout)
        for reader in self.readers:
            reader.join()
        return b"".join(self.chunks["out"]), b"".join(self.chunks["err"])

    @property
    def returncode(self):
        return self.proc.returncode


def finish(proc, timeout=RUN_TIMEOUT):
    """(status, stdout, stderr) of a process, with CR LF turned into LF."""
    try:
        out, err = proc.communicate(timeout=timeout)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.communicate()
        raise Failure("hung: killed after %d s" % timeout)
    clean = lambda b: b.decode(errors="replace").replace("\r\n", "\n")
    return proc.returncode, clean(out), clean(err)


def case(name):
    print("case: " + name, flush=True)


def expect(condition, message):
    if not condition:
        raise Failure(message)


def expect_clean_failure(name, result, pattern, status=1):
    """A program that refused something: the status, its error and no sanitizer report."""
    code, out, err = result
    expect("Sanitizer" not in err and "runtime error" not in err, "%s: sanitizer report:\n%s" % (name, err))
    expect(code == status, "%s: status %s, wanted %s; stderr %r" % (name, code, status, err))
    expect(re.search(pattern, err), "%s: stderr %r does not match %r" % (name, err, pattern))


def expect_success(name, result):
    code, out, err = result
    expect(code == 0 and err == "", "%s: status %s, stderr %r" % (name, code, err))


def in_order(text, wanted):
    """True when the lines "Text: <w>" of the log appear in this order."""
    texts = re.findall(r"^\s*Text:\s+(.*)$", text, re.M)
    at = 0
    for w in wanted:
        while at < len(texts) and texts[at] != w:
            at += 1
        if at == len(texts):
            return "missing or out of order: " + w
        at += 1
    return None


# ---- exchange ---------------------------------------------------------------

EXCHANGES = [
    # name, client arguments, message the client sends, mechanism both select
    ("alice with logs", ["--logon", "authcid=alice", "--show-log"], "hello from qxclient", "M1"),
    # The fixture's policy lets bob use M2 only.
    ("bob, spaces and UTF-8", ["--logon", "authcid=bob", "--message", "grüße, 世界 and spaces"],
     "grüße, 世界 and spaces", "M2"),
    ("large message", ["--logon", "authcid=alice", "--message", "x" * 30000], "x" * 30000, "M1"),
]


NOTHING_LEFT = (r"failed: major 0x000D0000 \(failure\), minor 0xE3000406 "
                r"\(The QXNEGO security mechanism could not find any mechanisms available for negotiation\.\)\n$")
CLOSED_BEFORE_TOKEN = r"the peer closed the connection before the negotiation token\n$"
NO_MECHANISM = [
    # name, client arguments, client's error, server's error
    # Single sign-on, but the test mechanisms name no identity: the client
    # has nothing to offer.
    ("single sign-on", [], "qxgss_init_sec_context " + NOTHING_LEFT, CLOSED_BEFORE_TOKEN),
    # The policy lets mallory use M3 only, which is not negotiated.
    ("mallory's policy", ["--logon", "authcid=mallory"], CLOSED_BEFORE_TOKEN, "qxgss_accept_sec_context " + NOTHING_LEFT),
]


def exchange(p):
    for name, client_args, message, selected in EXCHANGES:
        case(name)
        show_log = "--show-log" in client_args
        server, port = p.start_server(["--once", "--show-log"] if show_log else ["--once"])
        client = p.run_client(port, client_args)
        served = finish(server)
        expect_success(name + " (client)", client)
        expect_success(name + " (server)", served)
        c_out, s_out = client[1], served[1]
        line = "selected mechanism: %s\n" % selected
        expect(c_out.startswith(line), "%s: client output %r" % (name, c_out[:200]))
        expect(s_out.startswith(line), "%s: server output %r" % (name, s_out[:300]))
        logon = client_args[client_args.index("--logon") + 1]
        expect(("\nclient: %s\n" % logon) in s_out, "%s: server names the client wrongly: %r" % (name, s_out[:300]))
        expect(("\nreceived: %s\n" % message) in s_out, "%s: the server did not receive the message" % name)
        expect(("\nreply: reply to: %s\n" % message) in c_out, "%s: the client did not get the reply" % name)
        expect(("\nMIC verified: %s\n" % message) in s_out, "%s: the server did not verify the MIC" % name)
        expect(c_out.endswith("\nMIC verified\n"), "%s: the client did not verify the server's MIC" % name)
        for side, out, wanted in (("client", c_out, CLIENT_LOG), ("server", s_out, SERVER_LOG)):
            if show_log:
                expect("negotiation log:\n" in out and "QXNEGO Negotiation Log" in out, "%s: no %s log" % (name, side))
                problem = in_order(out, wanted)
                expect(problem is None, "%s: %s log: %s" % (name, side, problem))
            else:
                expect("negotiation log:" not in out, "%s: %s printed a log unasked" % (name, side))

    for name, client_args, client_error, server_error in NO_MECHANISM:
        case(name)
        server, port = p.start_server()
        client = p.run_client(port, client_args)
        expect_clean_failure(name + " (client)", client, r"^qxclient: error: " + client_error)
        expect_clean_failure(name + " (server)", finish(server), r"^qxserver: error: " + server_error)

    # Without --once the server goes on after a client that failed and
    # serves the next one.
    server, port = p.start_server(extra=())
    try:
        with socket.create_connection(("127.0.0.1", port)) as conn:
            conn.sendall(frame(b"garbage"))
            read_frame(conn)  # the answer, if any, before the server closes
        client = p.run_client(port, ["--logon", "authcid=carol"])
        expect_success("second client after a failed one", client)
    finally:
        server.kill()
        _, _, err = finish(server)
    expect("qxserver: error: qxgss_accept_sec_context failed" in err, "server loop: stderr %r" % err)


# ---- bad clients ------------------------------------------------------------

BAD_CLIENTS = [
    # name, bytes the fake client sends before it closes, the server's error
    ("closes at once", b"", r"the peer closed the connection before the negotiation token$"),
    ("half a length", b"\x00\x00", r"the peer closed the connection inside the length of the negotiation token \(2 of 4 bytes\)$"),
    ("length above the limit", struct.pack(">I", MAX_FRAME + 1),
     r"the negotiation token announces 1048577 bytes, more than the limit of 1048576$"),
    ("largest length", b"\xff\xff\xff\xff", r"the negotiation token announces 4294967295 bytes, more than the limit of 1048576$"),
    ("cut inside the token", b"\x00\x00\x01\x00abc",
     r"the peer closed the connection inside the negotiation token \(3 of 256 bytes\)$"),
    ("garbage token", frame(b"\x17 not a negotiation token \x00\xff"),
     r"qxgss_accept_sec_context failed: major 0x[0-9A-F]{8} \([^)]*\), minor 0x[0-9A-F]{8} \(.+\)$"),
    ("empty token", frame(b""), r"qxgss_accept_sec_context failed: major 0x[0-9A-F]{8}"),
    ("garbage of the largest size", frame(bytes(range(256)) * (MAX_FRAME // 256)),
     r"qxgss_accept_sec_context failed: major 0x[0-9A-F]{8}"),
]


def bad_clients(p):
    for name, data, pattern in BAD_CLIENTS:
        case(name)
        server, port = p.start_server()
        with socket.create_connection(("127.0.0.1", port)) as conn:
            if data:
                conn.sendall(data)
            conn.shutdown(socket.SHUT_WR)
            while conn.recv(65536):
                pass  # until the server closes
        expect_clean_failure(name, finish(server), r"^qxserver: error: " + pattern)


# ---- bad servers ------------------------------------------------------------

class FakeServer:
    """Listens once; `behave(conn)` plays the server's part."""

    def __init__(self, behave):
        self.sock = socket.socket()
        self.sock.bind(("127.0.0.1", 0))
        self.sock.listen(1)
        self.port = self.sock.getsockname()[1]
        self.thread = threading.Thread(target=self._serve, args=(behave,), daemon=True)
        self.thread.start()

    def _serve(self, behave):
        self.sock.settimeout(RUN_TIMEOUT)
        try:
            conn, _ = self.sock.accept()
        except OSError:
            return
        with conn:
            behave(conn)

    def close(self):
        self.thread.join(RUN_TIMEOUT)
        self.sock.close()


def after_first_token(reply):
    def behave(conn):
        read_frame(conn)
        if reply:
            conn.sendall(reply)
    return behave


BAD_SERVERS = [
    # name, the fake server's part, the client's error
    ("closes at once", lambda conn: None,
     r"(the peer closed the connection before the negotiation token|cannot send to the peer)"),
    ("closes after the first token", after_first_token(b""),
     r"the peer closed the connection before the negotiation token$"),
    ("length above the limit", after_first_token(struct.pack(">I", MAX_FRAME + 1)),
     r"the negotiation token announces 1048577 bytes, more than the limit of 1048576$"),
    ("cut inside the token", after_first_token(b"\x00\x00\x00\x10abc"),
     r"the peer closed the connection inside the negotiation token \(3 of 16 bytes\)$"),
    ("garbage token", after_first_token(frame(b"\xa1\x03garbage")),
     r"qxgss_init_sec_context failed: major 0x[0-9A-F]{8} \([^)]*\), minor 0x[0-9A-F]{8}"),
    ("empty token", after_first_token(frame(b"")), r"qxgss_init_sec_context failed: major 0x[0-9A-F]{8}"),
]


class Relay:
    """Passes frames between a client and qxserver, flipping the last byte of
    frame `index` (counted from 0) in direction `direction` ("up": client to
    server, "down": server to client)."""

    def __init__(self, server_port, direction, index):
        self.listener = socket.socket()
        self.listener.bind(("127.0.0.1", 0))
        self.listener.listen(1)
        self.port = self.listener.getsockname()[1]
        self.server_port, self.direction, self.index = server_port, direction, index
        self.thread = threading.Thread(target=self._run, daemon=True)
        self.thread.start()

    def _pump(self, source, sink, direction):
        count = 0
        try:
            while True:
                payload = read_frame(source)
                if payload is None:
                    break
                if direction == self.direction and count == self.index and payload:
                    payload = payload[:-1] + bytes([payload[-1] ^ 0x01])
                sink.sendall(frame(payload))
                count += 1
        except OSError:
            pass
        for s in (source, sink):
            try:
                s.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass

    def _run(self):
        self.listener.settimeout(RUN_TIMEOUT)
        client, _ = self.listener.accept()
        server = socket.create_connection(("127.0.0.1", self.server_port))
        up = threading.Thread(target=self._pump, args=(client, server, "up"), daemon=True)
        up.start()
        self._pump(server, client, "down")
        up.join(RUN_TIMEOUT)
        client.close()
        server.close()

    def close(self):
        self.thread.join(RUN_TIMEOUT)
        self.listener.close()


TAMPERED = [
    # name, direction, frame index, client's error (None: success), server's error (None: success)
    # Frames up: token, wrapped message, signed message, MIC; down: token, wrapped reply, MIC.
    ("changed wrapped message", "up", 1, r"the peer closed the connection before the wrapped reply$",
     r"qxgss_unwrap failed: major 0x00060000"),
    ("changed MIC", "up", 3, r"the peer closed the connection before the server's MIC$",
     r"qxgss_verify_mic failed: major 0x00060000"),
    ("changed wrapped reply", "down", 1, r"qxgss_unwrap failed: major 0x00060000",
     r"the peer closed the connection before the signed message$"),
    ("changed server MIC", "down", 2, r"qxgss_verify_mic failed: major 0x00060000", None),
]


def bad_servers(p):
    for name, behave, pattern in BAD_SERVERS:
        case(name)
        fake = FakeServer(behave)
        result = p.run_client(fake.port, ["--logon", "authcid=alice"])
        fake.close()
        expect_clean_failure(name, result, r"^qxclient: error: " + pattern)

    port = free_port()
    expect_clean_failure("no server", p.run_client(port, ["--logon", "authcid=alice"]),
                         r"^qxclient: error: cannot connect to 127\.0\.0\.1:%d: " % port)

    for name, direction, index, client_error, server_error in TAMPERED:
        case(name)
        server, port = p.start_server()
        relay = Relay(port, direction, index)
        client = p.run_client(relay.port, ["--logon", "authcid=alice"])
        served = finish(server)
        relay.close()
        for side, result, error in (("client", client, client_error), ("server", served, server_error)):
            label = "%s (%s)" % (name, side)
            if error is None:
                expect(result[0] == 0, "%s: status %s, stderr %r" % (label, result[0], result[2]))
            else:
                expect_clean_failure(label, result, r"^qx%s: error: %s" % (side, error))


# ---- arguments --------------------------------------------------------------

def arguments(p):
    junk = os.path.join(p.work, "junk.bin")
    with open(junk, "wb") as f:
        f.write(b"QXCF" + bytes(60))
    config, libs = p.config, p.libs
    server_cases = [
        # name, arguments, status, stderr pattern
        ("no arguments", [], 2, r"^qxserver: missing option --config\nusage: qxserver "),
        ("unknown option", ["--config", config, "--libs", libs, "--verbose"], 2, r"^qxserver: unknown argument: --verbose\n"),
        ("stray argument", ["--config", config, "--libs", libs, "extra"], 2, r"^qxserver: unknown argument: extra\n"),
        ("option without value", ["--libs", libs, "--config"], 2, r"^qxserver: option needs a value: --config\n"),
        ("option twice", ["--config", config, "--config", config], 2, r"^qxserver: option given twice: --config\n"),
        ("port not a number", ["--config", config, "--libs", libs, "--port", "8o"], 2,
         r'^qxserver: --port must be a port number 0\.\.65535, not "8o"\n'),
        ("port too large", ["--config", config, "--libs", libs, "--port", "65536"], 2, r"--port must be a port number"),
        ("no configuration file", ["--config", "missing.bin", "--libs", libs, "--once"], 1,
         r"^qxserver: error: cannot start the framework from missing\.bin: "),
        ("configuration not compiled", ["--config", p.relative(junk), "--libs", libs, "--once"], 1,
         r"^qxserver: error: cannot start the framework from "),
    ]
    if not p.windows:
        # Windows finds the DLLs beside the program whatever the path says.
        server_cases.append(
            ("libraries not found", ["--config", config, "--libs", "no-such-folder", "--once"], 1,
             r"note: mechanism QXNEGO: .*disabled\n(.*\n)*"
             r"qxserver: error: the mechanism QXNEGO is configured in .* but not enabled\n$"))
    for name, args, status, pattern in server_cases:
        case("qxserver " + name)
        expect_clean_failure("qxserver " + name, finish(p.start(p.server, args)), pattern, status)

    with socket.socket() as taken:
        taken.bind(("127.0.0.1", 0))
        taken.listen(1)
        port = taken.getsockname()[1]
        result = finish(p.start(p.server, p.framework_args() + ["--port", str(port), "--once"]))
        expect_clean_failure("qxserver port in use", result, r"^qxserver: error: cannot listen on 127\.0\.0\.1:%d: " % port)

    fw = p.framework_args()
    client_cases = [
        ("no port", fw, 2, r"^qxclient: missing option --port\nusage: qxclient "),
        ("port 0", fw + ["--port", "0"], 2, r'^qxclient: --port must be a port number 1\.\.65535, not "0"\n'),
        ("negative port", fw + ["--port", "-1"], 2, r"--port must be a port number"),
        ("empty message", fw + ["--port", "1", "--message", ""], 2, r"^qxclient: --message must not be empty\n"),
        ("switch given a value", fw + ["--port", "1", "--show-log", "yes"], 2, r"^qxclient: unknown argument: yes\n"),
        ("no configuration file", ["--config", "missing.bin", "--libs", p.libs, "--port", "1"], 1,
         r"^qxclient: error: cannot start the framework from missing\.bin: "),
    ]
    for name, args, status, pattern in client_cases:
        case("qxclient " + name)
        expect_clean_failure("qxclient " + name, finish(p.start(p.client, args)), pattern, status)


GROUPS = {"exchange": exchange, "bad_clients": bad_clients, "bad_servers": bad_servers, "arguments": arguments}


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--server", required=True)
    parser.add_argument("--client", required=True)
    parser.add_argument("--config", required=True, help="the compiled configuration (handed over relative)")
    parser.add_argument("--libs", required=True)
    parser.add_argument("--emulator", default="")
    parser.add_argument("--wineprefix", default="")
    parser.add_argument("--work", required=True)
    parser.add_argument("--group", choices=sorted(GROUPS), required=True)
    options = parser.parse_args()
    try:
        GROUPS[options.group](Programs(options))
    except Failure as e:
        print("FAILED: %s" % e, file=sys.stderr)
        return 1
    print("%s: all cases passed" % options.group)
    return 0


if __name__ == "__main__":
    sys.exit(main())
