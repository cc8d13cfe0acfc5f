#include "output/common/SiteAssets.h"

namespace qs {

std::string_view SiteStyleSheet() {
  return R"css(:root {
  --bg: #fbfbfa; --fg: #1f2328; --muted: #5f6670; --line: #d9dce0; --panel: #f1f2f4;
  --link: #0b5cad; --accent: #e8f0fb; --kw: #7a2e9c; --str: #a0421a; --com: #3d7a3d;
  --code-bg: #f6f7f8;
  color-scheme: light dark;
}
@media (prefers-color-scheme: dark) {
  :root {
    --bg: #16181b; --fg: #dde1e5; --muted: #99a1ab; --line: #30353b; --panel: #1d2024;
    --link: #7cb4f5; --accent: #22303f; --kw: #d3a0f0; --str: #f0a878; --com: #8cc48c;
    --code-bg: #1b1e22;
  }
}
* { box-sizing: border-box; }
html { font-size: 15px; }
body { margin: 0; background: var(--bg); color: var(--fg);
  font: 1rem/1.5 system-ui, -apple-system, "Segoe UI", Roboto, "DejaVu Sans", sans-serif; }
a { color: var(--link); text-decoration: none; }
a:hover { text-decoration: underline; }
code, pre, .sig { font-family: ui-monospace, "DejaVu Sans Mono", Consolas, monospace; font-size: 0.92rem; }
header.bar { position: sticky; top: 0; z-index: 10; display: flex; flex-wrap: wrap; align-items: center;
  gap: 0.4rem 1rem; padding: 0.5rem 1rem; background: var(--panel); border-bottom: 1px solid var(--line); }
header.bar .home { font-weight: 600; color: var(--fg); }
header.bar nav { display: flex; gap: 0.9rem; flex-wrap: wrap; }
.searchbox { position: relative; margin-left: auto; }
.searchbox input { width: 18rem; max-width: 60vw; padding: 0.3rem 0.5rem; border: 1px solid var(--line);
  border-radius: 4px; background: var(--bg); color: var(--fg); font: inherit; }
#results { position: absolute; right: 0; top: 2.2rem; width: 28rem; max-width: 90vw; max-height: 70vh;
  overflow: auto; background: var(--bg); border: 1px solid var(--line); border-radius: 4px;
  box-shadow: 0 4px 14px rgba(0,0,0,0.18); display: none; }
#results.open { display: block; }
.hit { display: block; padding: 0.25rem 0.6rem; border-bottom: 1px solid var(--line); color: var(--fg); }
.hit:hover, .hit.sel { background: var(--accent); text-decoration: none; }
.hit .n { font-weight: 600; }
.hit .k, .hit .m { color: var(--muted); font-size: 0.85rem; margin-left: 0.5rem; }
.layout { display: grid; grid-template-columns: 15rem minmax(0, 1fr); min-height: calc(100vh - 3rem); }
aside#side { border-right: 1px solid var(--line); background: var(--panel); padding: 0.5rem 0.8rem;
  position: sticky; top: 2.8rem; align-self: start; max-height: calc(100vh - 3rem); overflow: auto; }
aside#side h2 { font-size: 0.9rem; margin: 0.4rem 0; color: var(--muted); text-transform: uppercase; letter-spacing: 0.04em; }
aside#side ul { list-style: none; margin: 0; padding: 0; }
aside#side li a { display: block; padding: 0.05rem 0.3rem; border-radius: 3px; overflow: hidden;
  text-overflow: ellipsis; white-space: nowrap; }
