#!/usr/bin/python3
"""The web page's figures: its size, and the time from the start of loading
it from disk to the end of its first frame, drawn and read back from the
canvas, in headless Chromium on its software renderer, at pixel ratios 1
and 2, each beside two floors of the same 700 x 700 CSS pixel WebGL canvas
at that ratio, in a viewport of the window's size: a bare page that only
clears it, and a bare page that draws the same cone once (its 8 strips of
66 coloured vertices) with one minimal shader and the depth test on, which
is the least that can show this picture. Each figure is the median of
seven fresh browsers. The page and its floors are taken in turn, each as
often first, second and third, so that a busy moment of the machine falls
on all of them; each load waits until its browser has started and the
previous one has gone, whose own work would otherwise fall on it. The
page's time is also split where it goes. It measures; it does not judge.

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
# frame is asked for once there is a context, and the end of the first such
# frame after which the canvas holds a picture: its centre, read back, is no
# longer black. Reading it back waits for the drawing itself, not only for
# its commands.
NOTE_STEPS = '''
window.steps = {};
{  // a block, so that its names are not the page's
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
    let gl = null;
    const getContext = HTMLCanvasElement.prototype.getContext;
    HTMLCanvasElement.prototype.getContext = function(kind) {
        if (kind != 'webgl') return getContext.apply(this, arguments);  // the icons' 2D canvases
        note('context asked for');
        gl = getContext.apply(this, arguments);
        note('context made');
        return gl;
    };
    const drawn = () => {
        const pixel = new Uint8Array(4);
        gl.readPixels(gl.drawingBufferWidth >> 1, gl.drawingBufferHeight >> 1, 1, 1, gl.RGBA,
                      gl.UNSIGNED_BYTE, pixel);
        return pixel[0] + pixel[1] + pixel[2] > 0;
    };
    const request = window.requestAnimationFrame;
    window.requestAnimationFrame = draw => {
        if (!gl) return request(draw);
        note('frame asked for');
        return request(time => {
            draw(time);
            if (!('first frame' in steps) && drawn()) note('first frame');
        });
    };
}'''

# The floors: the window's view alone, 700 CSS pixels square and drawn at
# the screen's pixel ratio as the page's is, with the page's context
# attributes (no alpha, no antialiasing, a depth buffer), cleared once in a
# frame; the second floor then draws the cone as the page first shows it,
# from one buffer made at once in clip coordinates, with the page's shaders.
FLOOR = '''<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8"><title>floor</title></head>
<body style="margin: 0"><canvas style="width: 700px; height: 700px"></canvas>
<script>
  var canvas = document.querySelector('canvas');
  canvas.width = canvas.height = 700 * devicePixelRatio;
  var gl = canvas.getContext('webgl', {alpha: false, antialias: false, depth: true});
  %s
  requestAnimationFrame(function() {
    gl.clearColor(0.5, 0.5, 0.5, 1);
    gl.clear(gl.COLOR_BUFFER_BIT | gl.DEPTH_BUFFER_BIT);
    %s
  });
</script></body></html>
'''
CONE_SETUP = '''
  function hsv(h, s, v) {  // as the program's, for hues in [0, 360]
    var i = Math.floor(h / 60) % 6, f = h / 60 - Math.floor(h / 60);
    var p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
    return [[v, t, p], [q, v, p], [p, v, t], [p, q, v], [t, p, v], [v, p, q]][i];
  }
  // Seen from the side at start-up, a cone's point (x, y, z) is at
  // (x / 2, (z - 1) / 2, y / 2) in clip coordinates.
  var data = [];
  [true, false].forEach(function(top) {
    for (var ring = 0; ring < 4; ++ring)
      for (var i = 0; i <= 32; ++i)
        [ring / 4, (ring + 1) / 4].forEach(function(r) {
          var a = i * 6.284 / 32, v = top ? 1 : r;
          data.push(r * Math.cos(a) / 2, (2 * v - 1) / 2, r * Math.sin(a) / 2, 1);
          data.push.apply(data, hsv(a * 180 / 3.142, r, v));
        });
  });
  var program = gl.createProgram();
  [[gl.VERTEX_SHADER, 'attribute vec4 position; attribute vec3 colour; varying vec3 shade; ' +
                      'void main() { gl_Position = position; shade = colour; }'],
   [gl.FRAGMENT_SHADER, 'precision mediump float; varying vec3 shade; ' +
                        'void main() { gl_FragColor = vec4(shade, 1.0); }']].forEach(function(kind) {
    var shader = gl.createShader(kind[0]);
    gl.shaderSource(shader, kind[1]);
    gl.compileShader(shader);
    gl.attachShader(program, shader);
  });
  gl.bindAttribLocation(program, 0, 'position');
  gl.bindAttribLocation(program, 1, 'colour');
  gl.linkProgram(program);
  gl.useProgram(program);
  gl.bindBuffer(gl.ARRAY_BUFFER, gl.createBuffer());
  gl.bufferData(gl.ARRAY_BUFFER, new Float32Array(data), gl.STATIC_DRAW);
  gl.vertexAttribPointer(0, 4, gl.FLOAT, false, 28, 0);
  gl.vertexAttribPointer(1, 3, gl.FLOAT, false, 28, 16);
  gl.enableVertexAttribArray(0);
  gl.enableVertexAttribArray(1);'''
CONE_DRAW = '''gl.enable(gl.DEPTH_TEST);
    for (var strip = 0; strip < 8; ++strip) gl.drawArrays(gl.TRIANGLE_STRIP, strip * 66, 66);'''
FLOORS = {'clear': FLOOR % ('', ''), 'cone': FLOOR % (CONE_SETUP, CONE_DRAW)}


def descendants(pid):
    """The processes that this one started, and those that they started."""
    children = {}
    for entry in filter(str.isdigit, os.listdir('/proc')):
        try:
            parent = int(open(f'/proc/{entry}/stat').read().rsplit(')', 1)[1].split()[1])
        except OSError:
            continue
        children.setdefault(parent, []).append(int(entry))
    found, todo = [], [pid]
    while todo:
        for child in children.get(todo.pop(), []):
            found.append(child)
            todo.append(child)
    return found


def running(pid):
    try:
        return open(f'/proc/{pid}/stat').read().rsplit(')', 1)[1].split()[0] != 'Z'
    except OSError:
        return False


def steps(page, ratio):
    """The page's steps in ms from the start of its load, in a viewport of
    the window's size at this pixel ratio."""
    driver = chromium()
    try:
        driver.execute_cdp_cmd('Emulation.setDeviceMetricsOverride',
                               {'width': 720, 'height': 750, 'deviceScaleFactor': ratio, 'mobile': False})
        driver.execute_cdp_cmd('Page.addScriptToEvaluateOnNewDocument', {'source': NOTE_STEPS})
        time.sleep(1)  # the browser's own start-up done, so that the load is timed alone
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
        # The next load waits until this browser has gone: its exit takes
        # over a second, and would slow that load.
        browser = descendants(driver.service.process.pid)
        driver.quit()
        deadline = time.time() + 10
        while any(running(pid) for pid in browser) and time.time() < deadline:
            time.sleep(0.05)


