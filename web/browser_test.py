#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""What a browser adds to the page, in headless Chromium at a phone's width:
the page served from 127.0.0.1 and opened from the disk, typed at with the
keyboard, with no request leaving the site's folder and no error logged.
Prints the site's size and how soon the box could be typed in; saves a
screenshot. usage: browser_test.py SITE-DIRECTORY OUTPUT-DIRECTORY"""
import functools
import gzip
import http.server
import json
import pathlib
import sys
import tempfile
import threading

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import WebDriverWait

site, out = (pathlib.Path(arg).resolve() for arg in sys.argv[1:3])
ADVICE = "; type a plain number such as 50000 or 50000.00, without spaces, commas or a dollar sign"
# Typed, then what the page shows: result line, Table amount, error.
CASES = [
    ("50000", "Your 2008 tax is: $8843.75", "$8,850", ""),
    ("150000", "Your 2008 tax is: $35978.25", "", ""),
    ("50 000", "", "", "the income has a space inside it" + ADVICE),
]

raw = sum(f.stat().st_size for f in site.iterdir())
packed = sum(len(gzip.compress(f.read_bytes(), 9)) for f in site.iterdir())
print(f"site: {raw} bytes, {packed} gzipped")
assert packed <= 100_000, "the site is over 100 KB gzipped"

class Quiet(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Quiet, directory=str(site)))
threading.Thread(target=server.serve_forever, daemon=True).start()

options = webdriver.ChromeOptions()
options.binary_location = "/usr/bin/chromium"
for flag in ["--headless", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
             "--window-size=390,844", "--no-first-run", "--disable-background-networking",
             "--disable-component-update", "--disable-sync", "--disable-quic",
             "--user-data-dir=" + tempfile.mkdtemp()]:
    options.add_argument(flag)
options.set_capability("goog:loggingPrefs", {"browser": "ALL", "performance": "ALL"})
driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
text = lambda id: driver.find_element(By.ID, id).text
try:
    for url, folder in [(f"http://127.0.0.1:{server.server_port}/index.html",
                         f"http://127.0.0.1:{server.server_port}/"),
                        (site.joinpath("index.html").as_uri(), site.as_uri() + "/")]:
        driver.get_log("performance")  # what the browser did on its own before
        driver.get(url)
        box = WebDriverWait(driver, 10).until(
            lambda d: d.find_element(By.ID, "income").is_enabled() and d.find_element(By.ID, "income"))
        print(f"{url}: the box enabled {driver.execute_script('return document.documentElement.dataset.readyMs')} ms"
              " after navigation")
        assert driver.switch_to.active_element == box, "the box does not have the focus"
        for typed, result, table, error in CASES:
            box.clear()
            box.send_keys(typed + Keys.ENTER)
            assert (text("result"), text("table-tax"), text("error")) == (result, table, error), typed
            assert text("schedule-note") != "" if typed == "150000" else True, typed
            if typed == "50000":
                assert text("total-tax") == "$8,843.75" and len(driver.find_elements(By.CSS_SELECTOR, "#rows tr")) == 3
                driver.save_screenshot(str(out / "page.png"))
        assert driver.execute_script("return document.documentElement.scrollWidth <= innerWidth"), \
            "the page is wider than a phone's screen"
        severe = [entry for entry in driver.get_log("browser") if entry["level"] == "SEVERE"]
        assert not severe, severe
        events = [json.loads(entry["message"])["message"] for entry in driver.get_log("performance")]
        requests = [e["params"]["request"]["url"] for e in events if e["method"] == "Network.requestWillBeSent"
                    and e["params"].get("documentURL", "").startswith(folder)]  # the page's own
        assert len(requests) >= 4, requests
        away = [request for request in requests if not request.startswith((folder, "data:"))]
        assert not away, away
finally:
    driver.quit()
    server.shutdown()
print(f"{len(CASES)} inputs typed over HTTP and from file://; screenshot {out / 'page.png'}")
