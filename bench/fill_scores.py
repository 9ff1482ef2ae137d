#!/usr/bin/env python3
"""Fills a teacher's classes with scores through the upload page, as the tool sends them.

Usage: fill_scores.py BASE ACCOUNT RECORD_FILE PLAN...
  BASE         the server, e.g. http://127.0.0.1:8080
  ACCOUNT      the teacher (login and operation password the same, as --bench-teacher makes it)
  RECORD_FILE  the teacher's class record file (GBK), which names the classes and students
  PLAN         CLASS:STUDENTS:EACH - the CLASS-th class (from 1) gets EACH scores for each of
               its first STUDENTS students
Every student's scores are spread over the same year (one every 30,000 seconds, the students
ten minutes apart), so a student's page covers the whole class's time. Prints, per plan, the
query of the first student's page ("class=...&name=..."), in the GBK the pages' links use.
"""
import http.client
import sys
import time
import urllib.parse

LINES_PER_UPLOAD = 250
START = 1735693200  # 2025-01-01 01:00 UTC


def roster(record_file):
    classes = {}
    with open(record_file, "rb") as f:
        for line in f.read().splitlines():
            fields = line.split(b"\t")
            if len(fields) == 6 and not line.startswith(b"[keti]") and not line.startswith(b"Class_Is_Ready"):
                classes.setdefault(fields[0], []).append(fields[1])
    return list(classes.items())


def main():
    base, account, record_file, plans = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]
    url = urllib.parse.urlsplit(base)
    conn = http.client.HTTPConnection(url.hostname, url.port, timeout=120)
    classes = roster(record_file)
    topic = "课堂提问".encode("gbk")
    q = lambda b: urllib.parse.quote_from_bytes(b, safe="")
    for plan in plans:
        index, students, each = (int(x) for x in plan.split(":"))
        name, names = classes[index - 1]
        names = names[:students]
        lines = []
        for k in range(each):
            for s, student in enumerate(names):
                at = time.strftime("%Y-%m-%d %H:%M:%S", time.gmtime(START + k * 30000 + s * 600))
                lines.append(b"\t".join([name, student, b"%d" % ((k + s) % 6), at.encode(), b""]))
        for i in range(0, len(lines), LINES_PER_UPLOAD):
            body = "username=%s&password=%s&keti=%s&score=%s" % (
                q(account.encode()), q(account.encode()), q(topic), q(b"|".join(lines[i:i + LINES_PER_UPLOAD])))
            conn.request("POST", "/score/index.php", body,
                         {"Content-Type": "application/x-www-form-urlencoded"})
            reply = conn.getresponse().read()
            if reply != b"Success!":
                sys.exit("upload refused: %s" % reply.decode("gbk", "replace"))
        print("class=%s&name=%s" % (q(name), q(names[0])))


if __name__ == "__main__":
    main()
