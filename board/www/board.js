// The status board's page: one event stream from the board server, a tile per desk,
// the time in each state counted up between the server's frames. Every datum goes
// into the page as text (textContent), never as markup.
"use strict";

const STATES = ["로그아웃", "대기중", "휴식중", "통화중"];
const OUT = 0, READY = 1, BREAK = 2, CALL = 3;
// Sort by state: calls first, then ready, break and signed out (indexed by state).
const STATE_RANK = [3, 1, 2, 0];
const STALE_MS = 3000;
const REOPEN_MS = 10000;

const desks = new Map(); // "svc/tel" -> {d: [svc, tel, name, state, since, calls, secs, extra], el}
let services = [];       // [svc, out, ready, break, call, calls, secs, waiting]
let limits = [0, 0];
let clockOffset = 0;     // server's stamp seconds minus this browser's seconds
let lastFrameAt = 0;     // Date.now() of the last frame with data
let trouble = "";        // why the server has no fresh data, as it said
let source = null;
let needSort = true;
let firstFrame = true;

const params = new URLSearchParams(location.search);
const svcSelect = document.getElementById("svc");
const sortSelect = document.getElementById("sort");
const deskBox = document.getElementById("desks");
const staleBox = document.getElementById("stale");
const emptyNote = document.getElementById("empty");

function two(n) { return n < 10 ? "0" + n : String(n); }
function duration(seconds) {
  const s = Math.max(0, Math.floor(seconds));
  const h = Math.floor(s / 3600), m = Math.floor((s % 3600) / 60);
  return (h > 0 ? h + ":" + two(m) : two(m)) + ":" + two(s % 60);
}
function longDuration(seconds) {
  const s = Math.max(0, Math.floor(seconds));
  return Math.floor(s / 3600) + ":" + two(Math.floor((s % 3600) / 60)) + ":" + two(s % 60);
}
function serverNow() { return Date.now() / 1000 + clockOffset; }
function elapsed(d) { return d[4] === null ? null : serverNow() - d[4]; }
function setText(el, text) { if (el.textContent !== text) el.textContent = text; }

function element(tag, cls, parent) {
  const el = document.createElement(tag);
  if (cls) el.className = cls;
  if (parent) parent.appendChild(el);
  return el;
}

function makeTile(key) {
  const el = element("article", "desk");
  el.dataset.key = key;
  const top = element("div", "top", el);
  el._tel = element("span", "tel", top);
  el._svc = element("span", "svcid", top);
  el._name = element("div", "name", el);
  const state = element("div", "state", el);
  el._label = element("span", "label", state);
  el._time = element("span", "time", state);
  // Room for a short text under the state, such as the reason of a break.
  el._extra = element("div", "extra", el);
  el._calls = element("div", "calls", el);
  return el;
}

function isAlert(d, e) {
  if (e === null) return false;
  if (d[3] === BREAK) return e > limits[0];
  if (d[3] === CALL) return e > limits[1];
  return false;
}

function paintTile(entry) {
  const d = entry.d, el = entry.el;
  setText(el._tel, d[1]);
  setText(el._svc, "서비스 " + d[0]);
  setText(el._name, d[2] || "-");
  setText(el._label, STATES[d[3]] || "?");
  setText(el._extra, d[7] || "");
  setText(el._calls, "통화 " + d[5] + "건 · " + longDuration(d[6]));
  const cls = "desk st-" + d[3];
  if (!el.classList.contains("st-" + d[3])) {
    el.className = cls;
  }
  paintTime(entry);
}

function paintTime(entry) {
  const e = elapsed(entry.d);
  setText(entry.el._time, e === null || entry.d[3] === OUT ? "" : duration(e));
  entry.el.classList.toggle("alert", isAlert(entry.d, e));
}

// One collator for every comparison: a locale comparison that makes its own each time
// costs seconds over ten thousand desks.
const TEL_ORDER = new Intl.Collator("ko", { numeric: true });
function compareTel(a, b) {
  return a.d[0] - b.d[0] || TEL_ORDER.compare(a.d[1], b.d[1]);
}
function sortKey(how) {
  if (how === "tel") return compareTel;
  const since = (x) => (x.d[4] === null || x.d[3] === OUT ? Infinity : x.d[4]);
  if (how === "time") return (a, b) => since(a) - since(b) || compareTel(a, b);
  return (a, b) => STATE_RANK[a.d[3]] - STATE_RANK[b.d[3]] || since(a) - since(b) || compareTel(a, b);
}

function placeTiles() {
  const sorted = Array.from(desks.values()).sort(sortKey(sortSelect.value));
  // Only the tiles out of place move: with thousands of desks a frame moves a few.
  let node = deskBox.firstElementChild;
  for (const x of sorted) {
    if (node === x.el) {
      node = node.nextElementSibling;
    } else {
      deskBox.insertBefore(x.el, node);
    }
  }
  emptyNote.hidden = desks.size > 0;
  needSort = false;
}

