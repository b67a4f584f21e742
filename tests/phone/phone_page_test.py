#!/usr/bin/python3
"""The phone capture page in headless Chromium on a phone-sized screen, against a real
`quillmark-cli serve`: photos are queued and uploaded, marked and shown as cards that agree
with `quillmark-cli read` and the server's own lines; photos taken offline follow when the
network returns (a repeated photo recorded once); the queue survives a reload; the server
refuses requests without its token, too large or not images; the results set is saved on
SIGTERM.

Usage: phone_page_test.py BIN  (the build's bin folder; or the environment variable
QUILLMARK_BIN). Exit status 0 passed, 1 failed, 77 skipped (no chromium or chromedriver)."""

import json
import os
import queue
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
import urllib.error
import urllib.request

from selenium import webdriver
from selenium.common.exceptions import WebDriverException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By

CHROMIUM = shutil.which("chromium") or "/usr/bin/chromium"
CHROMEDRIVER = shutil.which("chromedriver") or "/usr/bin/chromedriver"
FINAL = {"marked", "failed", "rejected"}
WAIT = 180  # seconds before a wait is declared hung

CARDS_JS = """return Array.from(document.querySelectorAll('.card'), c => {
  const t = s => { const e = c.querySelector(s); return e ? e.textContent.trim() : null; };
  return {id: c.dataset.id, state: c.dataset.state, number: t('.number'), name: t('.name'),
          score: t('.score'), message: t('.message'), duplicate: c.classList.contains('duplicate'),
          retake: !!c.querySelector('button.retake'),
          doubts: Array.from(c.querySelectorAll('.doubts li'), li => li.textContent)};
});"""


# What the phone keeps of a photo not yet sent: its type and its pixel size.
STORED_JS = """const [id, done] = arguments;
const open = indexedDB.open('quillmark-phone');
open.onsuccess = () => {
  const get = open.result.transaction('photos').objectStore('photos').get(id);
  get.onsuccess = () => createImageBitmap(new Blob([get.result.bytes])).then(
    b => done([get.result.type, b.width, b.height]), e => done([get.result.type, 0, 0]));
};"""


class Failure(Exception):
    pass


SHOTS = os.environ.get("QUILLMARK_SCREENSHOTS", "")  # make screenshot: pictures of the page


def shot(driver, name, element=None):
    if not SHOTS:
        return
    os.makedirs(SHOTS, exist_ok=True)
    if element is not None:
        driver.execute_script("arguments[0].scrollIntoView({block: 'center'})", element)
    driver.save_screenshot(os.path.join(SHOTS, name + ".png"))


def check(condition, message):
    if not condition:
        raise Failure(message)


class Serve:
    """`quillmark-cli serve` with its stdout read line by line on a thread."""

    def __init__(self, bin_dir, home, work):
        self.stderr = open(os.path.join(work, "serve.stderr"), "w+", encoding="utf-8")
        self.proc = subprocess.Popen(
            [os.path.join(bin_dir, "quillmark-cli"), "serve", "--home", home, "--paper", "示例试卷.CHO",
             "--roster", "示例名册.TXT", "--save", "phonetest", "--bind", "127.0.0.1", "--port", "0"],
            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=self.stderr,
            text=True, encoding="utf-8")
        self.first = queue.Queue()
        self.sheets = []
        threading.Thread(target=self._read, daemon=True).start()
        try:
            self.address = self.first.get(timeout=WAIT)
        except queue.Empty:
            self.address = None
        if not (self.address or "").startswith("http://127.0.0.1:") or not self.address.endswith("/"):
            self.proc.kill()
            self.proc.wait()
            raise Failure(f"serve's first line is not the page address: {self.address!r}\n{self.errors()}")

    def _read(self):
        first = True
        for line in self.proc.stdout:
            line = line.rstrip("\n")
            if first:
                self.first.put(line)
                first = False
            elif line.count("\t") >= 3:
                self.sheets.append(line.split("\t"))
        if first:
            self.first.put(None)

    def errors(self):
        self.stderr.flush()
        self.stderr.seek(0)
        return "serve stderr:\n" + self.stderr.read()[-4000:]

    def alive(self):
        check(self.proc.poll() is None, f"serve ended early ({self.proc.returncode})\n{self.errors()}")


