#!/usr/bin/env python3
"""The file-service cases of scripts/reliability.sh: tessel-fileserver under idle and trickling
connections, cross-site requests, large uploads and a large download, with its peak memory per
case.

    python3 scripts/reliability_files.py path/to/tessel-fileserver

Starts two services on loopback over temporary roots (one with a token and an 80 MiB request
limit, one without a token, the quick-start default) and prints one table row per case."""
import base64
import hashlib
import http.client
import os
import random
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time

TOKEN = "reliability-files-token"
LIMIT_MB = 80


def status_of(pid):
    with open(f"/proc/{pid}/status") as f:
        return {line.split(":")[0]: line.split(":")[1].strip() for line in f}


def kib(pid, key):
    return int(status_of(pid)[key].split()[0])


def reset_peak(pid):
    # Writing 5 to clear_refs resets the high-water mark to the current resident size.
    with open(f"/proc/{pid}/clear_refs", "w") as f:
        f.write("5")


class Service:
    def __init__(self, binary, token):
        self.dir = tempfile.mkdtemp(prefix="tessel-files-reliability.")
        self.root = os.path.join(self.dir, "files")
        os.makedirs(self.root)
        self.port = random.randrange(20000, 60000)
        env = dict(os.environ)
        env.pop("TESSEL_SERVER_TOKEN", None)
        if token:
            env["TESSEL_SERVER_TOKEN"] = token
        self.token = token
        self.log = open(os.path.join(self.dir, "log"), "w+")
        self.proc = subprocess.Popen([binary, "--root", self.root, "--port", str(self.port), "--min-free-mb", "0",
                                      "--max-request-mb", str(LIMIT_MB)],
                                     stdout=self.log, stderr=subprocess.STDOUT, env=env)
        for _ in range(100):
            self.log.seek(0)
            if "listening" in self.log.read():
                return
            if self.proc.poll() is not None:
                break
            time.sleep(0.1)
        self.log.seek(0)
        sys.exit("tessel-fileserver did not start: " + self.log.read())

    def stop(self):
        self.proc.terminate()
        self.proc.wait(20)
        shutil.rmtree(self.dir, ignore_errors=True)

    def headers(self, extra=None):
        h = {"X-Tessel-Token": self.token} if self.token else {}
        h.update(extra or {})
        return h

    def request(self, method, target, body=b"", extra=None, timeout=30, host=None):
        conn = http.client.HTTPConnection("127.0.0.1", self.port, timeout=timeout)
        try:
            conn.putrequest(method, target, skip_host=host is not None)
            if host is not None:
                conn.putheader("Host", host)
            headers = self.headers(extra)
            if "Transfer-Encoding" not in headers:
                headers["Content-Length"] = str(len(body))
            for k, v in headers.items():
                conn.putheader(k, v)
            conn.endheaders()
            if body:
                conn.send(body)
            r = conn.getresponse()
            return r.status, r.read()
        except (OSError, http.client.HTTPException) as e:
            return None, str(e).encode()
        finally:
            conn.close()


def upload_body(name, content):
    b64 = base64.b64encode(content)
    return b"filename=" + name.encode() + b"\tdata={\"size\":" + str(len(b64)).encode() + b",\"buf\":\"" + b64 + b"\"}"


def row(case, request, outcome):
    print(f"| {case} | {request} | {outcome} |", flush=True)


