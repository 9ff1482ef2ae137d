#!/usr/bin/env python3
"""Registrations at the limit from many addresses, for as long as asked: each of 50
loopback addresses (127.0.1.1..127.0.1.50) registers a new teacher every 6 s (the server's
limit of 10 a minute per address), the addresses staggered over the 6 s. Meant to run
beside an upload benchmark; prints how many were accepted and refused.
Usage: registration_flood.py BASE_URL SECONDS"""
import http.client
import sys
import threading
import time
import urllib.parse

ADDRESSES = [f"127.0.1.{i}" for i in range(1, 51)]
PERIOD = 6.0


def register(host, port, source, n, counts, lock):
    name = f"flood{source.replace('.', '')}x{n}"
    body = urllib.parse.urlencode({
        "username": name, "teachername": "压力测试", "password": "0" * 32,
        "superpassword": "flood-pass", "email": f"{name}@example.org",
    }, encoding="gbk")
    try:
        conn = http.client.HTTPConnection(host, port, timeout=10, source_address=(source, 0))
        conn.request("POST", "/score/regteacher.php", body,
                     {"Content-Type": "application/x-www-form-urlencoded"})
        reply = conn.getresponse().read()
        conn.close()
        key = "accepted" if reply == b"Success!" else "refused"
    except OSError:
        key = "failed"
    with lock:
        counts[key] = counts.get(key, 0) + 1


def main():
    base, seconds = sys.argv[1], float(sys.argv[2])
    url = urllib.parse.urlsplit(base)
    counts, lock, threads = {}, threading.Lock(), []
    start = time.monotonic()
    n = 0
    while time.monotonic() - start < seconds:
        for i, source in enumerate(ADDRESSES):
            due = start + n * PERIOD + i * PERIOD / len(ADDRESSES)
            delay = due - time.monotonic()
            if delay > 0:
                time.sleep(delay)
            if time.monotonic() - start >= seconds:
                break
            t = threading.Thread(target=register, args=(url.hostname, url.port, source, n, counts, lock))
            t.start()
            threads.append(t)
        n += 1
    for t in threads:
        t.join()
    print("registrations: " + ", ".join(f"{k} {v}" for k, v in sorted(counts.items())))


if __name__ == "__main__":
    main()
