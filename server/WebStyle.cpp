#include "WebStyle.h"

#include <QCryptographicHash>

namespace corvanta::server::web_style {

namespace {

// Phones from 360 pixels up: tables scroll sideways inside their box, charts take the width.
const char kStyle[] = R"css(
*{box-sizing:border-box}
body{font-family:sans-serif;line-height:1.45;max-width:64em;margin:0 auto;padding:.5em 1em 2em;color:#222;background:#fff}
h1{font-size:1.45em;margin:.6em 0 .3em}h2{font-size:1.15em;margin:1.6em 0 .5em}
a{color:#1a56a0}
table{border-collapse:collapse;width:100%}
td,th{border:1px solid #ccc;padding:.3em .5em;text-align:left;vertical-align:top}
th{background:#f3f3f3;white-space:nowrap}
th a{color:inherit;text-decoration:none;display:block}
th a:hover,th a:focus{text-decoration:underline}
th[aria-sort=ascending] a::after{content:" \25B2"}
th[aria-sort=descending] a::after{content:" \25BC"}
.n{text-align:right;font-variant-numeric:tabular-nums;white-space:nowrap}
td.t{white-space:nowrap}
.note{color:#666}
.scroll{overflow-x:auto;-webkit-overflow-scrolling:touch}
.bar{display:flex;flex-wrap:wrap;align-items:center;gap:.4em 1.2em;padding:.5em 0;border-bottom:1px solid #ddd}
.bar form{margin:0 0 0 auto}
button{font:inherit;padding:.25em .9em}
svg.chart{display:block;width:100%;font-size:12px}
svg.chart text{fill:#222}
.charts{display:grid;grid-template-columns:repeat(auto-fit,minmax(18em,1fr));gap:0 2em}
@media (max-width:480px){body{padding:.4em .5em 1.5em;font-size:15px}td,th{padding:.25em .35em}.y{display:none}th,td.t{white-space:normal}}
)css";

const char kScript[] = R"js(
(function () {
  'use strict';
  var collator = new Intl.Collator('zh-CN');
  function value(row, col, numeric) {
    var cell = row.cells[col], v = cell.getAttribute('data-v');
    if (v === null) v = cell.textContent;
    return numeric ? (v === '' ? null : Number(v)) : v;
  }
  function sortParam(link) {
    var m = /[?&]sort=(-?)/.exec(link.getAttribute('href'));
    return m ? m[1] : '';
  }
  document.addEventListener('click', function (e) {
    var a = e.target.closest ? e.target.closest('th a[data-key]') : null;
    if (!a) return;
    e.preventDefault();
    var th = a.parentNode, head = th.parentNode, body = th.closest('table').tBodies[0];
    var col = Array.prototype.indexOf.call(head.children, th), numeric = a.hasAttribute('data-num');
    var down = sortParam(a) === '-', target = a.getAttribute('href');
    var rows = Array.prototype.slice.call(body.rows);
    rows.sort(function (x, y) {
      var p = value(x, col, numeric), q = value(y, col, numeric);
      if (p === null || q === null) return p === q ? 0 : (p === null ? 1 : -1);
      var c = numeric ? p - q : collator.compare(p, q);
      return down ? -c : c;
    });
    rows.forEach(function (r) { body.appendChild(r); });
    Array.prototype.forEach.call(head.querySelectorAll('a[data-key]'), function (link) {
      var next = link === a ? (down ? '' : '-') : link.getAttribute('data-first');
      link.parentNode.removeAttribute('aria-sort');
      link.setAttribute('href', link.getAttribute('href').replace(/([?&]sort=)-?[^&]*/,
        '$1' + next + link.getAttribute('data-key')));
    });
    th.setAttribute('aria-sort', down ? 'descending' : 'ascending');
    if (window.history && history.replaceState) history.replaceState(null, '', target);
  });
})();
)js";

QByteArray hashSource(const QString &text)
{
    return "'sha256-" + QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256).toBase64() + "'";
}

} // namespace

const QString &styleSheet()
{
    static const QString style = QString::fromUtf8(kStyle);
    return style;
}

const QString &sortScript()
{
    static const QString script = QString::fromUtf8(kScript);
    return script;
}

const QByteArray &contentSecurityPolicy()
{
    static const QByteArray policy = "default-src 'none'; style-src " + hashSource(styleSheet()) +
                                     "; script-src " + hashSource(sortScript()) +
                                     "; img-src 'self'; form-action 'self'; base-uri 'none'; "
                                     "frame-ancestors 'none'";
    return policy;
}

} // namespace corvanta::server::web_style