def main():
    binary = sys.argv[1]
    svc = Service(binary, TOKEN)
    open_svc = Service(binary, "")
    pid = svc.proc.pid
    with open(os.path.join(svc.root, "f.bin"), "wb") as f:
        f.write(b"x" * 1024)
    print("| Case | Request | What tessel-fileserver does |")
    print("|---|---|---|")

    # 1. Idle connections and trickling bodies against a token holder's download.
    silent = [socket.create_connection(("127.0.0.1", svc.port)) for _ in range(40)]
    tricklers = []
    for _ in range(12):
        s = socket.create_connection(("127.0.0.1", svc.port))
        s.sendall(f"POST /upload HTTP/1.1\r\nHost: 127.0.0.1:{svc.port}\r\nX-Tessel-Token: {TOKEN}\r\n"
                  f"Content-Length: 1000000\r\n\r\nfilename=t.bin\tdata={{\"buf\":\"".encode())
        tricklers.append(s)
    stop = threading.Event()
    cut = {}
    started = time.monotonic()

    def trickle():
        while not stop.is_set():
            for i, s in enumerate(tricklers):
                if i in cut:
                    continue
                try:
                    s.send(b"A", socket.MSG_DONTWAIT)
                except OSError:
                    cut[i] = time.monotonic() - started
            time.sleep(0.5)

    t = threading.Thread(target=trickle)
    t.start()
    time.sleep(1)
    times = []
    for _ in range(5):
        t0 = time.monotonic()
        st, _ = svc.request("POST", "/download", b"filename=f.bin")
        times.append((st, time.monotonic() - t0))
    row(1, "40 silent connections and 12 bodies trickling 2 bytes/s, then 5 downloads with the token",
        ", ".join(f"{st} in {dt * 1000:.0f} ms" for st, dt in times))
    for s in silent:
        s.settimeout(30)
    t0 = time.monotonic()
    closed = 0
    for s in silent:
        try:
            if s.recv(1) == b"":
                closed += 1
        except OSError:
            closed += 1
    row(1, "the 40 silent connections", f"{closed} closed by the server within {time.monotonic() - started:.1f} s of opening")
    deadline = time.monotonic() + 40
    while len(cut) < len(tricklers) and time.monotonic() < deadline:
        time.sleep(0.5)
    stop.set()
    t.join()
    if cut:
        row(1, "the 12 trickling bodies", f"{len(cut)} cut off, after {min(cut.values()):.1f} to {max(cut.values()):.1f} s")
    else:
        row(1, "the 12 trickling bodies", "none cut off within 40 s")
    for s in silent + tricklers:
        s.close()

    # Past the total cap (256): one more is turned away at once, the held ones time out.
    held = []
    for _ in range(300):
        held.append(socket.create_connection(("127.0.0.1", svc.port)))
    time.sleep(0.5)
    # Turned away before its request is read: the answer is there to read, a send may fail.
    s = socket.create_connection(("127.0.0.1", svc.port))
    s.settimeout(10)
    try:
        answer = s.recv(4096).split(b"\r\n")
        answer = f"{answer[0].decode()} {answer[-1].decode()}"
    except OSError as e:
        answer = f"no answer ({e})"
    s.close()
    row(1, "300 connections held, then one more", answer)
    for s in held:
        s.close()
    time.sleep(0.5)
    st, body = svc.request("POST", "/download", b"filename=f.bin")
    row(1, "the held connections closed, then one more", f"{st}")

    # 2. Cross-site requests on the service without a token.
    cases = [
        ("POST /mkdir?dir=x with Origin: https://evil.example", ("POST", "/mkdir?dir=x", b"", {"Origin": "https://evil.example"}, None)),
        ("GET /mkdir?dir=x (an <img>)", ("GET", "/mkdir?dir=x", b"", {}, None)),
        ("POST /mkdir?dir=x with Host: evil.example:PORT (DNS rebinding)", ("POST", "/mkdir?dir=x", b"", {}, f"evil.example:{open_svc.port}")),
        ("GET /download with Host: evil.example:PORT (DNS rebinding)", ("GET", "/download", b"filename=x", {}, f"evil.example:{open_svc.port}")),
    ]
    for name, (method, target, body, extra, host) in cases:
        st, reply = open_svc.request(method, target, body, extra, host=host)
        row(2, name, f"{st} {reply.decode(errors='replace')}")
    row(2, "folder x afterwards", "created" if os.path.exists(os.path.join(open_svc.root, "x")) else "not created")

    # 3. A 200 MiB body without the token, and a 50 MiB upload: answer and peak memory.
    reset_peak(pid)
    base = kib(pid, "VmRSS")
    s = socket.create_connection(("127.0.0.1", svc.port))
    s.sendall(f"POST /upload HTTP/1.1\r\nHost: 127.0.0.1:{svc.port}\r\nContent-Length: {200 << 20}\r\n\r\n".encode())
    s.settimeout(10)
    t0 = time.monotonic()
    try:
        answer = s.recv(4096).split(b"\r\n")[0].decode()
    except OSError as e:
        answer = f"no answer ({e})"
    row(3, "POST /upload, Content-Length 200 MiB, no token, body not sent",
        f"{answer} after {(time.monotonic() - t0) * 1000:.0f} ms; peak RSS +{max(0, kib(pid, 'VmHWM') - base)} KiB")
    s.close()

    content = os.urandom(50 << 20)
    body = upload_body("big.bin", content)
    reset_peak(pid)
    base = kib(pid, "VmRSS")
    st, reply = svc.request("POST", "/upload", body, timeout=120)
    peak = kib(pid, "VmHWM") - base
    stored = os.path.getsize(os.path.join(svc.root, "big.bin")) if st == 200 else 0
    row(3, "upload of 50 MiB (67 MiB of Base64), Content-Length",
        f"{st} {reply.decode(errors='replace')}, {stored} bytes stored; peak RSS +{peak} KiB over {base} KiB")
    del body

    # 3. A download of 100 MiB (133 MiB of Base64), read as it comes: the answer and peak memory.
    content = os.urandom(100 << 20)
    with open(os.path.join(svc.root, "large.bin"), "wb") as f:
        f.write(content)
    reset_peak(pid)
    base = kib(pid, "VmRSS")
    conn = http.client.HTTPConnection("127.0.0.1", svc.port, timeout=120)
    received, pending, decoded = 0, b"", hashlib.sha256()
    try:
        conn.request("POST", "/download", b"filename=large.bin", svc.headers())
        r = conn.getresponse()
        status = r.status
        while True:
            piece = r.read(1 << 20)
            if not piece:
                break
            received += len(piece)
            pending += piece
            if received == len(piece):
                pending = pending[len(b'{"buf":"'):]
            whole = len(pending) // 4 * 4
            decoded.update(base64.b64decode(pending[:whole].rstrip(b'"}')))
            pending = pending[whole:]
        decoded.update(base64.b64decode(pending.rstrip(b'"}')) if pending.rstrip(b'"}') else b"")
        same = decoded.digest() == hashlib.sha256(content).digest()
        outcome = f"{status}, {received} bytes, {'the file' if same else 'NOT the file'}"
    except (OSError, http.client.HTTPException, ValueError) as e:
        outcome = f"failed ({e})"
    conn.close()
    row(3, "download of 100 MiB (133 MiB of Base64), read in 1 MiB pieces",
        f"{outcome}; peak RSS +{max(0, kib(pid, 'VmHWM') - base)} KiB over {base} KiB")
    del content

    # 4. A chunked upload of 128 MiB against the 80 MiB limit.
    content = os.urandom(96 << 20)
    body = upload_body("chunked.bin", content)
    reset_peak(pid)
    base = kib(pid, "VmRSS")
    conn = http.client.HTTPConnection("127.0.0.1", svc.port, timeout=60)
    t0 = time.monotonic()
    try:
        conn.putrequest("POST", "/upload")
        for k, v in svc.headers({"Transfer-Encoding": "chunked"}).items():
            conn.putheader(k, v)
        conn.endheaders()
        for i in range(0, len(body), 1 << 20):
            piece = body[i:i + (1 << 20)]
            conn.send(b"%x\r\n" % len(piece) + piece + b"\r\n")
        conn.send(b"0\r\n\r\n")
    except OSError:
        pass  # the service may stop reading once it has answered
    try:
        r = conn.getresponse()
        outcome = f"{r.status} {r.read().decode(errors='replace')}"
    except (OSError, http.client.HTTPException) as e:
        outcome = f"no answer ({e})"
    conn.close()
    left = sorted(os.listdir(svc.root))
    row(4, f"chunked upload of {len(body) >> 20} MiB (no declared length), limit {LIMIT_MB} MiB",
        f"{outcome}; root holds {left}; peak RSS +{max(0, kib(pid, 'VmHWM') - base)} KiB")
    del body

    # 5. Modes of what it creates.
    svc.request("POST", "/mkdir?dir=m/n")
    svc.request("POST", "/upload", upload_body("m/n/f", b"x"))
    modes = " ".join(f"{p} {oct(os.stat(os.path.join(svc.root, p)).st_mode & 0o777)[2:]}" for p in ("m", "m/n", "m/n/f"))
    row(5, "mkdir m/n, upload m/n/f", modes)

    alive = svc.proc.poll() is None and open_svc.proc.poll() is None
    row("all", "service processes after every case", f"running, peak RSS {status_of(pid)['VmHWM']}" if alive else "GONE")
    svc.stop()
    open_svc.stop()


if __name__ == "__main__":
    main()
