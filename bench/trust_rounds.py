#!/usr/bin/env python3
"""The adversarial rounds on the server's trust, on loopback only, bounded in count and time.

  proxy   behind the README's nginx (needs nginx): a student at 127.0.0.2 sends 10 wrong
          passwords, then the teacher at 127.0.0.3 reads 20 times; 12 addresses register one
          teacher each. With --trusted-proxy 127.0.0.1, and without it.
  pause   no proxy: every 15 s four new addresses send five wrong passwords each at once (the
          account pause's twenty); the teacher, from the address it signed in from before, and a new
          address both sign in every 5 s. Counts how often each was kept out.
  flood   1,600 wrong-password checks over 80 accounts from 20 addresses, 64 at once, while a
          normal client checks its own (known) password one request after the other: the
          normal client's latency (p50, p99) and how the flood was answered.

Usage: trust_rounds.py SERVER_BINARY [ROUND...]   (rounds: proxy pause flood; default all)
Environment: FLOOD_TOTAL (default 1600; a build that hashes on its request threads takes minutes).
A binary without --trusted-proxy runs the proxy round without it only."""
import concurrent.futures
import hashlib
import http.client
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse

HERE = os.path.dirname(os.path.abspath(__file__))
WRONG = "用户名或密码错误！"
LOCKED = "密码错误次数过多"
PAUSED = "该帐号密码错误次数过多"


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Server:
    def __init__(self, binary, args, work):
        self.out = open(os.path.join(work, "server.out"), "w+")
        self.log = open(os.path.join(work, "server.log"), "w+")
        self.proc = subprocess.Popen([binary, "--listen", "127.0.0.1:0", "--database",
                                      "sqlite:" + os.path.join(work, "t.db"), "--mail-dir",
                                      os.path.join(work, "mail")] + args, stdout=self.out, stderr=self.log)
        for _ in range(300):
            self.out.seek(0)
            m = re.search(r"listening on http://127.0.0.1:(\d+)", self.out.read())
            if m:
                self.port = int(m.group(1))
                return
            if self.proc.poll() is not None:
                break
            time.sleep(0.1)
        self.stop()
        self.log.seek(0)
        raise RuntimeError("server did not start: " + self.log.read()[-500:])

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()


def request(port, method, path, fields=None, source="127.0.0.1", timeout=30):
    body = urllib.parse.urlencode(fields or {}, encoding="gbk") if method == "POST" else None
    if method == "GET" and fields:
        path += "?" + urllib.parse.urlencode(fields, encoding="gbk")
    conn = http.client.HTTPConnection("127.0.0.1", port, timeout=timeout, source_address=(source, 0))
    try:
        conn.request(method, path, body, {"Content-Type": "application/x-www-form-urlencoded"})
        reply = conn.getresponse()
        return reply.status, reply.read().decode("gbk", "replace")
    finally:
        conn.close()


def register(port, account, source="127.0.0.1"):
    return request(port, "POST", "/score/regteacher.php", {
        "username": account, "teachername": "测试老师", "password": "login", "superpassword": "oper",
        "email": account + "@example.org"}, source)


def check(port, account, password, source="127.0.0.1"):
    return request(port, "POST", "/score/checkpassword.php", {"username": account, "password": password}, source)


def accepts_trusted_proxy(binary):
    return "--trusted-proxy" in subprocess.run([binary, "--help"], capture_output=True, text=True).stdout


def readme_block(listen, upstream):
    text = open(os.path.join(HERE, "..", "README.md"), encoding="utf-8").read()
    block = text[text.index("```nginx\n") + 9:]
    block = block[:block.index("```")]
    lines = []
    for line in block.splitlines():
        t = line.strip()
        if t.startswith("ssl_"):
            continue
        if t.startswith("listen "):
            line = f"    listen 127.0.0.1:{listen};"
        elif t.startswith("proxy_pass "):
            line = f"        proxy_pass http://127.0.0.1:{upstream};"
        lines.append(line)
    return "\n".join(lines)