def wait_until(what, condition, serve, shown=lambda: ""):
    """Polls condition until it returns something true; gives up (a hang) after WAIT seconds,
    saying what shown() returns."""
    end = time.monotonic() + WAIT
    while True:
        serve.alive()
        value = condition()
        if value:
            return value
        if time.monotonic() > end:
            raise Failure(f"gave up waiting for {what}\n{shown()}")
        time.sleep(0.2)


def browser():
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for arg in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage"):
        options.add_argument(arg)
    options.add_experimental_option("mobileEmulation", {
        "deviceMetrics": {"width": 360, "height": 780, "pixelRatio": 3.0},
        "userAgent": "Mozilla/5.0 (Linux; Android 13; Pixel 7) AppleWebKit/537.36 "
                     "(KHTML, like Gecko) Chrome/120.0 Mobile Safari/537.36"})
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    return webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)


class Page:
    def __init__(self, driver, serve, roster, free_numbers):
        self.driver, self.serve, self.roster = driver, serve, roster
        self.free_numbers = free_numbers  # roster numbers no photo carries, typed when asked
        self.typed = {}                   # card id -> the number typed into its prompt

    def cards(self):
        return self.driver.execute_script(CARDS_JS)

    def by_id(self):
        return {c["id"]: c for c in self.cards()}

    def status(self):
        return self.driver.find_element(By.ID, "status").text

    def shoot(self, path):
        """Takes one photo; returns the id of the card it made (the newest, on top)."""
        before = {c["id"] for c in self.cards()}
        self.driver.find_element(By.ID, "shoot").send_keys(path)

        def one_more():
            cards = self.cards()
            return len(cards) == len(before) + 1 and cards
        cards = wait_until("the card of " + os.path.basename(path), one_more, self.serve, self.shown)
        check(cards[0]["id"] not in before, "the newest card is not on top")
        return cards[0]["id"]

    def settle(self):
        """Waits until every card is final, answering every number prompt with a free roster
        number once it shows that number's name."""

        def settled():
            cards = self.cards()
            return all(c["state"] in FINAL | {"number"} for c in cards) and cards
        while True:
            cards = wait_until("the cards to settle", settled, self.serve, self.shown)
            asking = [c["id"] for c in cards if c["state"] == "number"]
            if not asking:
                return {c["id"]: c for c in cards}
            for card_id in asking:
                check(card_id not in self.typed, f"the card asks again for the number: {card_id}")
                number = self.typed[card_id] = self.free_numbers.pop(0)
                card = self.driver.find_element(By.CSS_SELECTOR, f'.card[data-id="{card_id}"]')
                if len(self.typed) == 1:
                    shot(self.driver, "6-phone-number-prompt", card)
                field = card.find_element(By.CSS_SELECTOR, "input.number-input")
                ok = card.find_element(By.CSS_SELECTOR, "button.number-ok")
                field.send_keys("x9999")  # not in the roster: said so, and not sent
                wait_until("the roster's refusal of 9999", lambda: self.text(card_id, ".number-name"), self.serve)
                check(field.get_attribute("value") == "9999" and not ok.is_enabled(),
                      f"9999 typed: {field.get_attribute('value')!r}, 确定 enabled: {ok.is_enabled()}")
                field.clear()
                field.send_keys(number)
                wait_until(f"the roster's name of {number}",
                           lambda: self.roster[number] in self.text(card_id, ".number-name"), self.serve)
                ok.click()
                # the card settles before the next prompt, so no click lands on a moving page
                wait_until("the card after the number", lambda: self.by_id()[card_id]["state"] in FINAL or
                           self.text(card_id, ".number-error"), self.serve, self.shown)
                check(self.by_id()[card_id]["state"] != "number",
                      f"the number {number} was refused: {self.text(card_id, '.number-error')}")

    def shown(self):
        return "status: " + self.status() + "\n" + "\n".join(map(str, self.cards()))

    def text(self, card_id, selector):
        return self.driver.execute_script(
            "const e = document.querySelector(`.card[data-id='${arguments[0]}'] ${arguments[1]}`);"
            "return e ? e.textContent : '';", card_id, selector)


