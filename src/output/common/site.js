(function () {
  'use strict';
  var doc = document;
  function make(tag, cls, text) {
    var e = doc.createElement(tag);
    if (cls) e.className = cls;
    if (text != null) e.textContent = text;
    return e;
  }
  // The side panel: on a module page its members (the links of its members' table, the private
  // ones marked), then the modules grouped by kind, the current one marked.
  var kinds = [['Form', 'Forms'], ['Module', 'Modules'], ['Class', 'Classes'],
    ['User control', 'User controls'], ['Property page', 'Property pages'],
    ['User document', 'User documents'], ['Designer', 'Designers']];
  function fillSide() {
    var side = doc.getElementById('side');
    var list = window.QS_MODULES;
    if (!side || !list) return;
    var current = doc.body.getAttribute('data-module');
    var members = doc.querySelectorAll('table.members a.member');
    if (members.length) {
      side.appendChild(make('h2', null, 'On this page'));
      var mine = make('ul', 'members');
      for (var m = 0; m < members.length; m++) {
        var priv = members[m].closest && members[m].closest('details.private');
        var item = make('li');
        var link = make('a', priv ? 'priv' : null, members[m].textContent);
        link.href = members[m].getAttribute('href');
        item.appendChild(link);
        mine.appendChild(item);
      }
      side.appendChild(mine);
    }
    for (var k = 0; k < kinds.length; k++) {
      var ul = null;
      for (var i = 0; i < list.length; i++) {
        if (list[i][2] !== kinds[k][0]) continue;
        if (!ul) {
          side.appendChild(make('h2', null, kinds[k][1]));
          ul = make('ul');
          side.appendChild(ul);
        }
        var li = make('li');
        var a = make('a', String(i) === current ? 'cur' : null, list[i][0]);
        a.href = list[i][1];
        a.title = list[i][2] + ' ' + list[i][0];
        li.appendChild(a);
        ul.appendChild(li);
      }
    }
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
    a.href = m[1] + (d[4 * i + 3] ? '#' + d[4 * i + 3] : '');
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
