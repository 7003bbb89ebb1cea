// The lookdev page: every change asks the server for a quick frame (one
// sample per pixel at half the size), then the refined one; a newer change
// aborts whatever the older one still waits for, and the server drops its
// superseded renders (requests of one tab share a client name).
'use strict';

const $ = (id) => document.getElementById(id);
const client = 'tab-' + Math.random().toString(36).slice(2, 12);
const state = {
  key: normalize([-0.45, 0.5, 0.74]),  // toward the key light, camera space
  spheres: [],                         // [x, y, r] of each sphere in the picture's pixels
  generation: 0,
  renderAbort: null,
  plotAbort: null,
  pending: false,
};

function normalize(v) {
  const l = Math.hypot(v[0], v[1], v[2]);
  return l > 0 ? v.map((c) => c / l) : [0, 0, 1];
}
const fmt = (x, digits = 3) => Number(x).toFixed(digits).replace(/\.?0+$/, '');

// The request's parameters: mattora-preview's option names.
function parameters(spp) {
  const p = new URLSearchParams();
  p.set('host', $('host').value);
  p.set('roughness', $('roughness').value);
  p.set('color', [$('color-r').value, $('color-g').value, $('color-b').value].join(','));
  p.set('diffuse', $('diffuse').value);
  p.set('translucence', $('translucence').value);
  p.set('lights', $('lights').value);
  p.set('size', $('size').value);
  p.set('spp', String(spp));
  if ($('irradiance').checked) p.set('irradiance', '1');
  if ($('texture').checked) p.set('texture', '1');
  p.set('key-light', state.key.map((c) => fmt(c, 5)).join(','));
  p.set('client', client);
  return p;
}

async function fetchOrExplain(url, signal) {
  const response = await fetch(url, { signal, cache: 'no-store' });
  if (response.ok) return response;
  let message = response.status + ' ' + response.statusText;
  try { message = (await response.json()).error; } catch (e) { /* not JSON */ }
  throw new Error(message);
}

function showError(message) {
  $('error').hidden = !message;
  $('error').textContent = message || '';
}

async function render(generation) {
  if (state.renderAbort) state.renderAbort.abort();
  const abort = new AbortController();
  state.renderAbort = abort;
  const spp = Number($('spp').value);
  // A quick frame first (one sample per pixel at half the size, which the
  // server scales up to the view's), then the refined one.
  const passes = [{ quick: true, spp: 1 }, { quick: false, spp }];
  try {
    for (const pass of passes) {
      const p = parameters(pass.spp);
      if (pass.quick) p.set('quick', '1');
      const response = await fetchOrExplain('render?' + p, abort.signal);
      const blob = await response.blob();
      if (generation !== state.generation) return;
      const url = URL.createObjectURL(blob);
      const image = $('view');
      await new Promise((resolve) => { image.onload = resolve; image.src = url; });
      URL.revokeObjectURL(url);
      state.spheres = (response.headers.get('X-Mattora-Spheres') || '')
        .split(';').filter(Boolean).map((s) => s.split(',').map(Number));
      $('summary').textContent = response.headers.get('X-Mattora-Summary') || '';
      const difference = response.headers.get('X-Mattora-Max-Difference');
      $('state').textContent = (pass.quick ?
        'quick frame: half resolution, 1 sample per pixel; refining…' :
        'refined frame: full resolution, ' + pass.spp + ' sample' + (pass.spp > 1 ? 's' : '') +
        ' per pixel') + (difference !== null ? ' · max |maya − mental ray| = ' + difference : '');
      $('frame').dataset.pass = pass.quick ? 'quick' : 'refined';
      $('frame').dataset.spp = String(pass.spp);
      $('frame').dataset.generation = String(generation);
      drawMarkers();
      showError('');
    }
  } catch (e) {
    if (e.name !== 'AbortError' && generation === state.generation) showError(e.message);
  }
}

async function plot(generation) {
  if (state.plotAbort) state.plotAbort.abort();
  const abort = new AbortController();
  state.plotAbort = abort;
  const p = new URLSearchParams();
  p.set('roughness', $('roughness').value);
  p.set('key-light', state.key.map((c) => fmt(c, 5)).join(','));
  try {
    const data = await (await fetchOrExplain('plot?' + p, abort.signal)).json();
    if (generation === state.generation) drawPlot(data);
  } catch (e) {
    if (e.name !== 'AbortError' && generation === state.generation) showError(e.message);
  }
}

