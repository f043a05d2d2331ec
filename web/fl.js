// The stand-in's page side, linked in with --js-library: the window's frame
// and its fit to the viewport, the slider, the GL view's canvas with its
// pointer, keys and context loss, the tooltip, and the words in the reader's
// language. web/fl.cpp calls the page_ functions and is called back through
// its exported fl_ functions.
mergeInto(LibraryManager.library, {
  // The page's words in the browser's first language that has them (the
  // catalogues are in the page, as Module.words: web/words.py), matched as
  // gettext matches (pt-BR as pt_BR, fr-CA as fr), else English. The page
  // says which language it speaks; its words, and only they, run right to
  // left where the language reads so, the window staying as it is.
  $words: {
    list: null,
    dir: 'ltr',
    made: {},  // translations handed to the program, by the English's address
    choose: function() {
      words.choose = function() {};
      var all = Module.words, tags = navigator.languages || [navigator.language];
      for (var i = 0; i < tags.length && !words.list; ++i) {
        var parts = tags[i].split('-'), code = parts[0] + '_' + parts[parts.length - 1];
        words.list = all[code] || all[code = parts[0]];
        if (!words.list) continue;
        document.documentElement.lang = tags[i];
        if (/^(ar|fa|he|ur)$/.test(parts[0])) words.dir = 'rtl';
      }
    }
  },
  $translated__deps: ['$words'],
  $translated: function(english) {
    words.choose();
    return words.list && words.list[Module.words.ids.indexOf(english)] || english;
  },
  $utf8: function(address) {
    return new TextDecoder().decode(HEAPU8.subarray(address, HEAPU8.indexOf(0, address)));
  },

  // gettext for the program (intl/libintl.h): its English words, or a
  // translation made once into its memory.
  page_gettext__deps: ['$translated', '$utf8', 'malloc'],
  page_gettext: function(address) {
    var english = utf8(address), text = translated(english);
    if (text == english) return address;
    if (!words.made[address]) {
      var bytes = new TextEncoder().encode(text + '\0');
      HEAPU8.set(bytes, words.made[address] = _malloc(bytes.length));
    }
    return words.made[address];
  },

  // The window's frame, scaled as a whole to fill the viewport, up or down,
  // and centred. Children are placed at their positions in the window, in
  // its units; the view is sized in whole device pixels, so that its drawing
  // buffer maps one to one onto the screen at any scale and pixel ratio.
  $frame: {
    element: null,
    w: 0,
    h: 0,
    placed: [],
    fit: function() {
      var root = document.documentElement, ratio = devicePixelRatio || 1;
      var w = frame.w, h = frame.h;
      // Positions and sizes in steps of whole device pixels (4 CSS pixels
      // at a ratio of 1.25), or the browser resamples the view.
      var grid = 1;
      while (grid < 16 && Math.abs(grid * ratio - Math.round(grid * ratio)) > 0.01) ++grid;
      function snap(css) { return Math.round(css / grid) * grid; }
      var fitted = Math.min(root.clientWidth / w, root.clientHeight / h);
      var view = frame.placed.find(function(item) { return item.resized; });
      var scale = view ? Math.max(grid, Math.floor(view.w * fitted / grid) * grid) / view.w : fitted;
      Object.assign(frame.element.style, {left: snap((root.clientWidth - w * scale) / 2) + 'px',
                                          top: snap((root.clientHeight - h * scale) / 2) + 'px',
                                          width: w * scale + 'px', height: h * scale + 'px'});
      frame.placed.forEach(function(item) {
        var style = item.element.style;
        if (item.element.type == 'range') {
          // Drawn as on the desktop at every scale, but never less than 24
          // CSS pixels tall to a finger: the rest of that height is a clear
          // border, kept inside the window.
          var tall = Math.max(item.h, Math.ceil(24 / scale));
          var extra = tall - item.h;
          var above = Math.min(extra, Math.max(extra / 2, item.y + tall - h));
          Object.assign(style, {left: snap(item.x * scale) + 'px', top: (item.y - above) * scale + 'px',
                                width: item.w + 'px', height: tall + 'px',
                                borderTopWidth: above + 'px', borderBottomWidth: extra - above + 'px',
                                transform: 'scale(' + scale + ')'});
          return;
        }
        var width = item.resized ? item.w * scale : snap(item.w * scale);
        var height = item.resized ? item.h * scale : snap(item.h * scale);
        Object.assign(style, {left: snap(item.x * scale) + 'px', top: snap(item.y * scale) + 'px',
                              width: width + 'px', height: height + 'px'});
        if (item.resized) item.resized(Math.round(width * ratio), Math.round(height * ratio));
      });
    },
    place: function(element, x, y, w, h, resized) {
      frame.placed.push({element: element, x: x, y: y, w: w, h: h, resized: resized});
      frame.element.appendChild(element);
      frame.fit();
    },
    // Another element in the place of one already placed (a note in the
    // view's place), or, with none, that element removed again.
    replace: function(old, element) {
      var item = frame.placed.find(function(item) { return item.element == old; });
      if (element) {
        frame.placed.push({element: element, x: item.x, y: item.y, w: item.w, h: item.h});
        old.after(element);
      } else {
        frame.placed.splice(frame.placed.indexOf(item), 1);
        old.remove();
      }
      frame.fit();
    }
  },

  page_show_frame__deps: ['$frame', '$utf8', '$words'],
  page_show_frame: function(title, w, h) {
    document.title = utf8(title);
    words.choose();
    document.getElementById('spoken').dir = words.dir;
    frame.element = document.getElementById('frame');
    frame.w = w;
    frame.h = h;
    Module.replace = frame.replace;  // for the page's note when the program stops
    addEventListener('resize', frame.fit);
    // A change of pixel ratio alone (a window moved to another screen) is no resize.
    (function watch_ratio() {
      matchMedia('(resolution: ' + devicePixelRatio + 'dppx)')
        .addEventListener('change', function() { frame.fit(); watch_ratio(); }, {once: true});
    })();
  },

  // The page's icons, as PNG images made from the window's: made and encoded
  // only once the first frame is drawn, off its way, since the page's head
  // has an icon meanwhile.
  page_add_icon: function(pixels, w, h) {
    var rgba = HEAPU8.slice(pixels, pixels + w * h * 4);
    requestAnimationFrame(function() { setTimeout(function() {
      var canvas = document.createElement('canvas');
      canvas.width = w;
      canvas.height = h;
      var context = canvas.getContext('2d');
      var image = context.createImageData(w, h);
      image.data.set(rgba);
      context.putImageData(image, 0, 0);
      var link = document.createElement('link');
      link.rel = 'icon';
      link.sizes = w + 'x' + h;
      canvas.toBlob(function(png) {
        link.href = URL.createObjectURL(png);
        document.head.appendChild(link);
      });
    }); });
  },

  // Steps of 0.01, and 0.1 for Page Up and Down, in every browser; the
  // value is read out with two decimals.
  page_add_slider__deps: ['$frame', '$translated'],
  page_add_slider: function(slider, x, y, w, h, value, knob) {
    var input = document.createElement('input');
    input.type = 'range';
    input.min = 0;
    input.max = 1;
    input.step = 0.01;
    input.value = value;
    // TRANSLATORS: the slider's name for screen readers: the HSV value (the
    // brightness) at which it cuts the cone.
    input.setAttribute('aria-label', translated('Value'));
    input.style.setProperty('--knob', knob + 'px');
    function read_out() { input.setAttribute('aria-valuetext', (+input.value).toFixed(2)); }
    function moved() {
      read_out();
      _fl_slider_moved(slider, +input.value);
    }
    input.oninput = moved;
    input.onkeydown = function(e) {
      var page = {PageUp: 0.1, PageDown: -0.1}[e.key];
      if (!page) return;
      e.preventDefault();
      input.value = Math.round(+input.value * 100 + page * 100) / 100;
      moved();
    };
    read_out();
    frame.place(input, x, y, w, h);
  },

  // The toolkit's tooltip box (web/fl.cpp): an element with the role
  // "tooltip" in the window's frame, over the view, made when it is first
  // measured. The program places it in the view's pixels, from the view's top
  // left corner, where its screen starts; the screen is the viewport. Its
  // words keep their size at any scale of the frame (see velmora.html.in).
  $tooltip__deps: ['$frame', '$utf8', '$words'],
  $tooltip: {
    element: null,
    // The view's canvas, and how many of its pixels make a CSS pixel.
    view: function() {
      var canvas = document.getElementById('view');
      return [canvas, canvas.width / canvas.getBoundingClientRect().width];
    },
    // The box, shown with these words where it was.
    say: function(text) {
      var element = tooltip.element;
      if (!element) {
        element = tooltip.element = document.createElement('div');
        element.setAttribute('role', 'tooltip');
        element.dir = words.dir;
        frame.element.append(element);
      }
      element.textContent = utf8(text);
      element.hidden = false;
      return element;
    }
  },

  page_tooltip__deps: ['$tooltip'],
  page_tooltip: function(text, x, y) {
    if (!text) return tooltip.element.hidden = true;
    var style = tooltip.say(text).style, view = tooltip.view();
    style.left = view[0].offsetLeft + x / view[1] + 'px';
    style.top = view[0].offsetTop + y / view[1] + 'px';
  },

  // The box's size with these words, in the view's pixels.
  page_measure__deps: ['$tooltip'],
  page_measure: function(text, w, h) {
    var shown = tooltip.element && !tooltip.element.hidden;
    var box = tooltip.say(text).getBoundingClientRect(), ratio = tooltip.view()[1];
    tooltip.element.hidden = !shown;
    HEAP32[w >> 2] = Math.ceil(box.width * ratio);
    HEAP32[h >> 2] = Math.ceil(box.height * ratio);
  },

  page_screen__deps: ['$tooltip'],
  page_screen: function(xywh) {
    var view = tooltip.view(), box = view[0].getBoundingClientRect(), root = document.documentElement;
    HEAP32.set([-box.left, -box.top, root.clientWidth, root.clientHeight].map(function(css) {
      return Math.round(css * view[1]);
    }), xywh >> 2);
  },

  // The view's canvas, with the id that web/fl.cpp makes its WebGL context
  // on. Its pointer and keys go to the view as the toolkit's events, the
  // pointer in drawing-buffer pixels, as the view's size is. A press captures
  // the pointer, so a drag goes on outside the view; any mouse button, a pen
  // or a finger turns it. A mouse or a pen that hovers moves over the view
  // and leaves it; a finger lifted leaves it too, but its tap's words stay
  // until the next touch, on the view or elsewhere. The view answers the
  // keys it takes (not those with Alt, Ctrl or Meta, which are the
  // browser's); once they rest, the words they showed go to the page's live
  // region, for screen readers. While the browser has taken the GL context
  // away, a note stands in the view's place; when it gives the context back,
  // the view makes what it draws with anew and draws again.
  page_add_view__deps: ['$frame', '$tooltip', '$translated'],
  page_add_view: function(view, x, y, w, h) {
    var canvas = document.createElement('canvas');
    canvas.id = 'view';
    canvas.tabIndex = 0;
    canvas.setAttribute('role', 'img');
    // TRANSLATORS: what a screen reader says of the page's view of the cone.
    canvas.setAttribute('aria-label', translated('The HSV colour cone; the arrow keys turn it, and the readout names the colour facing you.'));
    // The toolkit's FL_PUSH, FL_RELEASE, FL_LEAVE, FL_DRAG and FL_MOVE.
    var PUSH = 1, RELEASE = 2, LEAVE = 4, DRAG = 5, MOVE = 11;
    function send(event, e) {
      var box = canvas.getBoundingClientRect();
      _fl_pointer(view, event, Math.floor((e.clientX - box.left) * canvas.width / box.width),
                  Math.floor((e.clientY - box.top) * canvas.height / box.height));
    }
    canvas.onpointerdown = function(e) {
      if (!e.isPrimary) return;
      canvas.setPointerCapture(e.pointerId);
      send(PUSH, e);
    };
    canvas.onpointermove = function(e) {
      if (canvas.hasPointerCapture(e.pointerId)) send(DRAG, e);
      else if (!e.buttons) send(MOVE, e);
    };
    canvas.onpointerup = function(e) {
      if (canvas.hasPointerCapture(e.pointerId)) send(RELEASE, e);
    };
    canvas.onpointerleave = function(e) {
      if (e.pointerType != 'touch') send(LEAVE, e);
    };
    addEventListener('pointerdown', function(e) {
      if (e.target != canvas) send(LEAVE, e);
    });
    canvas.oncontextmenu = function(e) { e.preventDefault(); };
    var spoken = document.getElementById('spoken'), rest = 0;
    canvas.onkeydown = function(e) {
      var key = {Escape: 0xff1b, ArrowLeft: 0xff51, ArrowUp: 0xff52, ArrowRight: 0xff53, ArrowDown: 0xff54}[e.key];
      if (!_fl_key(view, key || 0, e.ctrlKey << 18 | e.altKey << 19 | e.metaKey << 22)) return;
      e.preventDefault();
      var tip = tooltip.element, words = tip && !tip.hidden ? tip.textContent : '';
      clearTimeout(rest);
      rest = setTimeout(function() { spoken.textContent = words; }, 500);
    };
    var lost = document.createElement('div');
    lost.className = 'note';
    lost.setAttribute('role', 'status');
    lost.dir = words.dir;
    // TRANSLATORS: stands in the page's view while the browser has taken its graphics away.
    lost.textContent = translated("The view's graphics are lost until the browser restores them.");
    canvas.addEventListener('webglcontextlost', function(e) {
      e.preventDefault();  // or the browser never gives it back
      _fl_pointer(view, LEAVE, 0, 0);  // the note, not the view, is under the pointer now
      canvas.style.visibility = 'hidden';
      frame.replace(canvas, lost);
    });
    canvas.addEventListener('webglcontextrestored', function() {
      frame.replace(lost);
      canvas.style.visibility = 'visible';
      _fl_context_restored(view);
    });
    frame.place(canvas, x, y, w, h, function(w, h) {
      if (canvas.width == w && canvas.height == h) return;
      canvas.width = w;
      canvas.height = h;
      _fl_view_sized(view, w, h);
    });
  }
});
