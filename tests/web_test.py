#!/usr/bin/python3
"""velmora.html opened from disk in headless Chromium and in WebKitGTK's
MiniBrowser, on their software renderers, driven through WebDriver with
mouse, touch and keys, and checked by what the browser shows.

usage: web_test.py velmora.html screenshot.png"""
import glob
import gzip
import io
import os
import socket
import subprocess
from functools import partial
from http.server import SimpleHTTPRequestHandler, ThreadingHTTPServer
import sys
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


def view(driver):
    """The view as shown, cut from the whole window's screenshot (WebKit's
    element screenshots come out shifted)."""
    box = driver.execute_script(
        'const b = document.querySelector("canvas").getBoundingClientRect();'
        'return [b.left, b.top, b.right, b.bottom]')
    shot = Image.open(io.BytesIO(driver.get_screenshot_as_png())).convert('RGB')
    return shot.crop([round(v) for v in box])


def near(pixel, colour, tolerance=4):
    return all(abs(p - (colour >> shift & 0xff)) <= tolerance for p, shift in zip(pixel, (16, 8, 0)))


def centre_is(colour, y=0.5):
    return lambda image: near(image.getpixel((image.width // 2, int(image.height * y))), colour)


def like_desktop(image):
    """The desktop's first frame, within a level or two but for a few edge pixels."""
    desktop = Image.open(SCREENSHOT).convert('RGB').crop((10, 10, 710, 710))
    return image.size == desktop.size and sum(
        max(p) > 3 for p in ImageChops.difference(image, desktop).getdata()) <= 20


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


def viewport(driver, width, height):
    driver.execute_cdp_cmd('Emulation.setDeviceMetricsOverride',
                           {'width': width, 'height': height, 'deviceScaleFactor': 1, 'mobile': False})


def test_chromium():
    size = os.path.getsize(PAGE)
    packed = len(gzip.compress(open(PAGE, 'rb').read(), 9))
    print(f'velmora.html: {size} bytes, {packed} gzipped')
    assert size <= 200 * 1024 and packed <= 64 * 1024

    driver = chromium()
    try:
        viewport(driver, 1600, 900)
        driver.get('file://' + PAGE)
        assert shows(driver, like_desktop)
        assert driver.title == 'Velmora'
        assert driver.execute_script('return performance.getEntriesByType("resource").length') == 0
        assert driver.execute_script('return document.querySelectorAll("link[rel=icon]").length') == 4

        # A quarter view width to the right shows hue 180 in front. A second
        # drag, from there, of three quarters that goes on beyond the view's
        # edge makes one whole turn: the first picture again. (It is one
        # action: the driver drops the pointer's capture between two.)
        mouse = PointerInput(interaction.POINTER_MOUSE, 'mouse')
        act(driver, mouse, lambda p: p.move_to(canvas(driver)).pointer_down().move_by(175, 0))
        assert shows(driver, centre_is(CYAN))
        act(driver, mouse, lambda p: p.pointer_up().pointer_down().move_by(175, 0).move_by(350, 0).pointer_up())
        assert shows(driver, like_desktop)

        # The slider: Tab reaches it and Home takes it to the far left, where
        # nothing is left; a press on its track jumps there (at half the
        # value the top disk is edge-on across the centre); End brings back
        # the full cone.
        driver.refresh()
        slider = driver.find_element(By.CSS_SELECTOR, 'input[type=range]')
        ActionChains(driver).send_keys(Keys.TAB, Keys.HOME).perform()
        assert driver.switch_to.active_element == slider
        assert shows(driver, all_grey)
        act(driver, mouse, lambda p: p.move_to(slider).click())
        assert shows(driver, lambda image: centre_is(GREY, 0.45)(image) and not centre_is(GREY, 0.55)(image))
        ActionChains(driver).send_keys(Keys.END).perform()
        assert shows(driver, like_desktop)

        # A Chromebook's 1366 x 600 below the browser's bars: the frame is
        # scaled down to fit, and a touch drag of a quarter of the view as
        # shown is still a quarter turn.
        viewport(driver, 1366, 600)
        driver.refresh()
        bottom = driver.execute_script('return document.getElementById("frame").getBoundingClientRect().bottom')
        assert 599 <= bottom <= 600, bottom
        shown = driver.execute_script('return document.querySelector("canvas").getBoundingClientRect().width')
        assert shown == 560, shown
        finger = PointerInput(interaction.POINTER_TOUCH, 'finger')
        act(driver, finger, lambda p: p.move_to(canvas(driver)).pointer_down().move_by(shown // 4, 0))
        assert shows(driver, centre_is(CYAN))
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
        # page compiles it in the background, and the program's icons come
        # only after the load.
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


def test_webkit():
    """WebKitGTK, the engine family of Safari on iPads, in its MiniBrowser
    under a private Xvfb."""
    read, write = os.pipe()
    server = subprocess.Popen(['Xvfb', '-displayfd', str(write), '-screen', '0', '1600x1000x24',
                               '-nolisten', 'tcp'], pass_fds=[write], stderr=subprocess.DEVNULL)
    os.close(write)
    display = ':' + os.read(read, 16).decode().strip()
    with socket.socket() as probe:
        probe.bind(('127.0.0.1', 0))
        port = probe.getsockname()[1]
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
            driver.set_window_size(1200, 950)
            driver.get('file://' + PAGE)
            assert shows(driver, like_desktop)
            mouse = PointerInput(interaction.POINTER_MOUSE, 'mouse')
            act(driver, mouse, lambda p: p.move_to(canvas(driver)).pointer_down().move_by(175, 0))
            assert shows(driver, centre_is(CYAN))
            act(driver, mouse, lambda p: p.pointer_up())
        finally:
            driver.quit()
    finally:
        service.terminate()
        server.terminate()


if __name__ == '__main__':
    PAGE, SCREENSHOT = (os.path.abspath(path) for path in sys.argv[1:3])
    for test in (test_chromium, test_site, test_webkit):
        test()
        print(f'{test.__name__}: passed')
