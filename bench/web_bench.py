#!/usr/bin/python3
"""The web page's figures: its size, and the time from the start of loading
it from disk to the end of its first drawn frame, in headless Chromium on
its software renderer, median of five fresh browsers. It measures; it does
not judge.

usage: web_bench.py velmora.html"""
import gzip
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tests'))
from web_test import chromium  # noqa: E402

# The page draws only in animation frames: note when the first one returns.
NOTE_FIRST_FRAME = '''
const request = window.requestAnimationFrame;
window.requestAnimationFrame = draw => request(time => {
    draw(time);
    if (window.firstFrame === undefined) window.firstFrame = performance.now();
});'''


def first_frame_ms(page):
    driver = chromium()
    try:
        driver.execute_cdp_cmd('Page.addScriptToEvaluateOnNewDocument', {'source': NOTE_FIRST_FRAME})
        driver.get('file://' + page)
        deadline = time.time() + 30
        while (ms := driver.execute_script('return window.firstFrame')) is None:
            if time.time() > deadline:
                sys.exit('web_bench: no frame within 30 s')
            time.sleep(0.01)
        return ms, driver.capabilities['browserVersion']
    finally:
        driver.quit()


page = os.path.abspath(sys.argv[1])
data = open(page, 'rb').read()
runs = [first_frame_ms(page) for _ in range(5)]
print(f'web page: {len(data) / 1024:.1f} KiB, {len(gzip.compress(data, 9)) / 1024:.1f} KiB gzipped')
print(f'page load to first frame: {statistics.median(ms for ms, _ in runs):.0f} ms '
      f'(Chromium {runs[0][1]}, software GL, median of {len(runs)})')
