#!/usr/bin/python3
"""velmora.html opened from disk in headless Chromium, in WebKitGTK's
MiniBrowser and in Firefox ESR, on their software renderers, driven through
WebDriver (Firefox through Marionette) with mouse, touch and keys, and
checked by what the browser shows.

usage: web_test.py velmora.html screenshot.png"""
import base64
import glob
import gzip
import io
import json
import os
import shutil
import socket
import subprocess
from functools import partial
from http.server import SimpleHTTPRequestHandler, ThreadingHTTPServer
import sys
import tempfile
import threading
import time

from PIL import Image, ImageChops
from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.actions import interaction
from selenium.webdriver.common.actions.action_builder import ActionBuilder
from selenium.webdriver.common.actions.pointer_input import PointerInput
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

PAGE = SCREENSHOT = None  # from the command line
GREY, CYAN = 0x808080, 0x408080  # hue 180 at half height
# The readout's words, worked out by hand from the desktop's: the view's
# centre at start-up (the front halfway up), above it the rim facing the
# viewer, and the centre after a quarter turn.
FRONT = 'H 270°  S 0.50  V 0.50  #60407F  dark violet'
RIM = 'H 270°  S 1.00  V 1.00  #8000FF  violet'
TURNED = 'H 180°  S 0.50  V 0.50  #407F7F  dark cyan'


def view(driver):
    """The view as shown, in device pixels, cut from the whole window's
    screenshot (WebKit's element screenshots come out shifted), without the
    tooltip over it, which tooltip() checks."""
    tip = 'for (const t of document.querySelectorAll("[role=tooltip]")) t.style.visibility = '
    box = driver.execute_script(
        tip + '"hidden"; const b = document.querySelector("canvas").getBoundingClientRect();'
        'return [b.left, b.top, b.right, b.bottom].map(v => Math.round(v * devicePixelRatio))')
    shot = Image.open(io.BytesIO(driver.get_screenshot_as_png())).convert('RGB')
    driver.execute_script(tip + '""')
    return shot.crop(box)


def tooltip(driver):
    """The tooltip's words and its left, top, right and bottom in CSS pixels,
    or None where it is not shown."""
    return driver.execute_script(
        'const t = document.querySelector("[role=tooltip]"); if (!t || t.hidden) return null;'
        'const b = t.getBoundingClientRect(); return [t.textContent, b.left, b.top, b.right, b.bottom]')


def near(pixel, colour, tolerance=4):
    return all(abs(p - (colour >> shift & 0xff)) <= tolerance for p, shift in zip(pixel, (16, 8, 0)))


