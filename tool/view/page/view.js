"use strict";
const view = { from: 0, to: -1, line: 0, version: -1, focus: -1,
               busy: false, again: false, geometry: null, pinned: false };
const plot = document.getElementById("plot");
const info = document.getElementById("info");
const km = (m) => (m / 1000).toFixed(2) + " km";

function text(tag, content, cls) {
  const e = document.createElement(tag);
  e.textContent = content;
  if (cls) e.className = cls;
  return e;
}

async function loadModel() {
  const reply = await fetch("/model.json", { cache: "no-store" });
  const model = await reply.json();
  view.version = model.version;
  document.getElementById("title").textContent = model.scenario + " \u00b7 " + model.train;
  document.body.classList.toggle("stale", model.stale);
  if (model.line_m > 0) {
    view.line = model.line_m;
    if (view.to < 0) view.to = view.line;
  }
  const rows = document.querySelector("#timetable tbody");
  rows.replaceChildren();
  model.stations.forEach((st, i) => {
    const tr = document.createElement("tr");
    tr.className = "station-row";
    for (const v of [String(i + 1), st.name, km(st.at_m),
                     km(st.from_m) + " \u2013 " + km(st.to_m), st.time, st.src])
      tr.appendChild(text("td", v));
    tr.addEventListener("click", () => focusOn(st.at_m));
    rows.appendChild(tr);
  });
  const list = document.getElementById("diagnostics");
  list.replaceChildren();
  for (const d of model.diagnostics) {
    const li = diagnosticItem(d);
    // Each note under its diagnostic: the second place it speaks of.
    if (d.notes.length > 0) {
      const notes = document.createElement("ul");
      notes.className = "notes";
      for (const note of d.notes) notes.appendChild(diagnosticItem(note));
      li.appendChild(notes);
    }
    list.appendChild(li);
  }
  document.getElementById("diagnostics-title").textContent =
      "diagnostics: " + model.errors + " error(s), " + model.warnings + " warning(s)";
  if (!model.has_picture) plot.textContent = "no picture: the sources have not compiled yet";
  return model;
}

// A diagnostic or a note as check gives it; a click shows its place on the
// track.
function diagnosticItem(d) {
  const li = document.createElement("li");
  li.className = "diagnostic " + d.severity;
  const place = (d.file || "") + (d.line > 0 ? ":" + d.line + ":" + d.column : "");
  li.appendChild(text("span", place, "place"));
  li.appendChild(document.createTextNode(" " + d.severity +
      (d.code ? " " + d.code : "") + ": " + d.message));
  if (d.metre >= 0) li.title = "at " + km(d.metre) + ": click to show it on the track";
  li.addEventListener("click", (e) => {
    e.stopPropagation();
    if (d.metre >= 0) focusOn(d.metre);
  });
  return li;
}

function showRange() {
  document.getElementById("from").value = (view.from / 1000).toFixed(2);
  document.getElementById("to").value = (view.to / 1000).toFixed(2);
}

// One request at a time; a change meanwhile asks again once it is done.
async function loadPlot() {
  if (view.busy) { view.again = true; return; }
  view.busy = true;
  showRange();
  const started = performance.now();
  try {
    const width = Math.max(600, Math.floor(plot.clientWidth || window.innerWidth));
    const url = "/plot.svg?from=" + Math.round(view.from) + "&to=" + Math.round(view.to) +
                "&width=" + width + "&v=" + view.version;
    const reply = await fetch(url, { cache: "no-store" });
    if (reply.ok) {
      const svg = await reply.text();
      plot.innerHTML = svg.replace(/^<\?xml[^>]*>\s*/, "");
      const root = plot.querySelector("svg");
      view.geometry = {
        from: +root.dataset.fromM, to: +root.dataset.toM,
        left: +root.dataset.plotLeft, width: +root.dataset.plotWidth,
        top: +root.dataset.profilesTop, bottom: +root.dataset.profilesBottom };
      drawFocus(root);
      window.lastPlotMs = performance.now() - started;
      document.getElementById("status").textContent =
          "version " + view.version + " \u00b7 drawn in " + window.lastPlotMs.toFixed(0) + " ms";
    }
  } finally {
    view.busy = false;
    if (view.again) { view.again = false; loadPlot(); }
  }
}