def request(url, data=None, content_type=None):
    """(status, content type, body text) of a request, whatever its status."""
    req = urllib.request.Request(url, data=data, method="POST" if data is not None else "GET")
    if content_type:
        req.add_header("Content-Type", content_type)
    try:
        with urllib.request.urlopen(req, timeout=60) as r:
            return r.status, r.headers.get("Content-Type", ""), r.read().decode("utf-8")
    except urllib.error.HTTPError as e:
        return e.code, e.headers.get("Content-Type", ""), e.read().decode("utf-8", "replace")
    except (OSError, urllib.error.URLError) as e:
        raise Failure(f"{req.method} {url}: no answer ({e})")


def refusals(serve):
    root = serve.address[:serve.address.index("/", len("http://"))]
    token = serve.address.rstrip("/").rsplit("/", 1)[1]
    other = ("0" if token[0] != "0" else "1") + token[1:]
    jpeg = b"\xff\xd8\xff\xe0" + bytes(13 * 1024 * 1024)
    for what, url, body, ctype, code in (
            ("no token", root + "/", None, None, 403),
            ("no token, upload", root + "/photos/abcdef0123456789", b"\xff\xd8\xff", "image/jpeg", 403),
            ("another token", f"{root}/{other}/", None, None, 403),
            ("13 MB", serve.address + "photos/0123456789abcdef", jpeg, "image/jpeg", 413),
            ("text", serve.address + "photos/0123456789abcdee", "不是图片".encode(), "text/plain", 415)):
        status, got_type, text = request(url, body, ctype)
        check(status == code, f"{what}: answered {status}, not {code}: {text[:200]}")
        if code == 403:
            check(got_type.startswith("text/plain") and text.strip(), f"{what}: no text message ({got_type})")
        else:
            check(got_type.startswith("application/json") and json.loads(text).get("error"),
                  f"{what}: no JSON error ({got_type}): {text[:200]}")
    status, _, text = request(serve.address + "roster/0101")
    check(status == 200 and json.loads(text).get("name") == "张伟", f"roster/0101: {status} {text}")
    status, _, text = request(serve.address + "roster/9999")
    check(status == 404 and json.loads(text).get("error"), f"roster/9999: {status} {text}")


def jpeg_size(path):
    with open(path, "rb") as f:
        data = f.read()
    i = 2
    while i + 9 < len(data):
        marker, length = data[i + 1], int.from_bytes(data[i + 2:i + 4], "big")
        if 0xC0 <= marker <= 0xCF and marker not in (0xC4, 0xC8, 0xCC):
            return int.from_bytes(data[i + 7:i + 9], "big"), int.from_bytes(data[i + 5:i + 7], "big")
        i += 2 + length
    raise Failure(f"{path}: no JPEG frame header")


def check_shrunk(driver, card_id, photo):
    """The phone keeps a JPEG whose long side is at most 2400 px, never enlarged."""
    kind, width, height = driver.execute_async_script(STORED_JS, card_id)
    w, h = jpeg_size(photo)
    check(kind == "image/jpeg" and max(width, height) == min(2400, max(w, h)) and
          abs(width / height - w / h) < 0.01, f"{photo} ({w}x{h}) is kept as {kind} {width}x{height}")


def score_of(card):
    return float(card["score"].split("/")[0])