aside#side li a.cur { background: var(--accent); font-weight: 600; }
main { padding: 1rem 2rem 3rem; max-width: 78rem; }
h1 { font-size: 1.6rem; margin: 0.3rem 0 0.6rem; }
h2 { font-size: 1.2rem; margin: 1.6rem 0 0.5rem; border-bottom: 1px solid var(--line); padding-bottom: 0.2rem; }
h3 { font-size: 1.02rem; margin: 1.1rem 0 0.3rem; }
.meta { color: var(--muted); }
table { border-collapse: collapse; margin: 0.4rem 0 1rem; }
th, td { text-align: left; padding: 0.25rem 0.7rem 0.25rem 0; border-bottom: 1px solid var(--line); vertical-align: top; }
th { color: var(--muted); font-weight: 600; }
td.num, th.num { text-align: right; }
.decl { margin: 0.35rem 0 0.6rem; padding: 0.35rem 0.6rem; border-left: 3px solid var(--line); background: var(--code-bg); }
/* An anchor's target is not hidden under the sticky bar. */
.decl, h2, h3, pre.src > a[id] { scroll-margin-top: 3.5rem; }
.decl:target { border-left-color: var(--link); background: var(--accent); }
.decl .sig { white-space: pre-wrap; word-break: break-word; }
.decl .where { color: var(--muted); font-size: 0.85rem; margin-left: 0.6rem; }
.decl .more { font-size: 0.9rem; margin-top: 0.2rem; }
ul.tree, ul.tree ul { list-style: none; margin: 0; padding-left: 1.2rem; }
ul.tree { padding-left: 0; }
ul.tree .t { color: var(--muted); font-size: 0.88rem; margin-left: 0.4rem; }
.handlers { font-size: 0.9rem; margin-left: 0.6rem; }
.note { color: var(--muted); font-style: italic; }
figure { margin: 0.5rem 0 1rem; overflow: auto; }
figure img { max-width: 100%; height: auto; background: #fff; border-radius: 4px; }
svg.calls { display: block; max-width: 100%; height: auto; margin-top: 0.3rem;
  font: 11px system-ui, -apple-system, "Segoe UI", Roboto, "DejaVu Sans", sans-serif; }
svg.calls rect { fill: var(--bg); stroke: var(--line); }
svg.calls rect.self { stroke: var(--link); stroke-width: 2; }
svg.calls text { fill: var(--fg); }
svg.calls a text { fill: var(--link); }
svg.calls a:hover rect { fill: var(--accent); }
svg.calls path { stroke: var(--muted); fill: none; }
svg.calls text.more { fill: var(--muted); font-style: italic; }
pre.src { margin: 0; padding: 0.4rem 0; background: var(--code-bg); border: 1px solid var(--line);
  border-radius: 4px; overflow-x: auto; line-height: 1.45; tab-size: 4; }
pre.src > a[id] { display: inline-block; width: 4.5rem; padding-right: 0.8rem; text-align: right;
  color: var(--muted); user-select: none; cursor: pointer; }
pre.src > a[id]::before { counter-increment: ln; content: counter(ln); }
pre.src > a[id]:target { background: var(--accent); color: var(--fg); font-weight: 600; }
pre.src b { font-weight: normal; color: var(--kw); }
pre.src u { text-decoration: none; color: var(--str); }
pre.src i { color: var(--com); }
details.header { margin: 0 0 0.6rem; }
details.header > summary { cursor: pointer; color: var(--muted); padding: 0.2rem 0; }
.parts { margin: 0.4rem 0; }
.parts a, .parts span { margin-right: 0.6rem; }
@media (max-width: 900px) {
  .layout { grid-template-columns: minmax(0, 1fr); }
  aside#side { position: static; max-height: 14rem; border-right: 0; border-bottom: 1px solid var(--line); }
  main { padding: 0.8rem 0.8rem 2rem; }
  .searchbox { margin-left: 0; width: 100%; }
  .searchbox input { width: 100%; max-width: none; }
  #results { left: 0; width: 100%; }
  pre.src > a[id] { width: 3.2rem; padding-right: 0.5rem; }
}
)css";
}

