#!/usr/bin/python3
"""Phones sending sheets to `quillmark-cli serve` at once: latency from the start of an upload
to the photo's final card, and what was lost or marked twice on the way.

    /usr/bin/python3 bench/phone_load.py BIN [--clients 10] [--per-client 100] [--photos N]
                                             [--photo-dir DIR] [--serve-threads T]

BIN is the folder holding quillmark-cli, accuracy_bench and the program folder's DaTiKa, sys,
ShiJuan and MingCe. Photos are made by `accuracy_bench --kind phone --save`, 100 a seed, seeds
1, 2, ...; --photo-dir keeps them between runs. Each client plays one phone: it uploads a photo
(retrying a refused or broken connection with the same id, as the page does), polls the photo's
card until it no longer says "waiting", then takes the next photo. Uploads beyond --photos reuse
photos under new ids: the server takes those bytes as the photo it already has (a duplicate).
The roster written for the run holds every four-digit number, so a sheet whose number is read
whole is recorded ("marked"); one with a digit left blank asks for its number ("number").
Standard library only.
"""

import argparse
import hashlib
import http.client
import json
import math
import os
import secrets
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse

PER_SEED = 100
PAPER = "示例试卷.CHO"
ROSTER = "负载名册.TXT"  # every four-digit number, so each sheet read whole is recorded
SAVE = "phoneload"


def make_photos(bin_dir, photo_dir, wanted, threads):
    """The first `wanted` photos, made where missing: phone-SEED-INDEX.jpg."""
    os.makedirs(photo_dir, exist_ok=True)
    names = []
    seed = 1
    while len(names) < wanted:
        count = min(PER_SEED, wanted - len(names))
        files = [os.path.join(photo_dir, f"phone-{seed}-{i}.jpg") for i in range(count)]
        if not all(os.path.exists(f) for f in files):
            print(f"making {count} phone photos of seed {seed} ...", file=sys.stderr, flush=True)
            subprocess.run([os.path.join(bin_dir, "accuracy_bench"), "--kind", "phone", "--seed", str(seed),
                            "--count", str(count), "--threads", str(threads), "--save", photo_dir],
                           check=True, stdout=subprocess.DEVNULL)
        names += files
        seed += 1
    return names


def percentile(values, share):
    if not values:
        return float("nan")
    ordered = sorted(values)
    return ordered[min(len(ordered), max(1, math.ceil(share * len(ordered)))) - 1]  # nearest rank


class Tally:
    def __init__(self):
        self.lock = threading.Lock()
        self.card_latency = []     # upload start -> final card, seconds
        self.ack_latency = []      # upload start -> 200 received
        self.ack_at = []           # (upload start, that latency), to see it change as the set grows
        self.busy = 0              # 503 answers (retried)
        self.broken = 0            # connection errors (retried)
        self.errors = []           # anything else: no photo
        self.same_as = 0           # acknowledged as the bytes of an earlier id
        self.repeat_id = 0         # acknowledged as an id already sent
        self.states = {}
        self.acknowledged = {}     # id -> the id whose card tells (itself, or same_as)
        self.no_card = []          # acknowledged, no final card before the deadline

    def add(self, **kw):
        with self.lock:
            for key, value in kw.items():
                if isinstance(getattr(self, key), list):
                    getattr(self, key).append(value)
                else:
                    setattr(self, key, getattr(self, key) + value)


