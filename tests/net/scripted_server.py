#!/usr/bin/env python3
"""An HTTP peer with scripted answers, for the answers no ordinary server gives, hostile ones too.

Usage: scripted_server.py PORT SCRIPT LOG   (PORT 0: any free port, printed as "port N")
SCRIPT is a JSON object mapping a request path to a list of steps:
  {"send": "<text with \\r\\n escapes>"}   the bytes of the text (latin-1)
  {"sendhex": "<hex>"}                      raw bytes
  {"sleep": seconds}                        a pause (at most 10 s)
  {"repeat": "<text>", "times": N}          the text N times, as fast as the client reads
  {"stream": "<text>", "interval": s, "seconds": S}
                                            the text again and again, every `interval` seconds
                                            (0: as fast as the client reads), until the client
                                            goes or S seconds (at most 120) have passed
  {"close": true}                           ends the answer
Unknown paths get a 404. The path "*" makes the server a plain TCP peer: it reads what the
client sends first (one read, as a SOCKS greeting arrives) and runs those steps, whatever came.
Every request's raw bytes are appended to LOG as one JSON line. Serves on 127.0.0.1 only, one
connection at a time, and stops after 200 connections.
"""
import json
import socket
import sys
import time


def run_steps(conn, steps):
    for step in steps:
        if "send" in step:
            conn.sendall(step["send"].encode("latin-1"))
        elif "sendhex" in step:
            conn.sendall(bytes.fromhex(step["sendhex"]))
        elif "sleep" in step:
            time.sleep(min(float(step["sleep"]), 10))
        elif "repeat" in step:
            text = step["repeat"].encode("latin-1")
            times = int(step["times"])
            # Large writes: the client's reading speed, not ours, sets the pace.
            per_write = max(1, 65536 // max(len(text), 1))
            while times > 0:
                count = min(times, per_write)
                conn.sendall(text * count)
                times -= count
        elif "stream" in step:
            text = step["stream"].encode("latin-1")
            interval = float(step.get("interval", 0))
            if interval == 0 and len(text) < 65536:
                text = text * max(1, 65536 // max(len(text), 1))
            end = time.monotonic() + min(float(step.get("seconds", 60)), 120)
            while time.monotonic() < end:
                conn.sendall(text)
                if interval > 0:
                    time.sleep(interval)
        elif "close" in step:
            break


def main():
    port, script_path, log_path = int(sys.argv[1]), sys.argv[2], sys.argv[3]
    with open(script_path, encoding="utf-8") as f:
        script = json.load(f)
    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(("127.0.0.1", port))
    server.listen(8)
    print("port", server.getsockname()[1], flush=True)
    for _ in range(200):
        conn, _ = server.accept()
        conn.settimeout(5)
        request = b""
        try:
            if "*" in script:
                request = conn.recv(4096)
            else:
                while b"\r\n\r\n" not in request and len(request) < 65536:
                    chunk = conn.recv(4096)
                    if not chunk:
                        break
                    request += chunk
        except OSError:
            pass
        if not request:
            # A probe that only checked that the port is open.
            conn.close()
            continue
        with open(log_path, "a", encoding="utf-8") as log:
            log.write(json.dumps(request.decode("latin-1")) + "\n")
        if "*" in script:
            steps = script["*"]
        else:
            line = request.split(b"\r\n", 1)[0].decode("latin-1").split(" ")
            path = line[1] if len(line) > 1 else ""
            steps = script.get(path, [{"send": "HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n"}])
        try:
            run_steps(conn, steps)
        except OSError:
            pass
        conn.close()


if __name__ == "__main__":
    main()
