#!/usr/bin/python3
# Browser tills and the web console of darvo-service, in a real browser:
# Debian's Chromium, headless, driven through chromedriver (python3-selenium),
# against darvo-service and darvo-sim run as programs.
#   browser_test.py DARVO_SIM DARVO_SERVICE SOURCE_DIR SCREENSHOT
# A page of an allowed origin prints a receipt through darvo-client.js once,
# also when the first answer is cut off; a page of another origin cannot;
# the console signs in, shows the printer, prints the daily report for an
# owner and offers it to no pos token; a bad token gets a clear message.
# SCREENSHOT is where the console's picture goes.
import functools
import http.server
import json
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import urllib.request

from selenium import webdriver
from selenium.webdriver.chrome.service import Service as DriverService
from selenium.webdriver.common.by import By
from selenium.webdriver.support import expected_conditions as EC
from selenium.webdriver.support.ui import WebDriverWait

SIM, SERVICE, SOURCE, SCREENSHOT = sys.argv[1:5]
del sys.argv[1:5]
# A slow run (sanitizers, a busy machine) waits longer, never less.
PATIENCE = 30 * float(os.environ.get("DARVO_TEST_TIME_SCALE", "1") or 1)
TOKENS = {"pos": "pos-token-0123456789abc", "owner": "owner-token-0123456789ab",
          "technician": "technician-token-01234567"}


class Pages(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def serve(directory):
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Pages, directory=directory))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


