#!/usr/bin/python3
"""How long the lookdev page's quick frame takes after a light move, as the
browser times it: headless chromium (as tests/browser/lookdev_browser.py
drives it) on a mattora-lookdev of its own, the page at its default settings.

The key light is moved MOVES times by a click on a different point of the
sphere; after each move the script leaves the browser alone for 0.6 s (the
driver's polling would take the cores the server renders on), waits for the
refined frame, then reads
the Resource Timing entry of the first frame request made after the move (the
quick frame: one sample per pixel at half the size) and of the plot request
made beside it. Prints each move's figures, then the medians and the
machine's load average.

    bench/lookdev_browser_timing.py PROGRAM [MOVES]

For example, after `cmake --build --preset preview`:

    bench/lookdev_browser_timing.py build/release/preview/mattora-lookdev 40
"""

import math
import os
import shutil
import signal
import statistics
import sys
import tempfile
import time

sys.dont_write_bytecode = True  # nothing left beside the browser test
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                                "browser"))
import lookdev_browser as page  # noqa: E402  (the browser test's server and browser set-up)

from selenium.webdriver.common.action_chains import ActionChains  # noqa: E402
from selenium.webdriver.common.by import By  # noqa: E402

# The requests made since `since` (performance.now()), each as name, start and
# duration in milliseconds.
ENTRIES = """
return performance.getEntriesByType('resource')
  .filter((e) => e.startTime >= arguments[0])
  .map((e) => [e.name, e.startTime, e.responseEnd - e.startTime]);
"""


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    program = sys.argv[1]
    moves = int(sys.argv[2]) if len(sys.argv) == 3 else 30
    server, url = page.start_server(program)
    profile = tempfile.mkdtemp(prefix="lookdev-timing-")
    driver = None
    quick, plots = [], []
    try:
        driver = page.browser(profile)
        driver.get(url)
        driver.execute_script("performance.setResourceTimingBufferSize(100000)")
        generation, _, _ = page.settled(driver, 0)
        image = driver.find_element(By.ID, "view")
        width, height = image.size["width"], image.size["height"]
        for move in range(moves):
            # Points spread over the left sphere's disc, a new one each time.
            angle = 2.399963 * move
            radius = 0.12 * width * ((move % 5) + 1) / 5
            dx = int(-width / 4 + radius * math.cos(angle))
            dy = int(radius * math.sin(angle))
            since = driver.execute_script("return performance.now()")
            ActionChains(driver).move_to_element_with_offset(image, dx, dy).click().perform()
            # Nothing asked of the browser while the frames are made: the
            # driver's polling would take the cores the server renders on.
            time.sleep(0.6)
            generation, _, _ = page.settled(driver, generation)
            entries = sorted(driver.execute_script(ENTRIES, since), key=lambda e: e[1])
            frames = [e for e in entries if "/render?" in e[0]]
            plot = [e for e in entries if "/plot?" in e[0]]
            page.check(frames and "quick=1" in frames[0][0],
                       "the first frame request after a move was not a quick frame")
            quick.append(frames[0][2])
            if plot:
                plots.append(plot[0][2])
            print("move %2d: quick frame %6.1f ms, plot %6.1f ms" %
                  (move + 1, frames[0][2], plot[0][2] if plot else float("nan")))
        page.check_console(driver, "while timing")
    finally:
        if driver:
            driver.quit()
        shutil.rmtree(profile, ignore_errors=True)
        server.send_signal(signal.SIGTERM)
        server.wait(timeout=page.TIMEOUT)
    load = os.getloadavg()
    print("median of %d moves: quick frame %.1f ms (min %.1f, max %.1f), plot %.1f ms; "
          "load average %.2f %.2f %.2f on %d cores" %
          (len(quick), statistics.median(quick), min(quick), max(quick),
           statistics.median(plots) if plots else float("nan"), load[0], load[1], load[2],
           os.cpu_count()))


if __name__ == "__main__":
    main()