// Several changes within one frame of the screen make one request.
function changed() {
  if (state.pending) return;
  state.pending = true;
  requestAnimationFrame(() => {
    state.pending = false;
    const generation = ++state.generation;
    showKey();
    render(generation);
    plot(generation);
  });
}

function showKey() {
  const [x, y, z] = state.key;
  const elevation = Math.acos(Math.max(-1, Math.min(1, z))) * 180 / Math.PI;
  const azimuth = Math.atan2(y, x) * 180 / Math.PI;
  $('key-readout').textContent = 'key (' + [x, y, z].map((c) => fmt(c, 2)).join(', ') + ')\n' +
    fmt(elevation, 1) + '° from the view, azimuth ' + fmt(azimuth, 0) + '°';
  const c = [$('color-r'), $('color-g'), $('color-b')].map((e) => {
    const v = Math.max(0, Math.min(1, Number(e.value) || 0));
    return Math.round(255 * (v <= 0.0031308 ? 12.92 * v : 1.055 * Math.pow(v, 1 / 2.4) - 0.055));
  });
  $('swatch').style.background = 'rgb(' + c.join(',') + ')';
}

// The key light seen on each sphere: where its direction meets the sphere.
function drawMarkers() {
  const image = $('view');
  const sx = image.clientWidth / (image.naturalWidth || 1);
  const sy = image.clientHeight / (image.naturalHeight || 1);
  const markers = $('markers');
  markers.replaceChildren();
  const behind = state.key[2] < 0;
  for (const [x, y, r] of state.spheres) {
    const m = document.createElement('div');
    m.className = 'marker' + (behind ? ' behind' : '');
    m.style.left = (x + state.key[0] * r) * sx + 'px';
    m.style.top = (y - state.key[1] * r) * sy + 'px';
    markers.appendChild(m);
  }
}

// A point on a sphere's disc names the direction of the normal there: the
// light moves to where the pointer is. Off the disc it lies on the horizon.
function keyFromPointer(event) {
  const image = $('view');
  const box = image.getBoundingClientRect();
  const px = (event.clientX - box.left) * (image.naturalWidth / box.width);
  const py = (event.clientY - box.top) * (image.naturalHeight / box.height);
  let best = null;
  for (const s of state.spheres) {
    const d = Math.hypot(px - s[0], py - s[1]) / s[2];
    if (!best || d < best.d) best = { s, d };
  }
  if (!best) return;
  let dx = (px - best.s[0]) / best.s[2];
  let dy = -(py - best.s[1]) / best.s[2];
  const d2 = dx * dx + dy * dy;
  if (d2 >= 1) {
    const l = Math.sqrt(d2);
    dx /= l; dy /= l;
  }
  state.key = normalize([dx, dy, Math.sqrt(Math.max(0.0004, 1 - dx * dx - dy * dy))]);
  changed();
}