class Browser(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = pathlib.Path(tempfile.mkdtemp(prefix="darvo-browser-"))
        # The till's pages, and a copy of the client for the page the
        # service does not allow (which may not load the service's own).
        for name in ("till.html", "till.js"):
            shutil.copy(pathlib.Path(SOURCE, "tests/browser", name), cls.dir)
        shutil.copy(pathlib.Path(SOURCE, "service/web/darvo-client.js"), cls.dir)
        cls.allowed, cls.other = serve(str(cls.dir)), serve(str(cls.dir))
        cls.allowed_origin = f"http://127.0.0.1:{cls.allowed.server_port}"
        tokens = cls.dir / "tokens"
        tokens.write_text("".join(f"{role} {token}\n" for role, token in TOKENS.items()))
        tokens.chmod(0o600)
        cls.roll = cls.dir / "roll.txt"
        cls.sim = subprocess.Popen([SIM, "--link", str(cls.dir / "printer"), "--roll", str(cls.roll),
                                    "--print-time", "200"], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                   text=True)
        cls.sim.stdout.readline()  # its pseudo-terminal: it is ready
        cls.log = cls.dir / "service.log"
        cls.service = subprocess.Popen(
            [SERVICE, "--listen", "127.0.0.1:0", "--printer", f"till={cls.dir / 'printer'}", "--journal",
             str(cls.dir / "journal.db"), "--tokens", str(tokens), "--timeout-ms", "2000", "--web-root",
             str(pathlib.Path(SOURCE, "service/web")), "--allow-origin", cls.allowed_origin,
             "--status-interval-ms", "0"],
            stderr=(log := open(cls.log, "w")))
        log.close()  # the service has its own copy
        deadline = time.monotonic() + PATIENCE
        while not (port := re.search(r"event=listening .* port=(\d+)", cls.log.read_text())):
            assert time.monotonic() < deadline and cls.service.poll() is None, cls.log.read_text()
            time.sleep(0.05)
        cls.url = f"http://127.0.0.1:{port.group(1)}"
        options = webdriver.ChromeOptions()
        for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                     "--disable-background-networking", "--disable-component-update", "--disable-sync",
                     "--disable-dev-shm-usage", "--window-size=1280,900", f"--user-data-dir={cls.dir / 'profile'}"):
            options.add_argument(flag)
        options.binary_location = "/usr/bin/chromium"
        cls.browser = webdriver.Chrome(service=DriverService("/usr/bin/chromedriver"), options=options)
        cls.browser.set_script_timeout(PATIENCE)

    @classmethod
    def tearDownClass(cls):
        cls.browser.quit()
        cls.service.terminate()
        cls.service.wait(PATIENCE)
        cls.sim.terminate()
        cls.sim.wait(PATIENCE)
        cls.sim.stdin.close()
        cls.sim.stdout.close()
        for server in (cls.allowed, cls.other):
            server.shutdown()
            server.server_close()
        shutil.rmtree(cls.dir, ignore_errors=True)

    def receipts(self):
        return self.roll.read_text().count("#KASA") if self.roll.exists() else 0

    def sale(self, page_port, client, **options):
        self.browser.get(f"http://127.0.0.1:{page_port}/till.html?service={self.url}&client={client}")
        WebDriverWait(self.browser, PATIENCE).until(EC.text_to_be_present_in_element((By.ID, "result"), "ready"))
        return self.browser.execute_async_script(
            "const [options, done] = arguments; window.sale(options).then(done, e => done({error: String(e)}));",
            options)

    def test_a_till_of_an_allowed_origin_prints_once_even_when_the_answer_is_lost(self):
        before = self.receipts()
        answer = self.sale(self.allowed.server_port, "service", token=TOKENS["pos"], key="web-1",
                           cutFirstAnswer=True)
        self.assertEqual("printed", answer.get("state"), answer)
        self.assertEqual(before + 1, self.receipts(), "printed once, though its first answer was lost")

    def test_a_till_of_another_origin_cannot(self):
        before = self.receipts()
        answer = self.sale(self.other.server_port, "local", token=TOKENS["pos"], key="web-2", retries=0)
        self.assertEqual("no_answer", answer.get("error"), answer)
        self.assertEqual(before, self.receipts())
        self.assertIn("event=origin_not_allowed", self.log.read_text())

    def test_preflight_and_the_console_headers(self):
        preflight = urllib.request.Request(self.url + "/v1/printers/till/receipts", method="OPTIONS", headers={
            "Origin": self.allowed_origin, "Access-Control-Request-Method": "POST",
            "Access-Control-Request-Headers": "authorization, idempotency-key, content-type",
            "Access-Control-Request-Private-Network": "true"})
        with urllib.request.urlopen(preflight) as r:
            self.assertEqual(204, r.status)
            self.assertEqual(self.allowed_origin, r.headers["Access-Control-Allow-Origin"])
            self.assertEqual("Authorization, Idempotency-Key, Content-Type", r.headers["Access-Control-Allow-Headers"])
            self.assertEqual("true", r.headers["Access-Control-Allow-Private-Network"])
            self.assertEqual("Origin", r.headers["Vary"])
        refused = urllib.request.Request(self.url + "/v1/printers/till/receipts", method="OPTIONS",
                                         headers={"Origin": "https://evil.example"})
        with self.assertRaises(urllib.error.HTTPError) as e:
            urllib.request.urlopen(refused)
        self.assertEqual(403, e.exception.code)
        self.assertEqual("origin_not_allowed", json.load(e.exception)["error"]["kind"])
        with urllib.request.urlopen(self.url + "/") as r:
            self.assertIn("default-src 'self'", r.headers["Content-Security-Policy"])
            self.assertIn("frame-ancestors 'none'", r.headers["Content-Security-Policy"])
            self.assertEqual("nosniff", r.headers["X-Content-Type-Options"])
            self.assertEqual("no-referrer", r.headers["Referrer-Policy"])
            self.assertNotIn("<script>", r.read().decode())  # no inline script

    def sign_in(self, token):
        # The kept token goes on a page of the same origin where no console
        # runs: a console still signing in with it could keep it again.
        self.browser.get(self.url + "/v1/whoami")
        self.browser.execute_script("sessionStorage.clear()")
        self.browser.get(self.url + "/")
        field = WebDriverWait(self.browser, PATIENCE).until(EC.visibility_of_element_located((By.ID, "token")))
        field.send_keys(token)
        self.browser.find_element(By.ID, "sign-in-button").click()

    def test_the_console(self):
        wait = WebDriverWait(self.browser, PATIENCE)
        # A sale of the morning, for the journal to show.
        sale = urllib.request.Request(self.url + "/v1/printers/till/receipts", method="POST", data=json.dumps(
            {"lines": [{"name": "Chleb żytni", "quantity": "1", "price": "4.50", "rate": "B"}],
             "payments": [{"type": "card", "amount": "4.50"}]}).encode(), headers={
            "Authorization": "Bearer " + TOKENS["pos"], "Idempotency-Key": "console-sale-1",
            "Content-Type": "application/json"})
        with urllib.request.urlopen(sale) as r:
            self.assertEqual(200, r.status)
        self.sign_in("a-token-that-is-not-one")
        wait.until(EC.text_to_be_present_in_element((By.ID, "sign-in-error"), "Nieprawidłowy token"))

        self.sign_in(TOKENS["pos"])
        wait.until(EC.text_to_be_present_in_element((By.CSS_SELECTOR, "[data-printer=till]"), "DARVO PEXA"))
        self.assertEqual([], self.browser.find_elements(By.CSS_SELECTOR, ".daily-report"))
        self.assertFalse(self.browser.find_element(By.ID, "journal").is_displayed())

        self.sign_in(TOKENS["owner"])
        wait.until(EC.text_to_be_present_in_element((By.CSS_SELECTOR, "[data-printer=till]"), "DARVO PEXA"))
        self.assertIn("Rola: właściciel", self.browser.find_element(By.ID, "who").text)
        self.assertEqual(None, self.browser.execute_script("return new URL(location.href).search || null"),
                         "the token in a URL")
        wait.until(EC.presence_of_element_located((By.CSS_SELECTOR, "#journal-table tbody tr[data-key]")))
        pathlib.Path(SCREENSHOT).parent.mkdir(parents=True, exist_ok=True)
        self.browser.save_screenshot(SCREENSHOT)
        self.browser.find_element(By.CSS_SELECTOR, ".daily-report").click()
        wait.until(EC.visibility_of_element_located((By.ID, "confirm-yes")))
        self.assertIn("raport dobowy", self.browser.find_element(By.ID, "confirm-text").text)
        self.browser.find_element(By.ID, "confirm-yes").click()
        wait.until(EC.text_to_be_present_in_element((By.ID, "message"), "Raport dobowy wydrukowany."))
        self.assertIn("RAPORT DOBOWY", self.roll.read_text())
        wait.until(EC.text_to_be_present_in_element((By.ID, "journal-table"), "raport dobowy"))


if __name__ == "__main__":
    unittest.main(verbosity=2)
