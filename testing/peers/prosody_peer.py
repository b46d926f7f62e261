#!/usr/bin/python3
"""XMPP test server: a prosody of its own on a free loopback port, for the chat transport.

  python3 prosody_peer.py FOLDER

Writes FOLDER/prosody.cfg.lua (interface 127.0.0.1 only, the chosen client port, no
server-to-server, HTTP or HTTPS ports, encryption not required; modules roster, saslauth,
disco, ping and posix on, tls and s2s off; the virtual host "collab.test" with anonymous
login and its chat-room component "conference.collab.test" without room locking or history;
the virtual host "password.test" with password login only), keeps the pid file, data and log
in FOLDER, and runs `prosody -F --config FILE` in the foreground (a system daemon is left
alone). The first line printed is the port, once prosody accepts connections. Commands on
standard input, one a line:
  ping TOKEN   answers {"event": "pong", "token": TOKEN}
  quit         stops prosody and ends (so does the end of standard input); prosody also
               goes when this peer is killed
"""
import ctypes
import json
import os
import signal
import socket
import subprocess
import sys
import time

CONFIG = """
pidfile = "{folder}/prosody.pid"
data_path = "{folder}/data"
log = {{ info = "{folder}/prosody.log"; error = "{folder}/prosody.err" }}
daemonize = false
run_as_root = true
interfaces = {{ "127.0.0.1" }}
local_interfaces = {{ "127.0.0.1" }}
c2s_ports = {{ {port} }}
s2s_ports = {{ }}
http_ports = {{ }}
https_ports = {{ }}
c2s_require_encryption = false
s2s_require_encryption = false
allow_unencrypted_plain_auth = true
modules_enabled = {{ "roster"; "saslauth"; "disco"; "ping"; "posix" }}
modules_disabled = {{ "tls"; "s2s" }}

VirtualHost "collab.test"
    authentication = "anonymous"

Component "conference.collab.test" "muc"
    muc_room_locking = false
    muc_room_default_history_length = 0

VirtualHost "password.test"
    authentication = "internal_hashed"
"""


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def accepts(port):
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=0.2):
            return True
    except OSError:
        return False


def die_with_parent():
    """In the child before prosody starts: prosody is killed when this peer ends, even when
    the launcher has to kill the peer, so no prosody outlives its test."""
    PR_SET_PDEATHSIG = 1
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_PDEATHSIG, signal.SIGKILL, 0, 0, 0)


def main():
    # The launcher's SIGTERM (a peer slow to end) still stops prosody below.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    folder = os.path.abspath(sys.argv[1])
    os.makedirs(os.path.join(folder, "data"), exist_ok=True)
    port = free_port()
    config = os.path.join(folder, "prosody.cfg.lua")
    with open(config, "w") as f:
        f.write(CONFIG.format(folder=folder, port=port))
    prosody = subprocess.Popen(["prosody", "-F", "--config", config], stdin=subprocess.DEVNULL,
                               stdout=open(os.path.join(folder, "prosody.out"), "w"), stderr=subprocess.STDOUT,
                               preexec_fn=die_with_parent)
    deadline = time.monotonic() + 20
    while not accepts(port):
        if prosody.poll() is not None or time.monotonic() > deadline:
            prosody.kill()
            sys.stderr.write("prosody did not start; see " + folder + "\n")
            sys.exit(1)
        time.sleep(0.05)
    print(port, flush=True)
    try:
        for line in sys.stdin:
            words = line.split()
            if not words:
                continue
            if words[0] == "quit":
                break
            if words[0] == "ping":
                print(json.dumps({"event": "pong", "token": words[1] if len(words) > 1 else ""}), flush=True)
    finally:
        # Killed, not asked: prosody's own shutdown can hang when a client's connection closes
        # during it (an error in its c2s module), and a test's server has nothing to keep.
        prosody.kill()
        prosody.wait()


if __name__ == "__main__":
    main()