page = os.path.abspath(sys.argv[1])
data = open(page, 'rb').read()
with tempfile.TemporaryDirectory() as folder:
    loads = {'page': page}
    for name, text in FLOORS.items():
        loads[name] = os.path.join(folder, name + '.html')
        with open(loads[name], 'w') as floor:
            floor.write(text)
    runs = {(name, ratio): [] for name in loads for ratio in (1, 2)}
    order = ['clear', 'cone', 'page']
    for _ in range(7):
        for ratio in (1, 2):
            for name in order:
                runs[name, ratio].append(steps(loads[name], ratio))
            order.append(order.pop(0))  # each in each place of the turn as often


def median(key, step='first frame'):
    return statistics.median(noted.get(step, float('nan')) for noted in runs[key])


print(f'web page: {len(data) / 1024:.1f} KiB, {len(gzip.compress(data, 9)) / 1024:.1f} KiB gzipped')
print(f'load to first frame drawn and read back (Chromium {runs["page", 1][0]["version"]}, software GL, '
      f'median of {len(runs["page", 1])}):')
for ratio in (1, 2):
    page_time, cone, clear = (median((name, ratio)) for name in ('page', 'cone', 'clear'))
    print(f'  at pixel ratio {ratio}: page {page_time:.0f} ms; floors: the cone drawn {cone:.0f} ms '
          f'({page_time / cone:.2f} x), the view cleared {clear:.0f} ms ({page_time / clear:.2f} x)')
print('  where the time goes, ms from the start of the load: page, cone floor, clear floor at ratio 1, 2')
for step in ('loaded', 'script run', 'WebAssembly ready', 'context asked for', 'context made',
             'frame asked for', 'first frame'):
    print(f'    {step:18}' + ''.join(f'{median((name, ratio), step):6.0f}' for ratio in (1, 2)
                                     for name in ('page', 'cone', 'clear')))
