#pragma once

// The page's style sheet and script, written into it whole: the page needs nothing from
// elsewhere. Both sit in CDATA sections behind comments, so that the page parses as XML too.

namespace plumora::simtool {

inline constexpr const char* kPageStyle = R"css(
:root { color-scheme: light; --plum: #8e24aa; --passed: #ef6c00; --before: #e53935; }
* { box-sizing: border-box; }
html, body { margin: 0; height: 100%; }
body { font: 14px/1.4 "Helvetica Neue", Helvetica, Arial, sans-serif; color: #1d1d1f;
       background: #f5f5f7; display: flex; flex-direction: column; }
header { display: flex; flex-wrap: wrap; align-items: baseline; column-gap: 1.5em;
         padding: 0.6em 1em; background: #ffffff; border-bottom: 1px solid #d2d2d7; }
h1 { font-size: 1.15em; margin: 0; font-weight: 600; overflow-wrap: anywhere; }
h2 { font-size: 1em; margin: 1em 0 0.4em; }
.summary { margin: 0; font-weight: 600; }
.summary.met { color: #1b7f37; }
.summary.failed { color: #c62828; }
/* Two panes side by side, each scrolling up and down only; on a narrow window, one column. */
main { flex: 1; min-height: 0; display: grid;
       grid-template-columns: minmax(0, 1fr) minmax(18em, 31em); }
#stage { min-width: 0; overflow-y: auto; overflow-x: hidden; padding: 0.8em 1em; }
#controls { display: flex; align-items: center; gap: 0.5em; flex-wrap: wrap; }
#controls button { font: inherit; padding: 0.25em 0.8em; border: 1px solid #b0b0b8;
                   border-radius: 6px; background: #ffffff; cursor: pointer; }
#controls button:hover { background: #ececf0; }
#slider { flex: 1; min-width: 6em; }
#position { font-variant-numeric: tabular-nums; white-space: nowrap; }
#caption { margin: 0.6em 0; padding: 0.4em 0.7em; background: #fff8d6;
           border: 1px solid #e8d68a; border-radius: 4px; }
#told { margin: 0; font-size: 15px; font-weight: 600; overflow-wrap: anywhere; }
#printed { margin: 0.2em 0 0; color: #5a5a5f; font-size: 12px; white-space: pre-wrap;
           overflow-wrap: anywhere; font-family: Menlo, Consolas, "DejaVu Sans Mono", monospace; }
#scenes svg { display: none; width: 100%; height: auto; border-radius: 6px; }
#scenes svg.current { display: block; }
.legend { color: #555; font-size: 12.5px; display: flex; flex-wrap: wrap; gap: 0.2em 1.2em; }
.legend span { overflow-wrap: anywhere; }
.swatch { display: inline-block; width: 0.9em; height: 0.9em; border-radius: 50%;
          vertical-align: -0.1em; margin-right: 0.3em; }
#timeline { min-width: 0; overflow-y: auto; overflow-x: hidden; padding: 0.6em 1em;
            background: #ffffff; border-left: 1px solid #d2d2d7; }
#intro { font-size: 12.5px; }
#intro pre, #lines, #expectations { font-family: Menlo, Consolas, "DejaVu Sans Mono", monospace;
                                    font-size: 12px; }
#intro pre { margin: 0.4em 0; white-space: pre-wrap; overflow-wrap: anywhere; }
#lines, #expectations { list-style: none; margin: 0; padding: 0; }
/* A long line wraps under its text, its time and tag standing out on the left. */
#lines li { white-space: pre-wrap; overflow-wrap: anywhere; padding: 1px 0.4em 1px 19.4ch;
            text-indent: -19ch; cursor: pointer; border-radius: 3px; }
#lines li:hover { background: #eef1f6; }
#lines li[data-tag="log"] { color: #555; }
#lines li[data-tag="user"], #lines li[data-tag="world"] { font-weight: 600; }
#lines li[data-tag="frame"] { color: #1a55a8; }
#lines li.current { background: #ffe98a; color: #1d1d1f; outline: 1px solid #d9b700; }
#expectations li { white-space: pre-wrap; overflow-wrap: anywhere; padding: 1px 0.4em 1px 10.4ch;
                   text-indent: -10ch; }
#expectations li.met { color: #1b7f37; }
#expectations li.failed { color: #c62828; font-weight: 600; }
/* A comparison's differences: above the run, scrolling on their own when there are many. */
#differences { flex: none; max-height: 45vh; overflow-y: auto; padding: 0.4em 1em 0.6em;
               background: #ffffff; border-bottom: 1px solid #d2d2d7; }
#differences h2 { margin: 0 0 0.2em; overflow-wrap: anywhere; }
#difference-count { margin: 0 0 0.4em; font-weight: 600; overflow-wrap: anywhere; }
#differences.met #difference-count { color: #1b7f37; }
#differences.failed #difference-count { color: #c62828; }
#difference-table { width: 100%; border-collapse: collapse; font-size: 12px; }
#difference-table th { text-align: left; font-weight: 600; border-bottom: 1px solid #b0b0b8; }
#difference-table th, #difference-table td { padding: 2px 0.6em 2px 0; vertical-align: top; }
#difference-table td { border-bottom: 1px solid #ececf0; overflow-wrap: anywhere; }
#difference-table td.kind, #difference-table td.event { white-space: nowrap; }
#difference-table td.event { font-variant-numeric: tabular-nums; }
#difference-table td.request, #difference-table td.value {
  font-family: Menlo, Consolas, "DejaVu Sans Mono", monospace; white-space: pre-wrap; }
@media (max-width: 60em) {
  html, body { height: auto; }
  body { display: block; }
  main { display: block; }
  #stage, #timeline, #differences { overflow: visible; }
  #differences { max-height: none; }
  #timeline { border-left: 0; border-top: 1px solid #d2d2d7; }
}
)css";

inline constexpr const char* kPageScript = R"js(
(function () {
  'use strict';
  var scenes = document.querySelectorAll('#scenes svg');
  var lines = document.querySelectorAll('#lines li');
  var slider = document.getElementById('slider');
  var position = document.getElementById('position');
  var told = document.getElementById('told');
  var printed = document.getElementById('printed');
  var count = scenes.length;
  var current = 1;

  // The timeline's own pane follows the current line; the page itself never jumps (in one
  // column the pane does not scroll, and the drawing stays where the reader left it).
  var pane = document.getElementById('timeline');
  function scrollToLine(line) {
    if (pane.scrollHeight <= pane.clientHeight) return;
    var top = line.offsetTop - pane.offsetTop;
    if (top < pane.scrollTop) pane.scrollTop = top - 8;
    else if (top + line.offsetHeight > pane.scrollTop + pane.clientHeight)
      pane.scrollTop = top + line.offsetHeight - pane.clientHeight + 8;
  }

  function show(step) {
    step = Math.max(1, Math.min(count, Math.floor(step) || 1));
    scenes[current - 1].classList.remove('current');
    lines[current - 1].classList.remove('current');
    current = step;
    scenes[step - 1].classList.add('current');
    lines[step - 1].classList.add('current');
    slider.value = String(step);
    position.textContent = 'step ' + step + ' of ' + count;
    told.textContent = lines[step - 1].dataset.caption;
    printed.textContent = lines[step - 1].textContent;
    scrollToLine(lines[step - 1]);
    var hash = '#step=' + step;
    if (location.hash !== hash) {
      try { history.replaceState(null, '', hash); } catch (e) { /* a page without history */ }
    }
  }

  function stepInHash() {
    var found = /^#step=([0-9]+)$/.exec(location.hash);
    return found ? parseInt(found[1], 10) : 1;
  }

  if (count === 0) return;
  document.getElementById('first').addEventListener('click', function () { show(1); });
  document.getElementById('previous').addEventListener('click', function () { show(current - 1); });
  document.getElementById('next').addEventListener('click', function () { show(current + 1); });
  document.getElementById('last').addEventListener('click', function () { show(count); });
  slider.addEventListener('input', function () { show(parseInt(slider.value, 10)); });
  Array.prototype.forEach.call(lines, function (line, i) {
    line.addEventListener('click', function () { show(i + 1); });
  });
  document.addEventListener('keydown', function (event) {
    // The slider moves itself with these keys when it has the focus.
    if (event.target === slider || event.altKey || event.ctrlKey || event.metaKey) return;
    var to = {ArrowLeft: current - 1, ArrowUp: current - 1, ArrowRight: current + 1,
              ArrowDown: current + 1, PageUp: current - 10, PageDown: current + 10,
              Home: 1, End: count}[event.key];
    if (to === undefined) return;
    event.preventDefault();
    show(to);
  });
  window.addEventListener('hashchange', function () { show(stepInHash()); });
  show(stepInHash());
})();
)js";

}  // namespace plumora::simtool