class Phone(threading.Thread):
    def __init__(self, number, host, port, base, photos, tally, args):
        super().__init__(daemon=True)
        self.number, self.host, self.port, self.base = number, host, port, base
        self.photos, self.tally = photos, tally
        self.card_deadline, self.poll, self.interval = args.card_deadline, args.poll, args.interval
        self.connection = None

    def request(self, method, path, body=None, headers=None):
        if self.connection is None:
            self.connection = http.client.HTTPConnection(self.host, self.port, timeout=120)
        try:
            self.connection.request(method, self.base + path, body=body, headers=headers or {})
            response = self.connection.getresponse()
            data = response.read()
            if response.getheader("Connection", "").lower() == "close":
                self.connection.close()
                self.connection = None
            return response.status, response.getheader("Retry-After"), data
        except (OSError, http.client.HTTPException):
            self.connection.close()
            self.connection = None
            raise

    def upload(self, photo_id, body):
        for attempt in range(30):
            try:
                status, retry_after, data = self.request("POST", "photos/" + photo_id, body,
                                                         {"Content-Type": "image/jpeg"})
            except (OSError, http.client.HTTPException):
                self.tally.add(broken=1)
                time.sleep(min(0.2 * (attempt + 1), 2))
                continue
            if status == 503:
                self.tally.add(busy=1)
                time.sleep(float(retry_after or 2))
                continue
            return status, data
        return None, b"gave up after 30 attempts"

    def run(self):
        last_start = None
        for index, path in enumerate(self.photos):
            with open(path, "rb") as f:
                body = f.read()
            photo_id = f"p{self.number:02d}-{index:04d}-{secrets.token_hex(6)}"
            if last_start is not None and self.interval > 0:
                # A teacher takes the next photo no sooner than this after the last.
                time.sleep(max(0.0, last_start + self.interval - time.monotonic()))
            start = last_start = time.monotonic()
            status, data = self.upload(photo_id, body)
            if status != 200:
                self.tally.add(errors=f"{photo_id}: {status} {data[:200]!r}")
                continue
            self.tally.add(ack_latency=time.monotonic() - start, ack_at=(start, time.monotonic() - start))
            reply = json.loads(data)
            card_id = reply.get("same_as", photo_id)
            if reply.get("duplicate"):
                self.tally.add(**({"same_as": 1} if "same_as" in reply else {"repeat_id": 1}))
            with self.tally.lock:
                self.tally.acknowledged[photo_id] = card_id
            while True:
                if time.monotonic() - start > self.card_deadline:
                    self.tally.add(no_card=photo_id)
                    break
                try:
                    status, _, data = self.request("GET", "photos/" + card_id)
                except (OSError, http.client.HTTPException):
                    self.tally.add(broken=1)
                    time.sleep(self.poll)
                    continue
                card = json.loads(data) if status == 200 else {}
                if status == 200 and card.get("state") != "waiting":
                    self.tally.add(card_latency=time.monotonic() - start)
                    with self.tally.lock:
                        self.tally.states[card["state"]] = self.tally.states.get(card["state"], 0) + 1
                    break
                if status != 200:
                    self.tally.add(errors=f"{photo_id}: card {status} {data[:200]!r}")
                    break
                time.sleep(self.poll)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("bin", help="folder with quillmark-cli, accuracy_bench and the program folder's files")
    parser.add_argument("--clients", type=int, default=10)
    parser.add_argument("--per-client", type=int, default=100)
    parser.add_argument("--photos", type=int, default=0, help="distinct photos (default: one per upload)")
    parser.add_argument("--photo-dir", default="", help="keep the made photos here (default: a temporary folder)")
    parser.add_argument("--make-threads", type=int, default=1, help="accuracy_bench threads making photos")
    parser.add_argument("--serve-threads", type=int, default=0, help="serve's marking threads (default: its own)")
    parser.add_argument("--interval", type=float, default=0,
                        help="seconds from one upload's start to the next on each phone (0: as soon as its card is back)")
    parser.add_argument("--poll", type=float, default=0.1, help="seconds between card polls (the page: 0.3)")
    parser.add_argument("--card-deadline", type=float, default=3600, help="seconds an upload may wait for its card")
    args = parser.parse_args()

    bin_dir = os.path.abspath(args.bin)
    uploads = args.clients * args.per_client
    distinct = min(args.photos or uploads, uploads)
    work = tempfile.mkdtemp(prefix="quillmark-phone-load-")
    photo_dir = os.path.abspath(args.photo_dir) if args.photo_dir else os.path.join(work, "photos")
    photos = make_photos(bin_dir, photo_dir, distinct, args.make_threads)
    digests = {hashlib.sha256(open(p, "rb").read()).hexdigest() for p in photos}
    if len(digests) != len(photos):
        print(f"note: {len(photos)} photo files hold only {len(digests)} distinct byte strings", file=sys.stderr)

    home = os.path.join(work, "program")
    os.makedirs(os.path.join(home, "ChengJi"))
    for sub in ("DaTiKa", "sys", "ShiJuan", "MingCe"):
        shutil.copytree(os.path.join(bin_dir, sub), os.path.join(home, sub))
    with open(os.path.join(home, "MingCe", ROSTER), "wb") as roster:
        roster.write("".join(f"{n:04d},考生{n:04d},,,,,\r\n" for n in range(10000)).encode("gbk"))
    command = [os.path.join(bin_dir, "quillmark-cli"), "serve", "--home", home, "--paper", PAPER, "--roster", ROSTER,
               "--save", SAVE, "--bind", "127.0.0.1", "--port", "0"]
    if args.serve_threads:
        command += ["--threads", str(args.serve_threads)]
    stderr = open(os.path.join(work, "serve.err"), "wb")
    serve = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=stderr, text=True, encoding="utf-8")
    address = serve.stdout.readline().strip()
    if not address.startswith("http://"):
        serve.kill()
        sys.exit(f"serve did not print its address; see {stderr.name}")
    lines = []

    def read_stdout():
        for line in serve.stdout:
            lines.append(line.rstrip("\n"))

    reader = threading.Thread(target=read_stdout, daemon=True)
    reader.start()

    url = urllib.parse.urlsplit(address)
    tally = Tally()
    phones = []
    for n in range(args.clients):
        mine = [photos[(n * args.per_client + i) % len(photos)] for i in range(args.per_client)]
        phones.append(Phone(n, url.hostname, url.port, url.path, mine, tally, args))
    began = time.monotonic()
    for phone in phones:
        phone.start()
    for phone in phones:
        phone.join()
    wall = time.monotonic() - began

    serve.send_signal(signal.SIGTERM)
    try:
        code = serve.wait(timeout=300)
    except subprocess.TimeoutExpired:
        serve.kill()
        code = "killed after 300 s"
    reader.join(timeout=10)

    # The inbox's journal names each acknowledged photo's file; serve prints a line per file marked.
    inbox = os.path.join(home, "ChengJi", "手机照片", SAVE, "inbox.jsonl")
    file_of = {}
    with open(inbox, encoding="utf-8") as journal:
        for line in journal:
            try:
                entry = json.loads(line)
            except ValueError:
                continue
            if "file" in entry:
                file_of[entry["photo"]] = entry["file"]
    sheet_lines = {}
    for line in lines:
        name = line.split("\t", 1)[0]
        if name in file_of.values():
            sheet_lines[name] = sheet_lines.get(name, 0) + 1
    kept = set(tally.acknowledged.values())
    lost = [i for i in kept if file_of.get(i) not in sheet_lines]
    marked_twice = sum(1 for count in sheet_lines.values() if count > 1)

    def seconds(values):
        return (f"p50 {percentile(values, 0.5):.2f} s  p95 {percentile(values, 0.95):.2f} s  "
                f"max {max(values) if values else float('nan'):.2f} s")

    print(f"command: {' '.join(command)}")
    print(f"clients {args.clients} x {args.per_client} uploads = {uploads}; distinct photos {len(digests)}; "
          f"wall {wall:.1f} s; {len(tally.card_latency) / wall:.2f} cards/s")
    print(f"upload -> final card  ({len(tally.card_latency)}): {seconds(tally.card_latency)}")
    print(f"upload -> received    ({len(tally.ack_latency)}): {seconds(tally.ack_latency)}")
    if len(tally.ack_at) >= 20:
        ordered = [latency for _, latency in sorted(tally.ack_at)]
        tenth = len(ordered) // 10
        print(f"upload -> received, first tenth of uploads: {seconds(ordered[:tenth])}; "
              f"last tenth: {seconds(ordered[-tenth:])}")
    print(f"card states: {json.dumps(tally.states, ensure_ascii=False)}")
    print(f"retried: 503 busy {tally.busy}, connection errors {tally.broken}; errors {len(tally.errors)}")
    for error in tally.errors[:5]:
        print(f"  {error}")
    print(f"duplicates: same bytes under another id {tally.same_as}, same id again {tally.repeat_id}; "
          f"inbox photos {len(file_of)}; photos marked more than once {marked_twice}")
    print(f"lost: acknowledged without a final card {len(tally.no_card)}; "
          f"acknowledged photos with no serve line {len(lost)}")
    print(f"serve: exit code {code}; last line: {lines[-1] if lines else '(none)'}")
    ok = code == 0 and not tally.errors and not tally.no_card and not lost
    if ok:
        shutil.rmtree(work, ignore_errors=True)
    else:
        print(f"kept for a look: {work}")
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
