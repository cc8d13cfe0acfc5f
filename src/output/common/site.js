(function () {
  'use strict';
  var doc = document;
  function make(tag, cls, text) {
    var e = doc.createElement(tag);
    if (cls) e.className = cls;
    if (text != null) e.textContent = text;
    return e;
  }
  // The top bar's height in the CSS variable --bar: the anchors' margin and the side panel's
  // place follow it (the bar wraps to two or three rows in a narrow window).
  function measureBar() {
    var bar = doc.querySelector('header.bar');
    if (bar) doc.documentElement.style.setProperty('--bar', bar.offsetHeight + 'px');
  }
  // Scrolls the side panel alone so that the element is in its middle (scrollIntoView would
  // scroll the page too, and a page is to open at its top).
  function centreInSide(side, e) {
    var s = side.getBoundingClientRect(), r = e.getBoundingClientRect();
    side.scrollTop += r.top - s.top - (side.clientHeight - r.height) / 2;
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
    if (cur) centreInSide(side, cur);
  }
  // Search: the index is a script of its own, loaded on first use (it works from file://).
  // names: the entries' names in lower case; text: all of them, each after a line end, and
  // starts: where each begins there (one search of the text finds the names holding a query);
  // modules: the modules' labels in lower case.
  var names = null, text = '', starts = null, modules = null, loading = false, waiting = [];
  function withIndex(done) {
    if (names) { done(); return; }
    waiting.push(done);
    if (loading) return;
    loading = true;
    var s = doc.createElement('script');
    s.src = 'search-index.js';
    s.onload = function () {
      var x = window.QS_SEARCH, d = x.d, n = d.length / 4;
      names = new Array(n);
      starts = new Int32Array(n + 1);
      for (var i = 0, at = 1; i < n; i++) {
        names[i] = d[4 * i].toLowerCase();
        starts[i] = at;
        at += names[i].length + 1;
      }
      starts[n] = at;
      text = '\n' + names.join('\n') + '\n';
      modules = new Array(x.m.length);
      for (var m = 0; m < x.m.length; m++) modules[m] = x.m[m][0].toLowerCase();
      var w = waiting; waiting = [];
      for (var j = 0; j < w.length; j++) w[j]();
    };
    doc.head.appendChild(s);
  }
  // The modules a qualifier names: those whose label, or a part of it after a dot (an estate's
  // "Project.Module"), starts with it. Null when none does.
  function modulesNamed(q) {
    var ok = new Array(modules.length), any = false;
    for (var m = 0; m < modules.length; m++) {
      ok[m] = modules[m].indexOf(q) === 0 || modules[m].indexOf('.' + q) >= 0;
      any = any || ok[m];
    }
    return any ? ok : null;
  }
  // The first limit of the entries, shortest name first (then by name): when there are more, those
  // longer than the limit-th shortest are left out before sorting.
  function shortestFirst(list, limit) {
    if (list.length > limit) {
      var count = [], seen = 0, cut = 0;
      for (var i = 0; i < list.length; i++) {
        var n = names[list[i]].length;
        count[n] = (count[n] || 0) + 1;
      }
      while (seen < limit) seen += count[cut++] || 0;
      list = list.filter(function (e) { return names[e].length < cut; });
    }
    list.sort(function (a, b) { return names[a].length - names[b].length || (names[a] < names[b] ? -1 : names[a] > names[b] ? 1 : a - b); });
    return list.length > limit ? list.slice(0, limit) : list;
  }
  // The entries whose name starts with the query (shortest first), then those holding it: at most
  // limit of them, and how many there are. "Module.Name" looks in the modules named so alone.
  function find(query, limit) {
    var q = query.trim().toLowerCase(), found = {hits: [], total: 0};
    if (!q || !names || q.indexOf('\n') >= 0) return found;
    var only = null, dot = q.lastIndexOf('.');
    if (dot > 0) {
      only = modulesNamed(q.slice(0, dot));
      if (!only) return found;
      q = q.slice(dot + 1);
    }
    var d = window.QS_SEARCH.d, first = [], inside = [], more = 0, i = 0;
    if (!q) {
      for (; i < names.length; i++) if (only[d[4 * i + 2]]) first.push(i);
    }
    // Each place the text holds the query, at most once per name (the next search starts at the
    // next name).
    for (var at = q ? text.indexOf(q, 1) : -1; at >= 0; at = text.indexOf(q, starts[i + 1])) {
      while (starts[i + 1] <= at) i++;
      if (only && !only[d[4 * i + 2]]) continue;
      if (at === starts[i]) first.push(i);
      else if (inside.length < limit) inside.push(i);
      else more++;
    }
    found.total = first.length + inside.length + more;
    first = shortestFirst(first, limit);
    found.hits = first.length < limit ? first.concat(inside.slice(0, limit - first.length)) : first;
    return found;
  }
  function hitLink(i) {
    var x = window.QS_SEARCH, d = x.d, m = x.m[d[4 * i + 2]], anchor = d[4 * i + 3];
    var a = make('a', 'hit');
    a.href = m[1] + (anchor ? '#' + anchor : '');
    a.appendChild(make('span', 'n', d[4 * i]));
    a.appendChild(make('span', 'k', x.k[d[4 * i + 1]]));
    a.appendChild(make('span', 'm', m[0]));
    return a;
  }
  // The results, then (in the drop-down) a link to the page of them all, or on that page their
  // count first. A long list goes to the page in parts, the first at once and the others one after
  // another while the page stays responsive; a new search stops them.
  var rest = 0;
  function show(box, found, query, allPage, onPage) {
    clearTimeout(rest);
    var list = doc.createDocumentFragment(), n = found.total, hits = found.hits;
    var shown = onPage ? Math.min(hits.length, 400) : hits.length;
    if (onPage && n) list.appendChild(make('p', 'meta', n === 1 ? '1 result' : n + ' results'));
    for (var i = 0; i < shown; i++) list.appendChild(hitLink(hits[i]));
    if (!n) {
      list.appendChild(make('div', 'hit note', 'No declaration of that name'));
    } else if (!onPage && allPage) {
      var all = make('a', 'hit all', n === 1 ? '1 result' : 'all ' + n + ' results');
      all.href = allPage + '?q=' + encodeURIComponent(query.trim());
      list.appendChild(all);
    } else if (!onPage && hits.length < n) {
      list.appendChild(make('div', 'hit note', 'the first ' + hits.length + ' of ' + n));
    }
    box.textContent = '';
    box.appendChild(list);
    function more() {
      var part = doc.createDocumentFragment(), end = Math.min(hits.length, shown + 2000);
      for (; shown < end; shown++) part.appendChild(hitLink(hits[shown]));
      box.appendChild(part);
      if (shown < hits.length) rest = setTimeout(more, 0);
    }
    if (shown < hits.length) rest = setTimeout(more, 0);
  }
  function setupSearch() {
    var input = doc.getElementById('q'), box = doc.getElementById('results');
    if (!input || !box) return;
    var page = doc.getElementById('found');
    // The page listing every result: the search form's own (none on an estate page).
    var allPage = input.form ? input.form.getAttribute('action') : null;
    var sel = -1;  // the result chosen by the arrow keys, -1 for none
    function hits() { return (page || box).querySelectorAll('a.hit'); }
    function close() { box.classList.remove('open'); choose(-1); }
    // Marks the n-th result (-1: none) and keeps it in view.
    function choose(n) {
      var list = hits();
      if (list[sel]) list[sel].classList.remove('sel');
      sel = Math.max(-1, Math.min(n, list.length - 1));
      var e = list[sel];
      if (!e) return;
      e.classList.add('sel');
      if (page) {
        e.scrollIntoView({block: 'nearest'});
      } else if (e.offsetTop < box.scrollTop) {
        box.scrollTop = e.offsetTop;
      } else if (e.offsetTop + e.offsetHeight > box.scrollTop + box.clientHeight) {
        box.scrollTop = e.offsetTop + e.offsetHeight - box.clientHeight;
      }
    }
    function update() {
      var q = input.value;
      withIndex(function () {
        if (input.value !== q) return;
        sel = -1;
        if (!q.trim()) { box.classList.remove('open'); if (page) page.textContent = ''; return; }
        show(page || box, find(q, page ? Infinity : 30), q, allPage, !!page);
        if (!page) { box.scrollTop = 0; box.classList.add('open'); }
      });
    }
    input.addEventListener('input', update);
    input.addEventListener('focus', function () { withIndex(function () {}); if (input.value) update(); });
    input.addEventListener('keydown', function (e) {
      if (e.key === 'ArrowDown' || e.key === 'ArrowUp') {
        e.preventDefault();
        if (!page && !box.classList.contains('open')) { if (input.value.trim()) update(); return; }
        choose(sel + (e.key === 'ArrowDown' ? 1 : -1));
      } else if (e.key === 'Enter') {
        // The chosen result, else the first; the form is not sent (the script answers).
        e.preventDefault();
        var target = hits()[sel >= 0 ? sel : 0];
        if (target) location.href = target.href;
      } else if (e.key === 'Escape' && box.classList.contains('open')) {
        // The first Escape closes the results; the next one clears the box as usual.
        e.preventDefault();
        close();
      }
    });
    doc.addEventListener('click', function (e) {
      if (!box.contains(e.target) && e.target !== input) close();
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
    // A source line in the middle of the window, with the lines before it; anything else at
    // the top, below the bar (its scroll margin).
    if (t && t.scrollIntoView)
      t.scrollIntoView({block: t.parentElement && t.parentElement.classList.contains('src') ? 'center' : 'start'});
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
    measureBar();
    window.addEventListener('resize', measureBar);
    fillSide();
    setupSearch();
    setupLines();
    openTarget();
    window.addEventListener('hashchange', openTarget);
  }
  if (doc.readyState === 'loading') doc.addEventListener('DOMContentLoaded', start);
  else start();
})();
