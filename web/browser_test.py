#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""What a browser adds to the page, in headless Chromium at a phone's width:
the site served on 127.0.0.1 and opened from the disk, typed at with the
keyboard, no request leaving the site's folder, no error logged. Prints the
site's size and how soon the box takes input; saves a screenshot.
usage: browser_test.py SITE-DIRECTORY OUTPUT-DIRECTORY"""
import functools, gzip, http.server, json, pathlib, sys, tempfile, threading
from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import WebDriverWait

site, out = (pathlib.Path(arg).resolve() for arg in sys.argv[1:3])
advice = "; type a plain number such as 50000 or 50000.00, without spaces, commas or a dollar sign"
ids = ["result", "table-tax", "worksheet-tax", "total-tax", "error"]  # what the page shows
cases = [("50 000", "single", "", "", "", "", "the income has a space inside it" + advice),
         ("150000", "single", "Your 2008 tax is: $35978.25", "", "$35,978.25", "$35,978.25", ""),
         ("50000", "single", "Your 2008 tax is: $8843.75", "$8,850", "", "$8,843.75", ""),
         ("50000", "married-jointly", "Your 2008 tax is: $6697.50", "$6,701", "", "$6,697.50", ""),
         ("150000", "head-of-household", "Your 2008 tax is: $33683.00", "", "$33,683.00", "$33,683.00", "")]

packed = sum(len(gzip.compress(f.read_bytes(), 9)) for f in site.iterdir())
print(f"site: {sum(f.stat().st_size for f in site.iterdir())} bytes, {packed} gzipped")
assert packed <= 100_000, "the site is over 100 KB gzipped"

class Quiet(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass

server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Quiet, directory=site))
threading.Thread(target=server.serve_forever, daemon=True).start()
options = webdriver.ChromeOptions()
options.binary_location = "/usr/bin/chromium"
for flag in ["--headless", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage", "--window-size=390,844",
             "--disable-background-networking", "--user-data-dir=" + tempfile.mkdtemp()]:
    options.add_argument(flag)
options.set_capability("goog:loggingPrefs", {"browser": "ALL", "performance": "ALL"})
driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
text = lambda id: driver.find_element(By.ID, id).text
try:
    for folder in [f"http://127.0.0.1:{server.server_port}/", site.as_uri() + "/"]:
        driver.get_log("performance")  # what the browser did on its own before
        driver.get(folder + "index.html")
        box = WebDriverWait(driver, 10).until(lambda d: d.find_element(By.ID, "income").is_enabled()
                                              and d.find_element(By.ID, "income"))
        ready = driver.execute_script("return document.documentElement.dataset.readyMs")
        print(f"{folder}index.html: the box takes input {ready} ms after navigation")
        assert driver.switch_to.active_element == box, "the box does not have the focus"
        for typed, status, *shown in cases:
            driver.find_element(By.CSS_SELECTOR, f'input[name="status"][value="{status}"]').click()
            box.clear()
            box.send_keys(typed + Keys.ENTER)
            assert [text(id) for id in ids] == shown, (typed, status, [text(id) for id in ids])
        driver.save_screenshot(str(out / "page.png"))
        assert driver.execute_script("return document.documentElement.scrollWidth <= innerWidth")
        assert not [e for e in driver.get_log("browser") if e["level"] == "SEVERE"]
        events = [json.loads(entry["message"])["message"] for entry in driver.get_log("performance")]
        requests = [e["params"]["request"]["url"] for e in events if e["method"] == "Network.requestWillBeSent"
                    and e["params"].get("documentURL", "").startswith(folder)]  # the page's own
        assert len(requests) >= 4 and all(r.startswith((folder, "data:")) for r in requests), requests
finally:
    driver.quit()
    server.shutdown()
print(f"{len(cases)} inputs typed, over HTTP and from file://; screenshot in {out / 'page.png'}")