function paintTotals() {
  const chosen = svcSelect.value;
  const sum = [0, 0, 0, 0, 0, 0, 0];
  for (const s of services) {
    if (chosen !== "" && String(s[0]) !== chosen) continue;
    for (let i = 0; i < 7; i++) sum[i] += s[i + 1];
  }
  const put = (name, text) => setText(document.querySelector('[data-total="' + name + '"]'), text);
  put("out", String(sum[0]));
  put("ready", String(sum[1]));
  put("break", String(sum[2]));
  put("call", String(sum[3]));
  put("calls", String(sum[4]));
  put("secs", longDuration(sum[5]));
  put("waiting", String(sum[6]));
}

function offerServices() {
  const have = new Set(Array.from(svcSelect.options, (o) => o.value));
  for (const s of services) {
    const value = String(s[0]);
    if (have.has(value)) continue;
    const option = document.createElement("option");
    option.value = value;
    option.textContent = "서비스 " + value;
    svcSelect.appendChild(option);
  }
}

function applyFrame(frame) {
  if (frame.full) {
    for (const entry of desks.values()) entry.el.remove();
    desks.clear();
  }
  clockOffset = frame.now - Date.now() / 1000;
  limits = frame.limits;
  services = frame.services;
  for (const g of frame.gone) {
    const key = g[0] + "/" + g[1];
    const entry = desks.get(key);
    if (entry) { entry.el.remove(); desks.delete(key); }
  }
  for (const d of frame.desks) {
    const key = d[0] + "/" + d[1];
    let entry = desks.get(key);
    if (!entry) {
      entry = { d: d, el: makeTile(key) };
      desks.set(key, entry);
    }
    if (entry.d[3] !== d[3] || entry.d[4] !== d[4]) needSort = true;
    entry.d = d;
    paintTile(entry);
  }
  if (frame.gone.length || frame.full) needSort = true;
  offerServices();
  paintTotals();
  if (needSort) placeTiles();
  lastFrameAt = Date.now();
  trouble = "";
  firstFrame = false;
  checkStale();
}

function checkStale() {
  const age = Date.now() - lastFrameAt;
  const stale = age > STALE_MS;
  if (stale) {
    const why = trouble || "서버에 연결할 수 없습니다.";
    const text = firstFrame
      ? "데이터를 기다리는 중입니다. " + why
      : "데이터가 " + Math.floor(age / 1000) + "초 전의 것입니다. " + why;
    setText(staleBox, text);
  }
  staleBox.hidden = !stale;
  document.body.classList.toggle("stale", stale);
  // A stream that stays silent is opened again.
  if (source && age > REOPEN_MS && Date.now() - source._openedAt > REOPEN_MS) connect();
}

function connect() {
  if (source) source.close();
  const url = "events" + (svcSelect.value ? "?svc=" + encodeURIComponent(svcSelect.value) : "");
  source = new EventSource(url);
  source._openedAt = Date.now();
  source.addEventListener("board", (event) => {
    try { applyFrame(JSON.parse(event.data)); } catch (e) { console.error("board frame", e); }
  });
  source.addEventListener("trouble", (event) => {
    try { trouble = JSON.parse(event.data).reason || ""; } catch (e) { trouble = ""; }
    checkStale();
  });
  const opened = source;
  source.onerror = () => {
    trouble = "";
    // The browser retries by itself unless the stream was refused; then we do.
    if (opened.readyState === EventSource.CLOSED && opened === source) {
      setTimeout(() => { if (opened === source) connect(); }, 2000);
    }
  };
}

let lastSecond = -1;
function tick() {
  const now = new Date();
  checkStale();
  if (now.getSeconds() === lastSecond) return;
  lastSecond = now.getSeconds();
  setText(document.getElementById("clock"),
    two(now.getHours()) + ":" + two(now.getMinutes()) + ":" + two(now.getSeconds()));
  for (const entry of desks.values()) paintTime(entry);
}

function remember() {
  const p = new URLSearchParams();
  if (svcSelect.value) p.set("svc", svcSelect.value);
  if (sortSelect.value !== "state") p.set("sort", sortSelect.value);
  const query = p.toString();
  history.replaceState(null, "", query ? "?" + query : location.pathname);
}

function start() {
  const svc = params.get("svc");
  if (svc && /^[0-9]{1,9}$/.test(svc)) {
    const option = document.createElement("option");
    option.value = svc;
    option.textContent = "서비스 " + svc;
    svcSelect.appendChild(option);
    svcSelect.value = svc;
  }
  const sort = params.get("sort");
  if (sort && Array.from(sortSelect.options).some((o) => o.value === sort)) sortSelect.value = sort;
  svcSelect.addEventListener("change", () => {
    remember();
    for (const entry of desks.values()) entry.el.remove();
    desks.clear();
    firstFrame = true;
    lastFrameAt = Date.now();
    connect();
  });
  sortSelect.addEventListener("change", () => { remember(); placeTiles(); });
  lastFrameAt = Date.now();
  connect();
  tick();
  setInterval(tick, 500);
}

start();