function drawPlot(data) {
  const svg = $('plot');
  const W = 520, H = 330, left = 46, right = 12, top = 14, bottom = 40;
  const x = (deg) => left + (deg + 90) / 180 * (W - left - right);
  let ymax = Math.max(data.lambert, 0.1);
  for (const c of data.curves) for (const v of c.maya.concat(c.mentalray)) if (v > ymax) ymax = v;
  // Round steps for the factor axis, at most six of them.
  const step = [0.05, 0.1, 0.2, 0.25, 0.5, 1].find((s) => ymax * 1.02 / s <= 6) || 1;
  const ticks = Math.ceil(ymax * 1.02 / step);
  ymax = ticks * step;
  const y = (v) => H - bottom - v / ymax * (H - top - bottom);
  const parts = [];
  for (let deg = -90; deg <= 90; deg += 30) {
    parts.push(`<line class="grid" x1="${x(deg)}" x2="${x(deg)}" y1="${top}" y2="${H - bottom}"/>`,
      `<text x="${x(deg)}" y="${H - bottom + 14}" text-anchor="middle">${deg}°</text>`);
  }
  for (let i = 0; i <= ticks; ++i) {
    const v = step * i;
    parts.push(`<line class="grid" x1="${left}" x2="${W - right}" y1="${y(v)}" y2="${y(v)}"/>`,
      `<text x="${left - 6}" y="${y(v) + 4}" text-anchor="end">${fmt(v, 2)}</text>`);
  }
  parts.push(`<line class="axis" x1="${left}" x2="${W - right}" y1="${y(0)}" y2="${y(0)}"/>`,
    `<text x="${(left + W - right) / 2}" y="${H - 8}" text-anchor="middle">view angle θr (negative: forward, positive: toward the light)</text>`);
  const path = (values) => values.map((v, i) => (i ? 'L' : 'M') + x(data.angles[i]).toFixed(1) + ' ' + y(v).toFixed(1)).join(' ');
  parts.push(`<path class="lambert" id="curve-lambert" d="M${x(-90)} ${y(data.lambert)} L${x(90)} ${y(data.lambert)}"/>`);
  for (const c of data.curves) {
    parts.push(`<path class="maya" id="curve-maya" d="${path(c.maya)}"/>`,
      `<path class="mentalray" id="curve-mentalray" d="${path(c.mentalray)}"/>`);
  }
  const legend = [['maya', 'Maya (mattora)'], ['mentalray', 'mental ray (vela_mattora)'], ['lambert', 'Lambert']];
  legend.forEach(([cls, label], i) => {
    const ly = top + 10 + i * 15;
    parts.push(`<line class="${cls}" x1="${left + 10}" x2="${left + 34}" y1="${ly}" y2="${ly}"/>`,
      `<text x="${left + 40}" y="${ly + 4}">${label}</text>`);
  });
  svg.innerHTML = parts.join('');
  const c = data.curves[0];
  let worst = 0;
  c.maya.forEach((v, i) => { worst = Math.max(worst, Math.abs(v - c.mentalray[i])); });
  $('plot-caption').textContent = 'σ = ' + fmt(c.roughness, 3) + ', light at θi = ' + fmt(data.elevation, 1) +
    '°: A = ' + fmt(c.A, 5) + ', B = ' + fmt(c.B, 5) + ', Lambert cos θi = ' + fmt(data.lambert, 4) +
    '; max |maya − mental ray| = ' + worst.toExponential(2);
  svg.dataset.generation = String(state.generation);
}

// The look as the server writes it for a host (format mel or mi), copied to
// the clipboard and shown: where the browser will not copy (a page served
// beyond this machine without TLS has no clipboard), it can be copied by hand.
async function exportLook(format) {
  const p = parameters(Number($('spp').value));
  p.set('format', format);
  const label = format === 'mel' ? 'MEL' : '.mi';
  try {
    const text = await (await fetchOrExplain('export?' + p)).text();
    const box = $('export-text');
    box.hidden = false;
    box.value = text;
    let copied = false;
    try {
      await navigator.clipboard.writeText(text);
      copied = true;
    } catch (e) {
      box.focus();
      box.select();
      copied = document.execCommand('copy');
    }
    $('export-status').textContent = copied ? label + ' copied to the clipboard' :
      'select the ' + label + ' below and copy it';
    $('export-status').dataset.format = format;
    showError('');
  } catch (e) {
    showError(e.message);
  }
}

// A slider and its number box carry one value.
function pair(name) {
  const slider = $(name + '-slider'), box = $(name);
  slider.addEventListener('input', () => { box.value = slider.value; changed(); });
  box.addEventListener('input', () => { if (box.value !== '') { slider.value = box.value; changed(); } });
}

function start() {
  ['roughness', 'diffuse', 'translucence'].forEach(pair);
  for (const id of ['host', 'size', 'spp', 'lights', 'irradiance', 'texture', 'color-r', 'color-g', 'color-b'])
    $(id).addEventListener(id.startsWith('color') ? 'input' : 'change', changed);
  const frame = $('frame');
  let dragging = false;
  frame.addEventListener('pointerdown', (e) => {
    dragging = true;
    frame.setPointerCapture(e.pointerId);
    keyFromPointer(e);
  });
  frame.addEventListener('pointermove', (e) => { if (dragging) keyFromPointer(e); });
  frame.addEventListener('pointerup', () => { dragging = false; });
  window.addEventListener('resize', drawMarkers);
  $('export-mel').addEventListener('click', () => exportLook('mel'));
  $('export-mi').addEventListener('click', () => exportLook('mi'));
  changed();
}

start();
