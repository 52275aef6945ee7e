(function () {
  'use strict';
  var svg = document.getElementById('route');
  var ns = svg.namespaceURI;
  var left = +svg.dataset.left, right = +svg.dataset.right, width = right - left;
  var whole = +svg.dataset.metres, limit = Math.max(+svg.dataset.trackMetres, whole);
  var clip = document.querySelector('#along-clip rect');
  var top = +clip.getAttribute('y'), bottom = top + +clip.getAttribute('height');
  var v0 = 0, v1 = whole;
  var moving = Array.prototype.slice.call(svg.querySelectorAll('[data-m0]'));
  moving.forEach(function (el) {
    if (el.tagName === 'rect' && !el.hasAttribute('data-m1')) el.dataset.w = el.getAttribute('width');
  });
  var profiles = svg.querySelectorAll('polyline.profile');
  var valueGroups = svg.querySelectorAll('g[id$="-values"]');
  var axis = document.getElementById('distance-axis');
  var viewText = document.getElementById('view');
  var tip = document.getElementById('tip');

  function x(m) { return left + (m - v0) / (v1 - v0) * width; }
  function km(m) { return +(m / 1000).toFixed(3) + ' km'; }

  function ticks() {
    Array.prototype.slice.call(axis.querySelectorAll('.tick')).forEach(function (t) { t.remove(); });
    var at = +axis.dataset.top, span = v1 - v0;
    var step = Math.pow(10, Math.floor(Math.log10(Math.max(span, 10) / 5)));
    if (span / step > 12) step *= 2;
    if (span / step > 12) step *= 2.5;
    for (var m = Math.ceil(v0 / step) * step; m <= v1 + 1e-6; m += step) {
      var line = document.createElementNS(ns, 'line');
      line.setAttribute('class', 'tick');
      line.setAttribute('x1', x(m)); line.setAttribute('x2', x(m));
      line.setAttribute('y1', at); line.setAttribute('y2', at + 5);
      line.setAttribute('stroke', '#333');
      var label = document.createElementNS(ns, 'text');
      label.setAttribute('class', 'tick');
      label.setAttribute('x', x(m)); label.setAttribute('y', at + 17);
      label.setAttribute('text-anchor', 'middle');
      label.textContent = km(m);
      axis.appendChild(line); axis.appendChild(label);
    }
  }

  // The plan's points stand every 25 m up to the line's end; the stretch in
  // view is laid over them, and hidden when the whole line is shown.
  var plan = document.getElementById('plan'), highlight = document.getElementById('plan-view');
  var planPoints = plan ? plan.getAttribute('points').split(' ') : [];
  function planView() {
    if (!highlight) return;
    var last = +highlight.dataset.last, shown = [];
    if (v1 - v0 < whole) {
      planPoints.forEach(function (p, i) {
        var m = Math.min(i * 25, last);
        if (m >= v0 && m <= v1) shown.push(p);
      });
    }
    highlight.setAttribute('points', shown.join(' '));
  }

  function place() {
    moving.forEach(function (el) {
      var x0 = x(+el.dataset.m0);
      switch (el.tagName) {
        case 'rect':
          if (el.dataset.m1 !== undefined) {
            el.setAttribute('x', x0);
            el.setAttribute('width', Math.max(x(+el.dataset.m1) - x0, 1.5));
          } else {
            el.setAttribute('x', x0 - el.dataset.w / 2);
          }
          break;
        case 'circle': el.setAttribute('cx', x0); break;
        case 'path': el.setAttribute('transform', 'translate(' + (x0 - +el.dataset.x) + ' 0)'); break;
        case 'line': el.setAttribute('x1', x0); el.setAttribute('x2', x0); break;
        case 'text': el.setAttribute('x', x0 + +(el.dataset.dx || 0)); break;
      }
    });
    var s = whole / (v1 - v0), tx = left - s * left - v0 * width / (v1 - v0);
    profiles.forEach(function (p) {
      p.setAttribute('transform', 'matrix(' + s + ' 0 0 1 ' + tx + ' 0)');
    });
    // A step's value is shown where it leaves room for the one before.
    valueGroups.forEach(function (g) {
      var last = -1e9;
      g.querySelectorAll('text').forEach(function (t) {
        var tx = +t.getAttribute('x');
        var shown = tx >= left && tx <= right && tx - last >= 28;
        t.setAttribute('visibility', shown ? 'visible' : 'hidden');
        if (shown) last = tx;
      });
    });
    ticks();
    planView();
    viewText.textContent = 'showing ' + km(v0) + ' to ' + km(v1);
  }

  function show(from, to) {
    var span = Math.min(Math.max(to - from, 100), limit);
    from = Math.min(Math.max(from, 0), limit - span);
    v0 = from; v1 = from + span;
    place();
  }
  // Zooms by `factor` keeping the metre under page x where it is.
  function zoomAt(px, factor) {
    var f = (px - left) / width, m = v0 + f * (v1 - v0), span = (v1 - v0) * factor;
    show(m - f * span, m - f * span + span);
  }
  function point(event) {
    var p = svg.createSVGPoint();
    p.x = event.clientX; p.y = event.clientY;
    return p.matrixTransform(svg.getScreenCTM().inverse());
  }
  function onTracks(p) { return p.x >= left && p.x <= right && p.y >= top && p.y <= bottom; }

  svg.addEventListener('wheel', function (event) {
    var p = point(event);
    if (!onTracks(p)) return;
    event.preventDefault();
    zoomAt(p.x, event.deltaY > 0 ? 1.25 : 0.8);
  }, { passive: false });
  var drag = null;
  svg.addEventListener('mousedown', function (event) {
    var p = point(event);
    if (onTracks(p)) drag = { x: p.x, v0: v0, v1: v1 };
  });
  window.addEventListener('mousemove', function (event) {
    if (!drag) return;
    var dm = (point(event).x - drag.x) / width * (drag.v1 - drag.v0);
    show(drag.v0 - dm, drag.v1 - dm);
  });
  window.addEventListener('mouseup', function () { drag = null; });
  svg.addEventListener('dblclick', function () { show(0, whole); });
  document.getElementById('zoom-in').addEventListener('click', function () { zoomAt(left + width / 2, 0.5); });
  document.getElementById('zoom-out').addEventListener('click', function () { zoomAt(left + width / 2, 2); });
  document.getElementById('whole').addEventListener('click', function () { show(0, whole); });

  // The hover texts leave their <title> for a box that shows at once.
  svg.querySelectorAll('title').forEach(function (t) {
    t.parentNode.dataset.info = t.textContent;
    t.remove();
  });
  function hover(target, cx, cy) {
    var el = target && target.closest ? target.closest('[data-info]') : null;
    if (!el) { tip.hidden = true; return; }
    tip.textContent = el.dataset.info;
    tip.hidden = false;
    tip.style.left = Math.min(cx + 14, window.innerWidth - tip.offsetWidth - 4) + 'px';
    tip.style.top = Math.min(cy + 14, window.innerHeight - tip.offsetHeight - 4) + 'px';
  }
  svg.addEventListener('mousemove', function (event) { hover(event.target, event.clientX, event.clientY); });
  svg.addEventListener('mouseleave', function () { tip.hidden = true; });

  place();
  // "#selftest" drives the viewer once, for the browser check: zoom into the
  // middle, pan, and hover the first signal in view; the stretch in view must
  // show on the plan. The outcome lands on <body>.
  if (location.hash === '#selftest') {
    zoomAt(left + width / 2, 0.25);
    var before = v0;
    show(v0 + 1000, v1 + 1000);
    var signal = Array.prototype.filter.call(svg.querySelectorAll('#signals .signal'), function (c) {
      return x(+c.dataset.m0) > left && x(+c.dataset.m0) < right;
    })[0];
    var box = signal.getBoundingClientRect();
    hover(signal, box.left, box.top);
    var ok = v1 - v0 < whole / 3 && v0 > before && !tip.hidden &&
        /:\d+|cell \d+/.test(tip.textContent) &&
        (!highlight || highlight.getAttribute('points') !== '');
    document.body.dataset.selftest = ok ? 'passed' : 'failed';
  }
  document.body.dataset.viewer = 'ready';
})();