def centre_is(colour, y=0.5):
    return lambda image: near(image.getpixel((image.width // 2, int(image.height * y))), colour)


def like_desktop(image):
    """The desktop's first frame, within a level or two but for a few edge pixels."""
    desktop = Image.open(SCREENSHOT).convert('RGB').crop((10, 10, 710, 710))
    return image.size == desktop.size and sum(
        max(p) > 3 for p in ImageChops.difference(image, desktop).getdata()) <= 20


def blended(image):
    """The most pixels, across the cone's left and right edges on a few rows,
    that are a mix of the grey ground and the cone's colour further in: none
    where the drawing buffer maps one to one onto the screen."""
    image = image.crop((3, 3, image.width - 3, image.height - 3))  # not the frame's edge
    worst = 0
    for fraction in (0.35, 0.45, 0.55, 0.65):
        row = [image.getpixel((x, int(image.height * fraction))) for x in range(image.width)]
        cone = [x for x, p in enumerate(row) if not near(p, GREY, 2)]
        for edge, inward in ((cone[0], 1), (cone[-1], -1)):
            inner = row[edge + 4 * inward]
            to_grey = [128 - c for c in inner]
            length = sum(d * d for d in to_grey) or 1
            worst = max(worst, sum(sum((a - c) * d for a, c, d in zip(p, inner, to_grey)) / length > 0.15
                                   for p in row[edge:edge + 4 * inward:inward]))
    return worst


def all_grey(image):
    return all(near(p, GREY, 2) for p in image.getdata())


def shows(driver, ready, seconds=10):
    deadline = time.time() + seconds
    while not ready(view(driver)):
        if time.time() > deadline:
            view(driver).save(f'{PAGE}.failed.png')
            return False
        time.sleep(0.05)
    return True


def act(driver, pointer, steps):
    """Performs the steps (a function of a pointer's actions) with this pointer;
    the driver keeps its position and buttons from one call to the next."""
    actions = ActionBuilder(driver, mouse=pointer)
    steps(actions.pointer_action)
    actions.perform()


def canvas(driver):
    return driver.find_element(By.TAG_NAME, 'canvas')


def chromium(*flags):
    options = webdriver.ChromeOptions()
    options.binary_location = '/usr/bin/chromium'
    for flag in ('--headless=new', '--no-sandbox', '--enable-unsafe-swiftshader', '--no-first-run',
                 '--disable-background-networking', '--disable-component-update', '--disable-sync',
                 *flags):
        options.add_argument(flag)
    return webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)


def viewport(driver, width, height, ratio=1, mobile=False):
    driver.execute_cdp_cmd('Emulation.setDeviceMetricsOverride',
                           {'width': width, 'height': height, 'deviceScaleFactor': ratio, 'mobile': mobile})


def box(driver, selector):
    return driver.execute_script(
        f'const b = document.querySelector("{selector}").getBoundingClientRect();'
        'return {left: b.left, top: b.top, right: b.right, bottom: b.bottom, width: b.width, height: b.height}')


def fits(driver):
    """The view and the whole slider are on screen, and nothing scrolls."""
    width, height = driver.execute_script('return [document.documentElement.clientWidth, '
                                          'document.documentElement.clientHeight]')
    frame = box(driver, '#frame')
    return (frame['left'] >= 0 and frame['top'] >= 0 and frame['right'] <= width and
            frame['bottom'] <= height and driver.execute_script(
                'return scrollX + scrollY + document.documentElement.scrollWidth') == width)


AXE = os.path.join(os.path.dirname(os.path.abspath(__file__)), '../build-deps/node_modules/axe-core/axe.min.js')


def accessibility_violations(driver):
    """What axe-core finds against WCAG 2.1 A and AA, and its best practices."""
    if not driver.execute_script('return typeof axe != "undefined"'):
        driver.execute_script(open(AXE).read())
    return driver.execute_async_script(
        'const done = arguments[arguments.length - 1];'
        'axe.run(document, {runOnly: ["wcag2a", "wcag2aa", "wcag21a", "wcag21aa", "best-practice"]})'
        '.then(r => done(r.violations.map(v => v.id + ": " + v.nodes.map(n => n.target).join(", "))));')


def test_chromium():
    text = open(PAGE, 'rb').read()
    size, packed = len(text), len(gzip.compress(text, 9))
    print(f'velmora.html: {size} bytes, {packed} gzipped')
    assert size <= 96 * 1024 and packed <= 36 * 1024
    # GL 1.1 is the stand-in's own: none of emscripten's GL emulation or GLUT.
    assert not [name for name in (b'GLImmediate', b'GLEmulation', b'GLUT') if name in text]

    driver = chromium()
    try:
        # 750 CSS pixels tall, the frame is shown at its own size.
        viewport(driver, 1600, 750)
        driver.get('file://' + PAGE)
        assert shows(driver, like_desktop)
        assert driver.title == 'Velmora'
        assert driver.execute_script('return performance.getEntriesByType("resource").length') == 0
        assert shows(driver, lambda _: driver.execute_script(
            'return document.querySelectorAll("link[rel=icon]").length') == 4)

        # What assistive technology is told: a main landmark and a heading,
        # the view an image with a text alternative, the slider "Value"
        # read out with two decimals; and axe-core finds nothing.
        nodes = [node for node in driver.execute_cdp_cmd('Accessibility.getFullAXTree', {})['nodes']
                 if not node['ignored']]
        named = {(node['role']['value'], node.get('name', {}).get('value')) for node in nodes}
        assert {('main', ''), ('heading', 'Velmora'), ('slider', 'Value')} <= named, named
        image, = (name for role, name in named if role == 'image')
        assert 'HSV colour cone' in image and 'arrow keys' in image
        assert accessibility_violations(driver) == []

        # The readout: 0.4 s after the mouse comes to rest on the cone, the
        # tooltip has the words for the point under it, below it and in
        # sight; they follow the mouse at once (up to the rim); none over the
        # grey ground, nor during a drag.
        mouse = PointerInput(interaction.POINTER_MOUSE, 'mouse')
        act(driver, mouse, lambda p: p.move_to(canvas(driver)))
        assert tooltip(driver) is None and shows(driver, lambda _: tooltip(driver))
        x, y = box(driver, 'canvas')['left'] + 350, box(driver, 'canvas')['top'] + 350
        words, left, top, right, bottom = tooltip(driver)
        assert (words, left) == (FRONT, x) and y < top and right <= 1600 and bottom <= 750, tooltip(driver)
        act(driver, mouse, lambda p: p.move_by(0, -175))
        assert tooltip(driver)[:3] == [RIM, x, top - 175]
        act(driver, mouse, lambda p: p.move_by(-340, -170))
        time.sleep(0.6)
        assert tooltip(driver) is None

        # A quarter view width to the right shows hue 180 in front. A second
        # drag, from there, of three quarters that goes on beyond the view's
        # edge makes one whole turn: the first picture again. (It is one
        # action: the driver drops the pointer's capture between two.)
        act(driver, mouse, lambda p: p.move_to(canvas(driver)).pointer_down().move_by(175, 0))
        assert shows(driver, centre_is(CYAN))
        time.sleep(0.5)
        assert tooltip(driver) is None
        act(driver, mouse, lambda p: p.pointer_up().pointer_down().move_by(175, 0).move_by(350, 0).pointer_up())
        assert shows(driver, like_desktop)

        # The keyboard: Tab reaches the view first, where 18 presses of an
        # arrow key are a quarter turn (hue 180 in front, then back), or tilt
        # the apex (black) and then the top disk (white) towards the viewer.
        # Half a second after each run of presses, and only then, the live
        # region has the words for the point facing the viewer.
        driver.refresh()
        keys = ActionChains(driver)
        keys.send_keys(Keys.TAB).perform()
        assert driver.switch_to.active_element == canvas(driver)
        driver.execute_script('const spoken = document.querySelector("[aria-live=polite]"); window.heard = [];'
                              'addEventListener("keydown", () => window.pressed = performance.now());'
                              'new MutationObserver(() => heard.push([performance.now() - pressed, spoken.textContent]))'
                              '.observe(spoken, {childList: true, characterData: true, subtree: true})')
        for run, (presses, ready) in enumerate((([Keys.ARROW_RIGHT] * 18, centre_is(CYAN)),
                                                ([Keys.ARROW_LEFT] * 18, like_desktop),
                                                ([Keys.ARROW_UP] * 18, centre_is(0x000000)),
                                                ([Keys.ARROW_DOWN] * 36, centre_is(0xffffff)))):
            keys.send_keys(*presses).perform()
            assert shows(driver, ready)
            assert shows(driver, lambda _: len(driver.execute_script('return heard')) > run)
        heard = driver.execute_script('return heard')
        assert len(heard) == 4 and heard[0][1] == TURNED and min(wait for wait, _ in heard) >= 450, heard

        # The slider: Tab goes on to it and Home takes it to the far left,
        # where nothing is left; it steps by 0.01, and by 0.1 a page, read
        # out as such; a press on its track jumps there (at half the value
        # the top disk is edge-on across the centre); End brings back the
        # full cone.
        driver.refresh()
        slider = driver.find_element(By.CSS_SELECTOR, 'input[type=range]')
        keys.send_keys(Keys.TAB, Keys.TAB, Keys.HOME).perform()
        assert driver.switch_to.active_element == slider
        assert shows(driver, all_grey)
        keys.send_keys(Keys.ARROW_RIGHT, Keys.PAGE_UP, Keys.PAGE_UP, Keys.ARROW_LEFT).perform()
        assert (slider.get_attribute('value'), slider.get_attribute('aria-valuetext')) == ('0.2', '0.20')
        act(driver, mouse, lambda p: p.move_to(slider).click())

        def halved(image):
            return centre_is(GREY, 0.45)(image) and not centre_is(GREY, 0.55)(image)
        assert shows(driver, halved)
        assert slider.get_attribute('aria-valuetext') == '0.50'
        keys.send_keys(Keys.END).perform()
        assert shows(driver, like_desktop)

        # The turn, and a cut made while the GL context is lost, survive its
        # loss, being the program's own state; while it is lost a note stands
        # in the view's place. The context given back, the view makes what it
        # draws with anew: it draws the whole picture again, and WebGL
        # reports nothing wrong.
        act(driver, mouse, lambda p: p.move_to(canvas(driver)).pointer_down().move_by(175, 0).pointer_up())
        assert shows(driver, centre_is(CYAN))
        driver.execute_script('window.context = document.querySelector("canvas").getContext("webgl")'
                              '.getExtension("WEBGL_lose_context"); context.loseContext()')
        assert 'lost' in driver.find_element(By.CLASS_NAME, 'note').text
        act(driver, mouse, lambda p: p.move_to(slider).click())
        driver.execute_script('context.restoreContext()')
        assert shows(driver, halved)
        assert not driver.find_elements(By.CLASS_NAME, 'note')
        keys.send_keys(Keys.END).perform()
        act(driver, mouse, lambda p: p.move_to(canvas(driver)).pointer_down().move_by(-175, 0).pointer_up())
        assert shows(driver, like_desktop)
        assert not [entry for entry in driver.get_log('browser') if 'WebGL: ' in entry['message']]

        # At twice the pixels (an iPad) the view is drawn at twice the
        # resolution: crisp edges, and averaged back down, the desktop's
        # picture within a few levels but for the edges.
        viewport(driver, 1600, 750, 2)
        driver.refresh()
        assert shows(driver, lambda image: image.width == 1400 and blended(image) == 0)
        desktop = Image.open(SCREENSHOT).convert('RGB').crop((10, 10, 710, 710))
        halved = view(driver).reduce(2)
        assert sum(max(p) > 4 for p in ImageChops.difference(halved, desktop).getdata()) <= 1500

        # Any screen: a phone, an iPad and a small old phone are filled edge
        # to edge, a projector top to bottom (then the view is 1008 pixels
        # across), never cropped, never scrolled, always with a slider at
        # least 24 CSS pixels tall to a finger; fine at any pixel ratio.
        for width, height, ratio, mobile in ((390, 844, 3, True), (820, 1180, 2, True),
                                             (320, 480, 1.5, True), (1920, 1080, 1, False),
                                             (1366, 768, 1.25, False)):
            viewport(driver, width, height, ratio, mobile)
            driver.refresh()
            assert shows(driver, lambda image: blended(image) <= 1), (width, height, ratio)
            assert fits(driver) and box(driver, 'input')['height'] >= 24, (width, height)
            frame = box(driver, '#frame')
            assert frame['width'] > width - 24 or frame['height'] > height - 24, (width, frame)
            if width == 1920:
                assert driver.execute_script('return document.querySelector("canvas").width') == 1008
            if mobile:
                assert accessibility_violations(driver) == [], (width, height)
                # Pinching to zoom in enlarges the frame: the page does not fit it back.
                driver.execute_cdp_cmd('Emulation.setPageScaleFactor', {'pageScaleFactor': 2})
                driver.execute_script('dispatchEvent(new Event("resize"))')
                assert box(driver, '#frame')['width'] == frame['width'], width
                driver.execute_cdp_cmd('Emulation.setPageScaleFactor', {'pageScaleFactor': 1})
            if width == 320:
                # On the smallest, a tap's words, wrapped if need be, are
                # still in sight, and below the point tapped.
                act(driver, PointerInput(interaction.POINTER_TOUCH, 'finger'),
                    lambda p: p.move_to(canvas(driver), 40, -40).pointer_down().pointer_up())
                assert shows(driver, lambda _: tooltip(driver))
                _, left, top, right, bottom = tooltip(driver)
                assert 0 <= left and right <= 320 and box(driver, 'canvas')['top'] + 115 < top and bottom <= 480

        # A Chromebook's 1366 x 600 below the browser's bars: the frame is
        # scaled down to fit. A tap, a touch that does not move, shows the
        # words for the point tapped until the next touch, which reaches the
        # view through them: a drag of a quarter of the view as shown is
        # still a quarter turn.
        viewport(driver, 1366, 600)
        driver.refresh()
        assert box(driver, '#frame')['bottom'] == 600
        shown = box(driver, 'canvas')['width']
        assert shown == 560, shown
        finger = PointerInput(interaction.POINTER_TOUCH, 'finger')
        act(driver, finger, lambda p: p.move_to(canvas(driver)).pointer_down().pointer_up())
        assert shows(driver, lambda _: tooltip(driver))
        time.sleep(0.5)
        words, left, top, right, bottom = tooltip(driver)
        assert words == FRONT, words
        middle = box(driver, 'canvas')
        act(driver, finger, lambda p: p.move_to(canvas(driver), (left + right - middle['left'] - middle['right']) / 2,
                                                (top + bottom - middle['top'] - middle['bottom']) / 2)
            .pointer_down().move_by(shown // 4, 0))
        assert shows(driver, centre_is(CYAN)) and tooltip(driver) is None
        assert driver.execute_script('return scrollX + scrollY') == 0
        act(driver, finger, lambda p: p.pointer_up())
    finally:
        driver.quit()

    driver = chromium('--disable-webgl')
    try:
        driver.get('file://' + PAGE)
        note = driver.find_element(By.CLASS_NAME, 'error')
        assert note.text == 'Insufficient GL support'
        assert not driver.find_elements(By.TAG_NAME, 'canvas')
    finally:
        driver.quit()

    # In the browser's language, as the page says: French, with its decimal
    # comma; Arabic, its words right to left in a window that is not
    # mirrored; Esperanto, which has no catalogue, in English.
    for language, words, value, direction in (
            ('fr', 'T 270°  S 0,50  V 0,50  #60407F  violet foncé', 'Valeur', 'ltr'),
            ('ar', 'H 270°  S 0.50  V 0.50  #60407F  بنفسجي داكن', 'القيمة', 'rtl'),
            ('eo', FRONT, 'Value', 'ltr')):
        driver = chromium('--lang=' + language, '--accept-lang=' + language)
        try:
            viewport(driver, 1600, 750)
            driver.get('file://' + PAGE)
            act(driver, PointerInput(interaction.POINTER_MOUSE, 'mouse'), lambda p: p.move_to(canvas(driver)))
            assert shows(driver, lambda _: tooltip(driver)) and tooltip(driver)[0] == words, tooltip(driver)
            assert driver.execute_script(
                'return [document.documentElement.lang, document.querySelector("[role=tooltip]").dir,'
                ' getComputedStyle(document.querySelector("input")).direction, document.title,'
                ' document.querySelector("input").getAttribute("aria-label")]') == [
                    'en' if language == 'eo' else language, direction, 'ltr', 'Velmora', value]
        finally:
            driver.quit()


def test_site():
    """velmora.html over http, also as an older Chromium runs it, and
    build-web/site/ hosted as a school would: nothing asked of the server
    but the page, a quiet console, installable, and after one visit it
    opens with the server gone."""
    asked = []

    class Files(SimpleHTTPRequestHandler):
        def log_message(self, *args):
            asked.append(self.path)

    server = ThreadingHTTPServer(('127.0.0.1', 0), partial(Files, directory=os.path.dirname(PAGE)))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    host = f'http://127.0.0.1:{server.server_port}'
    driver = chromium()

    def console():
        """What the console got since last asked, but for the software
        renderer's note on reading frames back, which a page that only
        clears a WebGL canvas gets too."""
        return [entry['message'] for entry in driver.get_log('browser')
                if 'GPU stall due to ReadPixels' not in entry['message']]

    def load(url):
        driver.get(url)
        assert shows(driver, like_desktop), url
        assert driver.find_element(By.CSS_SELECTOR, 'meta[name=description]').get_attribute('content')
        assert console() == [], url

    try:
        viewport(driver, 720, 750)  # the window's size: the frame as it is
        load('file://' + PAGE)
        # velmora.html over http as in Chromium before 114, which refuses to
        # compile over 4 KB of WebAssembly at once on the page's thread: the
        # page compiles it in the background.
        refusing = driver.execute_cdp_cmd('Page.addScriptToEvaluateOnNewDocument', {'source': '''
            const compile = WebAssembly.Module;
            WebAssembly.Module = function(bytes) {
                if (bytes.length > 4096) throw new RangeError('over 4 KB on the main thread');
                return new compile(bytes);
            };'''})
        load(host + '/velmora.html')
        driver.execute_cdp_cmd('Page.removeScriptToEvaluateOnNewDocument', refusing)
        load(host + '/site/')
        assert [path for path in asked if not path.startswith('/site/')] == ['/velmora.html'], asked
        assert driver.execute_cdp_cmd('Page.getInstallabilityErrors', {})['installabilityErrors'] == []
        assert driver.execute_async_script('''
            const done = arguments[0];
            navigator.serviceWorker.ready.then(({active}) => active.state == 'activated'
                ? done(active.state) : active.onstatechange = () => done(active.state));''') == 'activated'
        server.shutdown()
        server.server_close()
        driver.refresh()
        assert shows(driver, like_desktop)
        assert console() == []
    finally:
        driver.quit()
        server.server_close()


def x_server():
    """A private Xvfb, and its display's name."""
    read, write = os.pipe()
    server = subprocess.Popen(['Xvfb', '-displayfd', str(write), '-screen', '0', '1600x1000x24',
                               '-nolisten', 'tcp'], pass_fds=[write], stderr=subprocess.DEVNULL)
    os.close(write)
    return server, ':' + os.read(read, 16).decode().strip()


def free_port():
    with socket.socket() as probe:
        probe.bind(('127.0.0.1', 0))
        return probe.getsockname()[1]


def test_webkit():
    """WebKitGTK, the engine family of Safari on iPads, in its MiniBrowser
    under a private Xvfb: the picture, the tooltip and a drag."""
    server, display = x_server()
    port = free_port()
    service = subprocess.Popen(['WebKitWebDriver', f'--port={port}'], stdout=subprocess.DEVNULL,
                               env=dict(os.environ, DISPLAY=display))
    try:
        while socket.socket().connect_ex(('127.0.0.1', port)) != 0:
            time.sleep(0.05)
        options = webdriver.WebKitGTKOptions()
        options.binary_location = glob.glob('/usr/lib/*/webkit2gtk-4.1/MiniBrowser')[0]
        options.add_argument('--automation')
        driver = webdriver.Remote(command_executor=f'http://127.0.0.1:{port}', options=options)
        try:
            # A viewport 750 CSS pixels tall shows the frame at its own size.
            driver.set_window_size(1200, 950)
            driver.get('file://' + PAGE)
            bars = 950 - driver.execute_script('return document.documentElement.clientHeight')
            driver.set_window_size(1200, 750 + bars)
            assert shows(driver, like_desktop)
            mouse = PointerInput(interaction.POINTER_MOUSE, 'mouse')
            act(driver, mouse, lambda p: p.move_to(canvas(driver)))
            assert shows(driver, lambda _: (tooltip(driver) or [None])[0] == FRONT)
            act(driver, mouse, lambda p: p.move_to(canvas(driver)).pointer_down().move_by(175, 0))
            assert shows(driver, centre_is(CYAN))
            act(driver, mouse, lambda p: p.pointer_up())
        finally:
            driver.quit()
    finally:
        service.terminate()
        server.terminate()


class Marionette:
    """Just enough of Firefox's Marionette protocol (length-prefixed JSON
    over TCP) to stand in for a WebDriver in view() and shows()."""

    def __init__(self, port):
        deadline = time.time() + 60
        while True:
            try:
                self.socket = socket.create_connection(('127.0.0.1', port))
                break
            except ConnectionRefusedError:
                assert time.time() < deadline, 'Firefox never listened for Marionette'
                time.sleep(0.1)
        self.sent = 0
        self.receive()  # the greeting

    def receive(self):
        length = b''
        while not length.endswith(b':'):
            length += self.socket.recv(1)
        data = b''
        while len(data) < int(length[:-1]):
            data += self.socket.recv(int(length[:-1]) - len(data))
        return json.loads(data)

    def command(self, name, **parameters):
        self.sent += 1
        data = json.dumps([0, self.sent, name, parameters]).encode()
        self.socket.sendall(b'%d:%s' % (len(data), data))
        _, _, error, result = self.receive()
        assert not error, error
        return result.get('value') if isinstance(result, dict) else result

    def execute_script(self, script):
        return self.command('WebDriver:ExecuteScript', script=script, args=[])

    def get_screenshot_as_png(self):
        return base64.b64decode(self.command('WebDriver:TakeScreenshot'))

    def perform(self, kind, *actions):
        self.command('WebDriver:PerformActions', actions=[{'type': kind, 'id': kind, 'actions': actions}])


def test_firefox():
    """Firefox ESR, which has WebGL only on a display, under a private Xvfb:
    the picture, the tooltip, a drag, and the slider's keys, which step 0.01
    and 0.1 a page here too."""
    server, display = x_server()
    port = free_port()
    profile = tempfile.mkdtemp()
    with open(os.path.join(profile, 'user.js'), 'w') as prefs:
        prefs.write(f'user_pref("marionette.port", {port});\n')
    firefox = subprocess.Popen(['firefox-esr', '--marionette', '--no-remote', '--profile', profile],
                               env=dict(os.environ, DISPLAY=display),
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        driver = Marionette(port)
        driver.command('WebDriver:NewSession', capabilities={})
        driver.command('WebDriver:SetWindowRect', width=1200, height=950)
        driver.command('WebDriver:Navigate', url='file://' + PAGE)
        bars = 950 - driver.execute_script('return document.documentElement.clientHeight')
        driver.command('WebDriver:SetWindowRect', width=1200, height=750 + bars)
        assert shows(driver, like_desktop)
        x, y = driver.execute_script('const b = document.querySelector("canvas").getBoundingClientRect();'
                                     'return [b.left + b.width / 2, b.top + b.height / 2].map(Math.round)')
        driver.perform('pointer', {'type': 'pointerMove', 'x': x, 'y': y})
        assert shows(driver, lambda _: (tooltip(driver) or [None])[0] == FRONT)
        driver.perform('pointer', {'type': 'pointerMove', 'x': x, 'y': y}, {'type': 'pointerDown', 'button': 0},
                       {'type': 'pointerMove', 'x': x + 175, 'y': y, 'duration': 100})
        assert shows(driver, centre_is(CYAN))
        driver.perform('pointer', {'type': 'pointerUp', 'button': 0})
        driver.execute_script('document.querySelector("input").focus()')
        driver.perform('key', *({'type': kind, 'value': key} for key in ('\ue012', '\ue00f')
                                for kind in ('keyDown', 'keyUp')))  # Left, Page Down
        assert driver.execute_script('return document.querySelector("input").getAttribute("aria-valuetext")') == '0.89'
    finally:
        firefox.terminate()
        firefox.wait()
        server.terminate()
        shutil.rmtree(profile)


if __name__ == '__main__':
    PAGE, SCREENSHOT = (os.path.abspath(path) for path in sys.argv[1:3])
    for test in (test_chromium, test_site, test_webkit, test_firefox):
        test()
        print(f'{test.__name__}: passed')