std::string_view SiteScript() {
  return R"js((function () {
  'use strict';
  var doc = document;
  function make(tag, cls, text) {
    var e = doc.createElement(tag);
    if (cls) e.className = cls;
    if (text != null) e.textContent = text;
    return e;
  }
  // The side panel: the modules, the current one marked.
  function fillSide() {
    var side = doc.getElementById('side');
    var list = window.QS_MODULES;
    if (!side || !list) return;
    var current = doc.body.getAttribute('data-module');
    side.appendChild(make('h2', null, 'Modules'));
    var ul = make('ul');
    for (var i = 0; i < list.length; i++) {
      var li = make('li');
      var a = make('a', String(i) === current ? 'cur' : null, list[i][0]);
      a.href = list[i][1];
      a.title = list[i][2] + ' ' + list[i][0];
      li.appendChild(a);
      ul.appendChild(li);
    }
    side.appendChild(ul);
    var cur = side.querySelector('a.cur');
    if (cur && cur.scrollIntoView) cur.scrollIntoView({block: 'center'});
  }
  // Search: the index is a script of its own, loaded on first use (it works from file://).
  var names = null, loading = false, waiting = [];
  function withIndex(done) {
    if (names) { done(); return; }
    waiting.push(done);
    if (loading) return;
    loading = true;
    var s = doc.createElement('script');
    s.src = 'search-index.js';
    s.onload = function () {
      var d = window.QS_SEARCH.d, n = d.length / 4;
      names = new Array(n);
      for (var i = 0; i < n; i++) names[i] = d[4 * i].toLowerCase();
      var w = waiting; waiting = [];
      for (var j = 0; j < w.length; j++) w[j]();
    };
    doc.head.appendChild(s);
  }
  function find(query, limit) {
    var q = query.trim().toLowerCase();
    if (!q || !names) return [];
    var starts = [], inside = [];
    for (var i = 0; i < names.length; i++) {
      var at = names[i].indexOf(q);
      if (at === 0) starts.push(i);
      else if (at > 0 && inside.length < limit) inside.push(i);
    }
    starts.sort(function (a, b) { return names[a].length - names[b].length || (names[a] < names[b] ? -1 : names[a] > names[b] ? 1 : a - b); });
    return starts.concat(inside).slice(0, limit);
  }
  function hitLink(i) {
    var x = window.QS_SEARCH, d = x.d, m = x.m[d[4 * i + 2]];
    var a = make('a', 'hit');
    a.href = m[1] + (d[4 * i + 3] >= 0 ? '#d' + d[4 * i + 3] : '');
    a.appendChild(make('span', 'n', d[4 * i]));
    a.appendChild(make('span', 'k', x.k[d[4 * i + 1]]));
    a.appendChild(make('span', 'm', m[0]));
    return a;
  }
  function show(box, hits) {
    box.textContent = '';
    for (var i = 0; i < hits.length; i++) box.appendChild(hitLink(hits[i]));
    if (!hits.length) box.appendChild(make('div', 'hit note', 'No declaration of that name'));
  }
  function setupSearch() {
    var input = doc.getElementById('q'), box = doc.getElementById('results');
    if (!input || !box) return;
    var page = doc.getElementById('found');
    function update() {
      var q = input.value;
      withIndex(function () {
        if (input.value !== q) return;
        var target = page || box;
        if (!q.trim()) { box.classList.remove('open'); if (page) page.textContent = ''; return; }
        show(target, find(q, page ? 500 : 30));
        if (!page) box.classList.add('open');
      });
    }
    input.addEventListener('input', update);
    input.addEventListener('focus', function () { withIndex(function () {}); if (input.value) update(); });
    input.addEventListener('keydown', function (e) {
      if (e.key === 'Enter') {
        var first = (page || box).querySelector('a.hit');
        if (first) location.href = first.href;
      } else if (e.key === 'Escape') {
        box.classList.remove('open');
      }
    });
    doc.addEventListener('click', function (e) {
      if (!box.contains(e.target) && e.target !== input) box.classList.remove('open');
    });
    if (page) {
      var m = /[?&]q=([^&]*)/.exec(location.search);
      if (m) { input.value = decodeURIComponent(m[1].replace(/\+/g, ' ')); update(); }
      input.focus();
    }
  }
  // A line inside the collapsed form header opens it.
  function openTarget() {
    var id = decodeURIComponent(location.hash.slice(1));
    var t = id && doc.getElementById(id);
    for (var e = t; e; e = e.parentElement) if (e.tagName === 'DETAILS') e.open = true;
    if (t && t.scrollIntoView) t.scrollIntoView({block: 'center'});
  }
  // A click on a line's number goes to the line (the numbers are anchors without an href).
  function setupLines() {
    doc.addEventListener('click', function (e) {
      var a = e.target;
      if (a.tagName === 'A' && a.id && !a.hasAttribute('href') && a.parentElement &&
          a.parentElement.classList.contains('src')) location.hash = a.id;
    });
  }
  function start() {
    fillSide();
    setupSearch();
    setupLines();
    openTarget();
    window.addEventListener('hashchange', openTarget);
  }
  if (doc.readyState === 'loading') doc.addEventListener('DOMContentLoaded', start);
  else start();
})();
)js";
}

}  // namespace qs
