#!/usr/bin/python3
"""The web page's figures: its size, and the time from the start of loading
it from disk to the end of its first drawn frame, in headless Chromium on
its software renderer, at pixel ratios 1 and 2, each beside a floor: a bare
page that only clears a 700 x 700 CSS pixel WebGL canvas at that ratio, in a
viewport of the window's size. Each is the median of seven fresh browsers, the three taken in turn
so that a busy moment of the machine falls on all of them; the page's time
is also split where it goes. It measures; it does not judge.

usage: web_bench.py velmora.html"""
import gzip
import os
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tests'))
from web_test import chromium  # noqa: E402

# Notes when the page's steps happen: its script has run up to compiling
# the WebAssembly (at once, or else in the background), the WebAssembly is
# compiled, the WebGL context is asked for and made, the first animation
# frame is asked for, and when that frame, the first, returns.
NOTE_STEPS = '''
window.steps = {};
const note = step => { if (!(step in steps)) steps[step] = performance.now(); };
const compile = WebAssembly.Module, instantiate = WebAssembly.instantiate;
WebAssembly.Module = function(bytes) {
    note('script run');
    const module = new compile(bytes);
    note('WebAssembly ready');
    return module;
};
WebAssembly.instantiate = function() {
    note('script run');
    return instantiate.apply(this, arguments).then(result => (note('WebAssembly ready'), result));
};
const getContext = HTMLCanvasElement.prototype.getContext;
HTMLCanvasElement.prototype.getContext = function(kind) {
    if (kind == '2d') return getContext.apply(this, arguments);  // the icons'
    note('context asked for');
    const context = getContext.apply(this, arguments);
    note('context made');
    return context;
};
const request = window.requestAnimationFrame;
window.requestAnimationFrame = draw => {
    note('frame asked for');
    return request(time => { draw(time); note('first frame'); });
};'''

# The floor: the window's view alone, 700 CSS pixels square and drawn at the
# screen's pixel ratio as the page's is, with the page's context attributes
# (no alpha, no antialiasing, a depth buffer), cleared once in a frame.
FLOOR = '''<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8"><title>floor</title></head>
<body style="margin: 0"><canvas style="width: 700px; height: 700px"></canvas>
<script>
  var canvas = document.querySelector('canvas');
  canvas.width = canvas.height = 700 * devicePixelRatio;
  var gl = canvas.getContext('webgl',
                                                      {alpha: false, antialias: false, depth: true});
  requestAnimationFrame(function() {
    gl.clearColor(0.5, 0.5, 0.5, 1);
    gl.clear(gl.COLOR_BUFFER_BIT | gl.DEPTH_BUFFER_BIT);
  });
</script></body></html>
'''


def steps(page, ratio):
    """The page's steps in ms from the start of its load, in a viewport of
    the window's size at this pixel ratio."""
    driver = chromium()
    try:
        driver.execute_cdp_cmd('Emulation.setDeviceMetricsOverride',
                               {'width': 720, 'height': 750, 'deviceScaleFactor': ratio, 'mobile': False})
        driver.execute_cdp_cmd('Page.addScriptToEvaluateOnNewDocument', {'source': NOTE_STEPS})
        driver.get('file://' + page)
        deadline = time.time() + 30
        while 'first frame' not in (noted := driver.execute_script('return window.steps')):
            if time.time() > deadline:
                sys.exit(f'web_bench: no frame from {page} within 30 s')
            time.sleep(0.01)
        noted['loaded'] = driver.execute_script(
            'return performance.getEntriesByType("navigation")[0].responseEnd')
        noted['version'] = driver.capabilities['browserVersion']
        return noted
    finally:
        driver.quit()


page = os.path.abspath(sys.argv[1])
data = open(page, 'rb').read()
with tempfile.NamedTemporaryFile('w', suffix='.html') as floor:
    floor.write(FLOOR)
    floor.flush()
    runs = {key: [] for key in ('floor 1', 'floor 2', 1, 2)}
    for _ in range(7):
        for ratio in (1, 2):
            runs[f'floor {ratio}'].append(steps(floor.name, ratio))
            runs[ratio].append(steps(page, ratio))


def median(key, step='first frame'):
    return statistics.median(noted.get(step, float('nan')) for noted in runs[key])


print(f'web page: {len(data) / 1024:.1f} KiB, {len(gzip.compress(data, 9)) / 1024:.1f} KiB gzipped')
print(f'load to first frame (Chromium {runs[1][0]["version"]}, software GL, median of {len(runs[1])}):')
for ratio in (1, 2):
    floor_time = median(f'floor {ratio}')
    print(f'  at pixel ratio {ratio}: floor (a 700 x 700 CSS pixel WebGL canvas cleared) '
          f'{floor_time:.0f} ms, page {median(ratio):.0f} ms, {median(ratio) / floor_time:.2f} x the floor')
print('  where the time goes, ms from the start of the load: page at ratio 1, 2, floor at 1, 2')
for step in ('loaded', 'script run', 'WebAssembly ready', 'context asked for', 'context made',
             'frame asked for', 'first frame'):
    print(f'    {step:18}' + ''.join(f'{median(key, step):6.0f}' for key in (1, 2, 'floor 1', 'floor 2')))
