#!/usr/bin/env python3
"""Lighthouse's scores for the web pages, as a phone sees them: the sign-in page, a class of 50
students with 2,000 scores and the page of one of its students.

    python3 bench/web_lighthouse.py BUILD_DIR [LIGHTHOUSE]

BUILD_DIR holds server/corvanta-server; LIGHTHOUSE is Lighthouse's command (default
build-tools/node_modules/.bin/lighthouse; install it with
`npm install --prefix build-tools lighthouse@12.2.3`). Debian's chromium is used
(CHROME_PATH). A figure, not a test: the scores go to standard output.
"""
import json
import os
import random
import subprocess
import sys
import tempfile
import urllib.parse
import urllib.request

CATEGORIES = ["performance", "accessibility", "best-practices", "seo"]


def form(fields):
    # The server reads form fields as GBK, as the desktop tool sends them.
    return "&".join(k + "=" + urllib.parse.quote(v.encode("gbk"), safe="") for k, v in fields).encode()


class NoRedirect(urllib.request.HTTPRedirectHandler):
    def redirect_request(self, *args):
        return None


def post(base, path, fields):
    request = urllib.request.Request(base + path, data=form(fields), method="POST")
    request.add_header("Content-Type", "application/x-www-form-urlencoded")
    try:
        with urllib.request.build_opener(NoRedirect).open(request) as reply:
            return reply.headers, reply.read()
    except urllib.error.HTTPError as e:  # the 303 after signing in
        return e.headers, e.read()


def fill(base):
    post(base, "/score/regteacher.php", [("username", "lhbench"), ("teachername", "王老师"), ("password", "login"),
                                         ("superpassword", "oper"), ("email", "w@example.org")])
    auth = [("username", "lhbench"), ("password", "oper")]
    post(base, "/score/setclass.php", auth + [("class", "高二(3)班")])
    names = ["学生%02d号" % i for i in range(1, 49)] + ["阿卜杜热合曼·买买提依明", "Maximilian-Alexander Wolfeschlegelsteinhausen"]
    post(base, "/score/student.php", auth + [("class", "高二(3)班"), ("student", "|".join(names))])
    rnd = random.Random(7)
    for batch in range(4):
        lines = []
        for i in range(500):
            n = batch * 500 + i
            when = "2026-%02d-%02d %02d:%02d:00" % (3 + n // 600, 1 + (n // 24) % 28, 8 + n % 8, n % 60)
            lines.append("高二(3)班\t%s\t%d\t%s\t%s" % (names[rnd.randrange(50)], rnd.randrange(6), when,
                                                    "回答完整准确" if rnd.randrange(3) == 0 else ""))
        post(base, "/score/index.php", auth + [("keti", ["课堂提问", "小组讨论"][batch % 2]), ("score", "|".join(lines))])
    headers, _ = post(base, "/score/", [("username", "lhbench"), ("password", "login")])
    return headers["Set-Cookie"].split(";")[0]


def main():
    build = sys.argv[1]
    here = os.path.dirname(os.path.abspath(__file__))
    lighthouse = sys.argv[2] if len(sys.argv) > 2 else os.path.join(here, "..", "build-tools", "node_modules", ".bin",
                                                                     "lighthouse")
    work = tempfile.mkdtemp(prefix="corvanta-lighthouse-")
    server = subprocess.Popen([os.path.join(build, "server", "corvanta-server"), "--listen", "127.0.0.1:0",
                               "--database", "sqlite:" + os.path.join(work, "db.sqlite")],
                              stdout=subprocess.PIPE, text=True)
    try:
        base = server.stdout.readline().split()[-1]
        cookie = fill(base)
        cls = urllib.parse.quote("高二(3)班".encode("gbk"), safe="")
        pages = {"sign-in": "/score", "home": "/score/", "class": "/score/class?class=" + cls,
                 "student": "/score/student?class=%s&name=%s" % (cls, urllib.parse.quote("学生07号".encode("gbk"), safe=""))}
        env = dict(os.environ, CHROME_PATH=os.environ.get("CHROME_PATH", "/usr/bin/chromium"))
        for name, path in pages.items():
            out = os.path.join(work, name + ".json")
            headers = {} if name == "sign-in" else {"Cookie": cookie}
            subprocess.run([lighthouse, base + path, "--quiet", "--output=json", "--output-path=" + out,
                            "--only-categories=" + ",".join(CATEGORIES), "--extra-headers=" + json.dumps(headers),
                            "--chrome-flags=--headless=new --no-sandbox --disable-gpu --disable-quic --no-first-run "
                            "--disable-background-networking --disable-component-update --disable-sync "
                            "--user-data-dir=" + os.path.join(work, "profile-" + name)],
                           env=env, check=False)
            with open(out, encoding="utf-8") as f:
                report = json.load(f)
            scores = {c: round(report["categories"][c]["score"] * 100) for c in CATEGORIES}
            failing = [a for a, r in report["audits"].items() if r.get("score") is not None and r["score"] < 0.9
                       and r.get("scoreDisplayMode") in ("binary", "numeric")]
            print("%-8s %s  below 0.9: %s" % (name, "  ".join("%s %d" % kv for kv in scores.items()),
                                              ", ".join(failing) or "none"))
    finally:
        server.terminate()
        server.wait()


if __name__ == "__main__":
    main()
