// Zolvex for web pages. Include this script; once Zolvex.ready has resolved,
//   const ctrl = Zolvex.create(element, { Url: 'ktq://host/a.ktq', BackgroundColor: '#336699' });
// gives the control: the properties and methods of its dispatch interface by their names
// (ctrl.Url, ctrl.GetLevelCount(), ctrl.MoveTo(x, y, level)), answering at once, and its
// events through functions the page assigns (ctrl.OnLoaded = function (url) { ... }).
// A refused property value throws an Error with the control's code and description.
(function () {
  'use strict';
  const script = document.currentScript;
  const base = script && script.src ? script.src.replace(/[^/]*$/, '') : '';
  let module = null;

  const ready = new Promise(function (resolve, reject) {
    const loader = document.createElement('script');
    loader.src = base + 'zolvex-module.js';
    loader.onload = function () {
      createZolvexModule({
        locateFile: function (path) { return base + path; },
        mainScriptUrlOrBlob: base + 'zolvex-module.js',
      }).then(function (loaded) { module = loaded; resolve(); }, reject);
    };
    loader.onerror = function () { reject(new Error('cannot load ' + loader.src)); };
    document.head.appendChild(loader);
  });

  // Buttons and keys held, in the bits the control's mouse events carry.
  function modifiers(event) {
    let bits = 0;
    if (event.buttons & 1) bits |= 0x01;
    if (event.buttons & 2) bits |= 0x02;
    if (event.buttons & 4) bits |= 0x10;
    if (event.shiftKey) bits |= 0x04;
    if (event.ctrlKey) bits |= 0x08;
    if (event.altKey) bits |= 0x20;
    return bits;
  }
  const buttonNames = ['left', 'middle', 'right'];

  function listen(canvas, native) {
    const at = function (event) {
      const box = canvas.getBoundingClientRect();
      return [Math.round(event.clientX - box.left), Math.round(event.clientY - box.top)];
    };
    const mouse = function (action) {
      return function (event) {
        const [x, y] = at(event);
        const button = action === 'move' || action === 'leave' ? 'none' : buttonNames[event.button] || 'none';
        if (action === 'down') {
          canvas.focus();
          canvas.setPointerCapture(event.pointerId);
        }
        native.mouse(action, button, x, y, modifiers(event));
        event.preventDefault();
      };
    };
    canvas.addEventListener('pointerdown', mouse('down'));
    canvas.addEventListener('pointerup', mouse('up'));
    canvas.addEventListener('pointermove', mouse('move'));
    canvas.addEventListener('pointerleave', mouse('leave'));
    canvas.addEventListener('dblclick', mouse('dblclick'));
    canvas.addEventListener('contextmenu', function (event) { event.preventDefault(); });
    canvas.addEventListener('wheel', function (event) {
      const [x, y] = at(event);
      native.wheel(x, y, event.deltaY < 0 ? 120 : event.deltaY > 0 ? -120 : 0, modifiers(event));
      event.preventDefault();
    }, { passive: false });
    const key = function (down) {
      return function (event) {
        const character = event.key && [...event.key].length === 1 ? event.key.codePointAt(0) : 0;
        native.key(down, event.keyCode, modifiers(event), character);
        event.preventDefault();
      };
    };
    canvas.addEventListener('keydown', key(true));
    canvas.addEventListener('keyup', key(false));
  }

  function refused(answer) {
    const error = new Error(answer.description);
    error.code = error.number = answer.code;
    error.description = answer.description;
    return error;
  }

  function accessors(target, names, get, put) {
    for (const name of names) {
      Object.defineProperty(target, name, {
        enumerable: true,
        get: function () { return get(name); },
        set: function (value) {
          const answer = put(name, value);
          if (answer) throw refused(answer);
        },
      });
    }
  }

  let canvases = 0;

  function create(element, properties) {
    if (!module) throw new Error('Zolvex is not loaded yet: create controls once Zolvex.ready has resolved');
    let canvas = element;
    if (!(element instanceof HTMLCanvasElement)) {
      canvas = document.createElement('canvas');
      canvas.style.cssText = 'display:block;width:100%;height:100%;outline:none';
      element.appendChild(canvas);
    }
    if (!canvas.id) canvas.id = 'zolvex-canvas-' + ++canvases;
    canvas.tabIndex = 0;
    const width = element.clientWidth || 640, height = element.clientHeight || 480;
    const control = {};
    const fire = function (name, args) {
      const handler = control[name];
      if (typeof handler !== 'function') return;
      // A handler's error is the page's: it is reported, and the control runs on.
      try {
        handler.apply(control, args);
      } catch (error) {
        setTimeout(function () { throw error; });
      }
    };
    const native = new module.WebControl(canvas.id, width, height, location.href, properties || {}, fire);
    const get = function (name) { return native.get(name); };
    const put = function (name, value) { return native.put(name, value); };
    accessors(control, module.propertyNames().filter(function (name) { return name !== 'Zolvex2'; }), get, put);
    const zolvex2 = {};
    accessors(zolvex2, module.zolvex2PropertyNames(), function (name) { return get('Zolvex2.' + name); },
              function (name, value) { return put('Zolvex2.' + name, value); });
    Object.defineProperty(control, 'Zolvex2', {
      enumerable: true,
      get: function () { return zolvex2; },
      set: function (value) { put('Zolvex2', value); },
    });
    for (const name of module.methodNames()) {
      control[name] = function () { return native.invoke(name, Array.prototype.slice.call(arguments)); };
    }
    Object.defineProperty(control, '__native', { value: native });
    listen(canvas, native);
    if (typeof ResizeObserver !== 'undefined' && canvas !== element) {
      new ResizeObserver(function () {
        native.resize(element.clientWidth || width, element.clientHeight || height);
      }).observe(element);
    }
    return control;
  }

  // __browserDecodes(): the JPEG streams the browser's decoder delivered and refused so far
  // ({ decoded, refused }), for tests and benchmarks.
  window.Zolvex = { ready: ready, create: create,
                    __browserDecodes: function () { return module ? module.browserDecodes() : null; } };
})();
