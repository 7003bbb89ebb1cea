#!/usr/bin/python3
"""The lookdev page in a real browser: Debian's chromium, headless, driven by
Selenium through chromium-driver.

Starts mattora-lookdev on a free port of 127.0.0.1, loads the page, moves the
roughness slider and drags the key light across the sphere, and after each
checks that the view and the plot changed as they should and that the
browser's console holds no error. Clicks both export buttons and checks the
looks they give, saves a screenshot, checks that the header keeps the title
and the frame summary apart at two widths, then stops the server with SIGTERM
and checks that it ends cleanly.

    lookdev_browser.py PROGRAM SCREENSHOT
"""

import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import WebDriverWait

TIMEOUT = 60  # seconds for any one step; a sanitizer build renders slowly

# A digest of the pixels the page shows, read back through a canvas.
VIEW_DIGEST = """
const image = document.getElementById('view');
if (!image.naturalWidth) return '';
const canvas = document.createElement('canvas');
canvas.width = image.naturalWidth; canvas.height = image.naturalHeight;
const context = canvas.getContext('2d');
context.drawImage(image, 0, 0);
const data = context.getImageData(0, 0, canvas.width, canvas.height).data;
let h = 2166136261;
for (let i = 0; i < data.length; ++i) { h ^= data[i]; h = Math.imul(h, 16777619); }
return canvas.width + 'x' + canvas.height + ':' + (h >>> 0).toString(16);
"""

# Where the header's title and frame summary lie: the title on one line (no
# taller than its second word), the summary beside it with a gap or below it,
# and inside the window.
HEADER_LAYOUT = """
const title = document.querySelector('h1').getBoundingClientRect();
const word = document.querySelector('h1 span').getBoundingClientRect();
const summary = document.getElementById('summary').getBoundingClientRect();
return {titleOnOneLine: title.height < 1.5 * word.height,
        apart: summary.left >= title.right + 8 || summary.top >= title.bottom,
        summaryInWindow: summary.width > 0 && summary.right <= window.innerWidth};
"""


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def start_server(program):
    server = subprocess.Popen([program, "--port", "0"], stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, text=True)
    line = server.stdout.readline()
    match = re.search(r"http://127\.0\.0\.1:(\d+)/", line)
    if not match:
        server.kill()
        raise Failure("mattora-lookdev printed no URL: %r %r" % (line, server.stderr.read()))
    return server, match.group(0)


def browser(profile):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    # Headless as root on a machine without a network: no sandbox, no GPU,
    # and nothing that reaches out on start (QUIC, updates, sync).
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                 "--no-first-run", "--disable-background-networking",
                 "--disable-component-update", "--disable-sync",
                 "--window-size=1280,1200", "--user-data-dir=" + profile):
        options.add_argument(flag)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def settled(driver, after_generation):
    """Waits for the refined frame and the plot of a newer change than
    `after_generation`; returns (generation, view digest, plot path)."""
    def ready(d):
        frame = d.find_element(By.ID, "frame")
        plot = d.find_element(By.ID, "plot")
        spp = d.find_element(By.ID, "spp").get_attribute("value")
        generation = int(frame.get_attribute("data-generation") or -1)
        if generation <= after_generation or frame.get_attribute("data-pass") != "refined" \
                or frame.get_attribute("data-spp") != spp:
            return False
        if plot.get_attribute("data-generation") != str(generation):
            return False
        return generation
    generation = WebDriverWait(driver, TIMEOUT).until(ready)
    curve = driver.find_element(By.ID, "curve-maya").get_attribute("d")
    return generation, driver.execute_script(VIEW_DIGEST), curve


def check_console(driver, when):
    # Reading the log empties it: each check sees what came since the last.
    errors = [entry["message"] for entry in driver.get_log("browser")
              if entry["level"] == "SEVERE"]
    check(not errors, "console errors %s: %s" % (when, errors))