def check_cards(page, cards, photo_of, reads, unique):
    """Every card agrees with `read` of its photo (a number not in the roster asked for) and
    with serve's last line for its sheet (a sheet asking for its number has one before)."""
    last = {line[0]: line for line in page.serve.sheets}
    check(len(last) == unique, f"serve recorded {len(last)} sheets, not {unique}: {page.serve.sheets}")
    lines = list(last.values())
    check(sum(l[1] == "正常" for l in page.serve.sheets) == sum(l[1] == "正常" for l in lines),
          f"a sheet was marked twice: {page.serve.sheets}")
    for card_id, photo in photo_of.items():
        card, read = cards[card_id], reads[photo]
        name = os.path.basename(photo)
        if read.get("status") != "正常":
            check(card["state"] == "failed" and card["message"] and card["retake"],
                  f"{name} (read: {read.get('status') or read.get('error')}) has no failure card: {card}")
            continue
        check(card["state"] == "marked", f"{name} was read, but its card is {card}")
        examinee = read.get("examinee", "")
        if examinee in page.roster:
            check(card["number"] == examinee and card_id not in page.typed,
                  f"{name}: read {examinee}, the card {'asked, then ' * (card_id in page.typed)}shows {card}")
        else:
            check(card["number"] == page.typed.get(card_id),
                  f"{name}: read {examinee!r}, not in the roster, typed {page.typed.get(card_id)}: {card}")
        check(card["name"] == page.roster[card["number"]], f"{name}: the roster's name is not on {card}")
        mine = [l for l in lines if l[1] == "正常" and l[2] == card["number"]]
        check(len(mine) == 1, f"{name}: serve lines for {card['number']}: {mine}")
        check(float(mine[0][3]) == score_of(card), f"{name}: card score {card['score']}, serve {mine[0]}")
        check(len(mine[0]) < 5 or int(mine[0][4]) == len(card["doubts"]),
              f"{name}: serve counts {mine[0][4:]} doubts, the card lists {card['doubts']}")
    failed = [c for c in cards.values() if c["state"] == "failed" and not c["duplicate"]]
    check(len([l for l in lines if l[1] != "正常"]) == len(failed), f"failure lines: {lines}")


def saved_results(home, cards):
    folder = os.path.join(home, "ChengJi")
    names = {n.lower(): n for n in os.listdir(folder)}
    for ext in (".txt", ".cho", ".dan"):
        check("phonetest" + ext in names, f"ChengJi has no phonetest{ext}: {sorted(names.values())}")
    with open(os.path.join(folder, names["phonetest.txt"]), "rb") as f:
        rows = {l.split(",")[0]: l.split(",") for l in f.read().decode("gbk").splitlines()}
    for c in cards.values():
        if c["state"] == "marked":
            row = rows.get(c["number"])
            check(row and float(row[2]) == score_of(c), f"saved roster row of {c['number']}: {row}")


def make_photos(bin_dir, home, work):
    """The sheet photos (two samples whose numbers are in the roster, then the bench's phone
    captures, whose numbers are not), the non-sheet picture, and `read` of each."""
    shots = os.path.join(work, "photos")
    os.mkdir(shots)
    photos = [os.path.join(bin_dir, "sample", n) for n in ("sheet-0101.jpg", "sheet-0102.jpg")]
    bench = os.path.join(bin_dir, "accuracy_bench")
    if os.access(bench, os.X_OK):
        subprocess.run([bench, "--home", home, "--kind", "phone", "--seed", "7", "--count", "6",
                        "--threads", "1", "--save", shots], check=True, stdout=subprocess.DEVNULL)
        photos += sorted(os.path.join(shots, n) for n in os.listdir(shots))
    not_sheet = os.path.join(bin_dir, "sample", "not-a-sheet.jpg")
    out = subprocess.run([os.path.join(bin_dir, "quillmark-cli"), "read", "--home", home, *photos, not_sheet],
                         check=True, capture_output=True, text=True).stdout
    reads = {entry["file"]: entry for entry in map(json.loads, out.splitlines())}
    return photos, not_sheet, reads


def read_roster(home):
    with open(os.path.join(home, "MingCe", "示例名册.TXT"), "rb") as f:
        rows = [line.split(",") for line in f.read().decode("gbk").splitlines() if "," in line]
    return {row[0].strip(): row[1].strip() for row in rows}