function drawFocus(root) {
  const g = view.geometry;
  if (view.focus < g.from || view.focus > g.to) return;
  const x = g.left + (view.focus - g.from) / (g.to - g.from) * g.width;
  const mark = document.createElementNS("http://www.w3.org/2000/svg", "line");
  for (const [k, v] of [["id", "focus"], ["x1", x], ["x2", x], ["y1", g.top - 30],
                        ["y2", g.bottom], ["stroke", "#e0007a"], ["stroke-width", 2.5]])
    mark.setAttribute(k, v);
  root.appendChild(mark);
}

function setRange(from, to) {
  const span = Math.min(Math.max(to - from, 100), view.line);
  from = Math.min(Math.max(from, 0), view.line - span);
  view.from = from;
  view.to = from + span;
  loadPlot();
}

function focusOn(metre) {
  view.focus = metre;
  setRange(metre - 1000, metre + 1000);
}

function metreAt(clientX) {
  const g = view.geometry;
  const box = plot.querySelector("svg").getBoundingClientRect();
  return g.from + (clientX - box.left - g.left) / g.width * (g.to - g.from);
}

plot.addEventListener("wheel", (e) => {
  if (!view.geometry) return;
  e.preventDefault();
  const at = Math.min(Math.max(metreAt(e.clientX), view.from), view.to);
  const factor = e.deltaY > 0 ? 1.25 : 0.8;
  setRange(at - (at - view.from) * factor, at + (view.to - at) * factor);
}, { passive: false });

let drag = null;
plot.addEventListener("mousedown", (e) => {
  if (!view.geometry) return;
  drag = { x: e.clientX, from: view.from, to: view.to, moved: false };
  plot.classList.add("dragging");
});
window.addEventListener("mousemove", (e) => {
  if (!drag) return;
  const dx = e.clientX - drag.x;
  if (Math.abs(dx) > 2) drag.moved = true;
  const metres = dx / view.geometry.width * (drag.to - drag.from);
  setRange(drag.from - metres, drag.to - metres);
});
window.addEventListener("mouseup", () => {
  plot.classList.remove("dragging");
  setTimeout(() => { drag = null; }, 0);
});

// A mark's values are its tooltip text; its source place, data-src.
function markOf(target) {
  for (let e = target; e && e !== plot; e = e.parentNode) {
    if (e.dataset && e.dataset.src) return e;
    const title = e.querySelector && e.querySelector(":scope > title");
    if (title && e.tagName !== "svg") return e;
  }
  return null;
}
function showMark(mark) {
  const title = mark.querySelector(":scope > title");
  info.replaceChildren(text("div", title ? title.textContent : ""));
  if (mark.dataset.src) info.appendChild(text("div", mark.dataset.src, "src"));
  info.style.display = "block";
}
plot.addEventListener("mouseover", (e) => {
  if (view.pinned) return;
  const mark = markOf(e.target);
  if (mark) showMark(mark); else info.style.display = "none";
});
plot.addEventListener("click", (e) => {
  if (drag && drag.moved) return;
  const mark = markOf(e.target);
  view.pinned = !!mark;
  if (mark) showMark(mark); else info.style.display = "none";
});

document.getElementById("show").addEventListener("click", () => {
  setRange(parseFloat(document.getElementById("from").value) * 1000,
           parseFloat(document.getElementById("to").value) * 1000);
});
document.getElementById("whole").addEventListener("click", () => setRange(0, view.line));
for (const id of ["from", "to"])
  document.getElementById(id).addEventListener("keydown", (e) => {
    if (e.key === "Enter") document.getElementById("show").click();
  });
window.addEventListener("resize", () => loadPlot());

async function refresh() {
  await loadModel();
  await loadPlot();
}
const events = new EventSource("/events");
events.onmessage = (e) => { if (+e.data !== view.version) refresh(); };
refresh();
