#!/usr/bin/env python3
"""An HTTP peer with scripted answers, for the answers no ordinary server gives.

Usage: scripted_server.py PORT SCRIPT LOG   (PORT 0: any free port, printed as "port N")
SCRIPT is a JSON object mapping a request path to a list of steps; each step is
{"send": "<text with \\r\\n escapes>"} or {"sendhex": "<hex>"} or {"sleep": seconds} or
{"close": true}. Unknown paths get a 404. Every request's raw bytes are appended to LOG as one
JSON line. Serves on 127.0.0.1 only and stops after 200 connections.
"""
import json
import socket
import sys
import time


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
        line = request.split(b"\r\n", 1)[0].decode("latin-1").split(" ")
        path = line[1] if len(line) > 1 else ""
        steps = script.get(path, [{"send": "HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n"}])
        try:
            for step in steps:
                if "send" in step:
                    conn.sendall(step["send"].encode("latin-1"))
                elif "sendhex" in step:
                    conn.sendall(bytes.fromhex(step["sendhex"]))
                elif "sleep" in step:
                    time.sleep(min(float(step["sleep"]), 10))
                elif "close" in step:
                    break
        except OSError:
            pass
        conn.close()


if __name__ == "__main__":
    main()