def exercise(serve, home, photos, not_sheet, reads):
    roster = read_roster(home)
    carried = {r.get("examinee") for r in reads.values()}
    driver = browser()
    try:
        driver.get(serve.address)
        page = Page(driver, serve, roster, sorted(set(roster) - carried, reverse=True))
        wait_until("the page to start", page.status, serve)

        # Online: the photos one after another, the non-sheet among them.
        online = photos[:-1] + [not_sheet]
        photo_of = {page.shoot(p): p for p in online}
        cards = page.settle()
        driver.execute_script("window.scrollTo(0, 0)")
        shot(driver, "6-phone-cards")
        check_cards(page, cards, photo_of, reads, len(online))
        check(driver.execute_script("return document.documentElement.scrollWidth") <= 360,
              "the page is wider than the 360 px screen")

        # Offline: a new photo and a repeat wait on the phone, then follow.
        driver.set_network_conditions(offline=True, latency=0, download_throughput=0, upload_throughput=0)
        new_id, repeat_id = page.shoot(photos[-1]), page.shoot(photos[0])
        wait_until("the offline status", lambda: "离线" in page.status() and "待上传 2 张" in page.status(),
                   serve, page.shown)
        states = {page.by_id()[i]["state"] for i in (new_id, repeat_id)}
        check(states == {"pending"}, f"offline photos are {states}, not pending")
        check_shrunk(driver, new_id, photos[-1])
        check_shrunk(driver, repeat_id, photos[0])
        check(len({l[0] for l in serve.sheets}) == len(online), "serve recorded a photo sent offline")
        driver.delete_network_conditions()
        photo_of[new_id] = photos[-1]
        cards = page.settle()
        check(len(cards) == len(online) + 2, f"{len(cards)} cards for {len(online) + 2} photos")
        check_cards(page, cards, photo_of, reads, len(online) + 1)
        first = next(i for i, p in photo_of.items() if p == photos[0])
        repeat = cards[repeat_id]
        check(repeat["duplicate"] and not cards[first]["duplicate"], f"the repeat is not named as such: {repeat}")
        check((repeat["state"], repeat["number"], repeat["score"]) ==
              (cards[first]["state"], cards[first]["number"], cards[first]["score"]),
              f"the repeat's card {repeat} differs from the first {cards[first]}")
        check("待上传" not in page.status() and "离线" not in page.status(),
              f"status after the upload: {page.status()}")

        # The queue survives a reload; a failed photo can be removed from it.
        driver.refresh()
        wait_until("the cards after a reload", lambda: page.by_id() == cards, serve, page.shown)
        failed = next(i for i, c in cards.items() if c["state"] == "failed")
        driver.find_element(By.CSS_SELECTOR, f'.card[data-id="{failed}"] button.remove').click()
        wait_until("the removed card to go", lambda: failed not in page.by_id(), serve, page.shown)
        driver.refresh()
        wait_until("the cards after removing one", lambda: set(page.by_id()) == set(cards) - {failed}, serve,
                   page.shown)

        refusals(serve)
        check(len({l[0] for l in serve.sheets}) == len(online) + 1,
              f"serve recorded a refused request: {serve.sheets}")
        bad = [e["message"] for e in driver.get_log("browser")
               if "Content Security Policy" in e["message"] or "Uncaught" in e["message"]]
        check(not bad, "the page broke in the browser:\n" + "\n".join(bad))
        return cards
    finally:
        driver.quit()


def run(bin_dir, work):
    home = os.path.join(work, "program")
    for folder in ("DaTiKa", "sys", "ShiJuan", "MingCe"):
        shutil.copytree(os.path.join(bin_dir, folder), os.path.join(home, folder))
    photos, not_sheet, reads = make_photos(bin_dir, home, work)
    serve = Serve(bin_dir, home, work)
    try:
        cards = exercise(serve, home, photos, not_sheet, reads)
        serve.proc.send_signal(signal.SIGTERM)
        try:
            code = serve.proc.wait(timeout=WAIT)
        except subprocess.TimeoutExpired:
            raise Failure("serve did not end on SIGTERM")
        check(code == 0, f"serve ended with {code} on SIGTERM\n{serve.errors()}")
    finally:
        if serve.proc.poll() is None:
            serve.proc.kill()
            serve.proc.wait()
    saved_results(home, cards)


def main():
    bin_dir = sys.argv[1] if len(sys.argv) > 1 else os.environ.get("QUILLMARK_BIN", "")
    if not bin_dir or not os.path.isfile(os.path.join(bin_dir, "quillmark-cli")):
        print("usage: phone_page_test.py BIN (the folder of quillmark-cli), or QUILLMARK_BIN", file=sys.stderr)
        return 2
    if not (os.access(CHROMIUM, os.X_OK) and os.access(CHROMEDRIVER, os.X_OK)):
        print("skipped: chromium or chromedriver is not installed", file=sys.stderr)
        return 77
    with tempfile.TemporaryDirectory(prefix="quillmark-phone-") as work:
        try:
            run(os.path.abspath(bin_dir), work)
        except (Failure, subprocess.CalledProcessError, WebDriverException) as e:
            print("FAILED:", e, file=sys.stderr)
            return 1
    print("phone page: passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