def round_proxy(binary, trusted):
    nginx = shutil.which("nginx") or "/usr/sbin/nginx"
    if not os.access(nginx, os.X_OK):
        print("proxy: skipped, nginx is not installed (nginx-light)")
        return
    with tempfile.TemporaryDirectory() as work:
        args = ["--trusted-proxy", "127.0.0.1"] if trusted else []
        server = Server(binary, args, work)
        listen = free_port()
        conf = os.path.join(work, "nginx.conf")
        with open(conf, "w") as f:
            f.write(f"daemon off;\nmaster_process off;\npid {work}/nginx.pid;\nerror_log {work}/error.log;\n"
                    f"events {{ worker_connections 256; }}\nhttp {{\n access_log off;\n"
                    f" client_body_temp_path {work}/body;\n proxy_temp_path {work}/proxy;\n"
                    + readme_block(listen, server.port) + "\n}\n")
        proxy = subprocess.Popen([nginx, "-p", work, "-c", conf], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            time.sleep(0.5)
            register(server.port, "proxied")
            for _ in range(10):
                check(listen, "proxied", "bad", "127.0.0.2")
            answered = sum(check(listen, "proxied", "login", "127.0.0.3")[1] == "Success!" for _ in range(20))
            student = check(listen, "proxied", "login", "127.0.0.2")[1]
            registered = sum(register(listen, f"proxyreg{i}", f"127.0.4.{i}")[1] == "Success!" for i in range(1, 13))
            label = "with --trusted-proxy 127.0.0.1" if trusted else "without --trusted-proxy"
            print(f"proxy ({label}): teacher's sign-ins answered {answered}/20 after a student's 10 wrong "
                  f"passwords; the student's own right password: {'locked' if LOCKED in student else 'accepted'}; "
                  f"registrations from 12 addresses accepted {registered}/12")
        finally:
            proxy.terminate()
            proxy.wait()
            server.stop()


def round_pause(binary, seconds=90):
    with tempfile.TemporaryDirectory() as work:
        server = Server(binary, ["--registrations-per-minute", "1000"], work)
        try:
            register(server.port, "paused")
            teacher = "127.0.0.3"
            assert check(server.port, "paused", "login", teacher)[1] == "Success!"
            stop = time.monotonic() + seconds
            attacker_done = threading.Event()

            def attack():
                # A wave in a second or two, so that a sign-in of the teacher (which starts the count
                # afresh) seldom falls between its failures: each address's five at once.
                n = 0
                with concurrent.futures.ThreadPoolExecutor(5) as pool:
                    while time.monotonic() < stop:
                        for a in range(4):
                            list(pool.map(lambda _: check(server.port, "paused", "bad", f"127.0.5.{4 * n + a + 1}"),
                                          range(5)))
                        n += 1
                        if attacker_done.wait(15):  # a wave every 15 s
                            return

            t = threading.Thread(target=attack)
            t.start()
            time.sleep(1)
            known = [0, 0]
            fresh = [0, 0]
            n = 0
            while time.monotonic() < stop:
                known[0] += 1
                known[1] += PAUSED in check(server.port, "paused", "login", teacher)[1]
                fresh[0] += 1
                fresh[1] += PAUSED in check(server.port, "paused", "login", f"127.0.6.{n % 250 + 1}")[1]
                n += 1
                time.sleep(5)
            attacker_done.set()
            t.join()
            print(f"pause ({seconds} s, 4 new addresses x 5 wrong passwords every 15 s): the teacher's known "
                  f"address kept out {known[1]}/{known[0]} tries; a never-seen address {fresh[1]}/{fresh[0]}")
        finally:
            server.stop()


def round_flood(binary, total=1600, accounts=80, addresses=20):
    with tempfile.TemporaryDirectory() as work:
        server = Server(binary, ["--registrations-per-minute", "1000"], work)
        try:
            with concurrent.futures.ThreadPoolExecutor(8) as pool:
                list(pool.map(lambda i: register(server.port, f"flood{i}"), range(accounts)))
            register(server.port, "normal")
            check(server.port, "normal", "login")  # known from now on
            outcomes = {}
            lock = threading.Lock()
            done = threading.Event()

            def wrong(i):
                try:
                    status, text = check(server.port, f"flood{i % accounts}", "bad",
                                         f"127.0.7.{(i // accounts) % addresses + 1}")
                    key = ("busy" if status == 503 else "wrong" if text == WRONG else "paused" if PAUSED in text
                           else "locked" if LOCKED in text else f"other {status}")
                except OSError:
                    key = "failed"
                with lock:
                    outcomes[key] = outcomes.get(key, 0) + 1

            latencies = []

            def normal():
                while not done.is_set():
                    t0 = time.monotonic()
                    try:
                        text = check(server.port, "normal", "login", "127.0.0.9")[1]
                    except OSError:
                        text = ""
                    latencies.append(time.monotonic() - t0)
                    if text != "Success!":
                        with lock:
                            outcomes["normal refused"] = outcomes.get("normal refused", 0) + 1

            n = threading.Thread(target=normal)
            n.start()
            t0 = time.monotonic()
            with concurrent.futures.ThreadPoolExecutor(64) as pool:
                list(pool.map(wrong, range(total)))
            elapsed = time.monotonic() - t0
            done.set()
            n.join()
            latencies.sort()
            p = lambda q: latencies[min(len(latencies) - 1, int(q * len(latencies)))] * 1000
            print(f"flood ({total} wrong passwords over {accounts} accounts, 64 at once, {elapsed:.1f} s): "
                  f"normal client {len(latencies)} checks, p50 {p(0.5):.0f} ms, p99 {p(0.99):.0f} ms, "
                  f"max {latencies[-1] * 1000:.0f} ms; flood answered " +
                  ", ".join(f"{k} {v}" for k, v in sorted(outcomes.items())))
        finally:
            server.stop()


def main():
    binary = sys.argv[1]
    rounds = sys.argv[2:] or ["proxy", "pause", "flood"]
    for r in rounds:
        if r == "proxy":
            if accepts_trusted_proxy(binary):
                round_proxy(binary, True)
            round_proxy(binary, False)
        elif r == "pause":
            round_pause(binary)
        elif r == "flood":
            round_flood(binary, int(os.environ.get("FLOOD_TOTAL", "1600")))


if __name__ == "__main__":
    main()