def run(program, screenshot):
    server, url = start_server(program)
    profile = tempfile.mkdtemp(prefix="lookdev-chromium-")
    driver = None
    try:
        driver = browser(profile)
        driver.get(url)
        generation, view, curve = settled(driver, 0)
        check(view, "the page shows no picture")
        check(driver.find_element(By.ID, "error").get_attribute("hidden") is not None,
              "the page shows an error: " + driver.find_element(By.ID, "error").text)
        caption = driver.find_element(By.ID, "plot-caption").text
        check("A = 0.78448" in caption and "B = 0.33088" in caption,
              "the plot does not give the model's A and B at roughness 0.5: " + caption)
        check_console(driver, "on loading the page")

        # The roughness slider, moved by the keyboard as a user may: to its
        # top end, 1.5.
        slider = driver.find_element(By.ID, "roughness-slider")
        slider.click()
        slider.send_keys(Keys.END)
        generation, rough_view, rough_curve = settled(driver, generation)
        check(driver.find_element(By.ID, "roughness").get_attribute("value") == "1.5",
              "the number beside the slider does not follow it")
        check(rough_view != view, "the view did not change with the roughness")
        check(rough_curve != curve, "the plot did not change with the roughness")
        check_console(driver, "after moving the roughness")

        # The key light, dragged across the sphere from its left to its right.
        readout = driver.find_element(By.ID, "key-readout").text
        image = driver.find_element(By.ID, "view")
        width = image.size["width"]
        ActionChains(driver).move_to_element_with_offset(image, -width // 3, 0) \
            .click_and_hold().move_by_offset(width // 8, -20).move_by_offset(width // 8, -20) \
            .release().perform()
        generation, lit_view, lit_curve = settled(driver, generation)
        check(driver.find_element(By.ID, "key-readout").text != readout,
              "the key light's direction shown did not change")
        check(lit_view != rough_view, "the view did not change with the light")
        check(lit_curve != rough_curve, "the plot did not change with the light's elevation")
        # Each change showed a quick frame first, and the page says which it shows.
        check(driver.execute_script(
            "return performance.getEntriesByType('resource').some("
            "(e) => e.name.includes('/render?') && e.name.includes('quick=1'))"),
            "the page asked for no quick frame")
        check(driver.find_element(By.ID, "state").text.startswith("refined frame"),
              "the page does not say it shows the refined frame: "
              + driver.find_element(By.ID, "state").text)
        check_console(driver, "after moving the light")

        # Each button gives the look of the values shown, roughness 1.5 by now.
        for button, look, expected in (
                ("export-mel", "mel", ("shadingNode -asShader mattora",
                                       'setAttr ($node + ".roughness") 1.5;')),
                ("export-mi", "mi", ('"vela_mattora" (', '"roughness" 1.5,'))):
            driver.find_element(By.ID, button).click()
            WebDriverWait(driver, TIMEOUT).until(
                lambda d: d.find_element(By.ID, "export-status").get_attribute("data-format")
                == look)
            text = driver.find_element(By.ID, "export-text").get_attribute("value")
            for part in expected:
                check(part in text, "the %s look lacks %r: %r" % (look, part, text))
            check(driver.find_element(By.ID, "export-status").text,
                  "the page does not say whether the %s look was copied" % look)
        check_console(driver, "after exporting")

        driver.save_screenshot(screenshot)
        for width in (1400, 1000):
            driver.set_window_size(width, 1200)
            layout = driver.execute_script(HEADER_LAYOUT)
            check(all(layout.values()), "the header at %d px: %s" % (width, layout))
        print("lookdev page: view and plot follow the roughness and the key light, both "
              "looks export, the header holds at 1400 and 1000 px, console clean; "
              "screenshot " + screenshot)
    finally:
        if driver:
            driver.quit()
        shutil.rmtree(profile, ignore_errors=True)
        server.send_signal(signal.SIGTERM)
        try:
            code = server.wait(timeout=TIMEOUT)
        except subprocess.TimeoutExpired:
            server.kill()
            code = None
    check(code == 0, "mattora-lookdev did not stop cleanly on SIGTERM (exit %s)" % code)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    try:
        run(sys.argv[1], sys.argv[2])
    except Failure as failure:
        print("lookdev browser test FAILED: %s" % failure, file=sys.stderr)
        sys.exit(1)


if __name__ == "__main__":
    main()
