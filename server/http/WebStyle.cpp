#include "WebStyle.h"

#include <QCryptographicHash>

#include <cmath>

namespace corvanta::server::web_style {

namespace {

// Phones from 320 pixels up: tables scroll sideways inside their box, times never wrap, long
// names wrap in their own cell, touch targets are 44 pixels high; charts take the width.
const char kStyle[] = R"css(
*{box-sizing:border-box}
html{-webkit-text-size-adjust:100%;text-size-adjust:100%}
body{font-family:sans-serif;line-height:1.45;max-width:64em;margin:0 auto;padding:.5em 1em 2em;color:#222;background:#fff}
h1{font-size:1.45em;margin:.6em 0 .3em;overflow-wrap:anywhere}h2{font-size:1.15em;margin:1.6em 0 .5em}
a{color:#1a56a0}
table{border-collapse:collapse;width:100%}
td,th{border:1px solid #ccc;padding:.3em .5em;text-align:left;vertical-align:top}
th{background:#f3f3f3;white-space:nowrap}
th a{color:inherit;text-decoration:none;display:block}
th a:hover,th a:focus{text-decoration:underline}
th a[data-key]::after{content:" \21C5"/"";color:#595959;font-size:.85em}
th[aria-sort=ascending] a::after{content:" \25B2"/"";color:inherit}
th[aria-sort=descending] a::after{content:" \25BC"/"";color:inherit}
.n{text-align:right;font-variant-numeric:tabular-nums;white-space:nowrap}
.t{white-space:nowrap;font-variant-numeric:tabular-nums}
td.name{min-width:5em;overflow-wrap:anywhere}
.clip{display:block;max-width:11em;white-space:nowrap;overflow:hidden;text-overflow:ellipsis}
.note{color:#595959}
table.figures{width:auto;min-width:min(100%,24em)}table.figures th{width:8em}
.error{color:#b00020;font-weight:bold}
.scroll{overflow-x:auto;-webkit-overflow-scrolling:touch}
.scroll:focus-visible{outline:2px solid #1a56a0}
.bar{display:flex;flex-wrap:wrap;align-items:center;gap:.4em 1.2em;padding:.5em 0;border-bottom:1px solid #ddd}
.bar nav{display:flex;flex-wrap:wrap;gap:.4em 1.2em;align-items:center}
.bar form{margin:0 0 0 auto}
button{font:inherit;padding:.25em .9em}
label{display:block;margin-bottom:.2em}
input{font:inherit;padding:.3em .4em;width:100%;max-width:20em}
.charts{display:grid;grid-template-columns:repeat(auto-fit,minmax(18em,1fr));gap:0 2em}
.bars{display:grid;grid-template-columns:fit-content(40%) minmax(3em,1fr) auto;gap:0 .5em;align-items:center;font-size:.85em}
.bars>div{display:contents}
.bars .l{white-space:nowrap;overflow:hidden;text-overflow:ellipsis;line-height:26px}
.bars svg{display:block;width:100%;height:14px}
.bars .v{text-align:right;font-variant-numeric:tabular-nums;white-space:nowrap}
svg.line{display:block;width:100%;max-width:44em;height:auto;font-size:13px}
svg.line text{fill:#222}
.legend{display:flex;flex-wrap:wrap;gap:0 1.5em;margin:.3em 0;font-size:.9em}
.legend i{display:inline-block;width:1.5em;height:0;border-top:3px solid #3f74b5;vertical-align:middle;margin-right:.3em}
.legend i.m{border-top:2px dashed #c0392b}
.skip{position:absolute;left:-10000px}.skip:focus{position:static}
.sr{position:absolute;width:1px;height:1px;overflow:hidden;clip-path:inset(50%);white-space:nowrap}
.pages{display:flex;flex-wrap:wrap;gap:.4em 1.2em;margin:.6em 0}
.print-head{display:none}
@media (min-width:60em){.clip{max-width:20em}}
@media (max-width:480px){body{padding:.4em .5em 1.5em;font-size:15px}td,th{padding:.25em .35em}.y{display:none}
th a,.bar a,.bar button,.pages a,button,input{min-height:44px}
th a,.bar a,.bar button,.pages a{display:flex;align-items:center}.bars .l{min-height:0;line-height:32px}.w{display:none}
#topics .clip,#history .clip{white-space:normal;max-width:none;overflow:visible}
#history thead{position:absolute;width:1px;height:1px;overflow:hidden;clip-path:inset(50%)}
#history tr{display:grid;grid-template-columns:auto auto 1fr;gap:0 .6em;border-bottom:1px solid #ccc;padding:.2em 0}
#history td{border:0;padding:0}#history td:nth-child(4){grid-column:1/-1;color:#333}}
@media print{@page{size:A4 portrait;margin:12mm}
body{max-width:none;padding:0;font-size:10pt;color:#000;background:#fff}
.bar,nav,form,button,.pages,.noprint{display:none!important}
.print-head{display:block;font-size:9pt;border-bottom:1px solid #000;margin-bottom:.4em}
a{color:#000;text-decoration:none}.note{color:#000}
h1{margin:0 0 .2em}h2{margin:.8em 0 .3em;break-after:avoid}
td,th{border-color:#000;padding:0 .3em;line-height:1.25}th{background:#fff}
#history{font-size:8.5pt}
th a::after,th a[data-key]::after{content:none}
tr,svg,figure{break-inside:avoid}thead{display:table-header-group}
.scroll{overflow:visible}.clip{max-width:none;white-space:normal}
.y{display:inline}}
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
  // The charts list the students in the table's order.
  function followTable(rows) {
    Array.prototype.forEach.call(document.querySelectorAll('.bars'), function (chart) {
      var byIndex = {};
      Array.prototype.forEach.call(chart.children, function (r) { byIndex[r.getAttribute('data-i')] = r; });
      rows.forEach(function (r) {
        var bar = byIndex[r.getAttribute('data-i')];
        if (bar) chart.appendChild(bar);
      });
    });
  }
  document.addEventListener('click', function (e) {
    if (!e.target.closest) return;
    if (e.target.closest('a[data-print]')) {
      e.preventDefault();
      window.print();
      return;
    }
    var a = e.target.closest('th a[data-key]');
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
    followTable(rows);
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
    static const QString style =
        QString::fromUtf8(kStyle) +
        QStringLiteral("@media (max-width:480px){svg.line{font-size:%1px}}\n").arg(kPhoneChartText);
    return style;
}

const QString &pageScript()
{
    static const QString script = QString::fromUtf8(kScript);
    return script;
}

const QByteArray &favicon()
{
    // A 16 x 16 ICO drawn here: a blue disc with a white "C".
    static const QByteArray icon = [] {
        constexpr int size = 16;
        QByteArray out;
        auto u16 = [&out](int v) { out += char(v & 0xFF); out += char((v >> 8) & 0xFF); };
        auto u32 = [&](int v) { u16(v & 0xFFFF); u16((v >> 16) & 0xFFFF); };
        const int pixels = size * size * 4, mask = size * 4;
        u16(0); u16(1); u16(1);                                  // icon directory, one image
        out += char(size); out += char(size); out += '\0'; out += '\0';
        u16(1); u16(32); u32(40 + pixels + mask); u32(22);       // its entry
        u32(40); u32(size); u32(size * 2); u16(1); u16(32);      // bitmap header (image and mask)
        u32(0); u32(pixels + mask); u32(0); u32(0); u32(0); u32(0);
        for (int row = size - 1; row >= 0; --row) {              // bottom-up, BGRA
            for (int col = 0; col < size; ++col) {
                const double dx = col + 0.5 - size / 2.0, dy = row + 0.5 - size / 2.0;
                const double r = std::sqrt(dx * dx + dy * dy);
                const bool ring = r >= 3 && r <= 5.2 && !(dx > 1 && std::abs(dy) < dx);
                if (r > size / 2.0)
                    out += QByteArray(4, '\0');
                else if (ring)
                    out += QByteArray(4, '\xFF');
                else
                    out += QByteArray("\xB5\x74\x3F\xFF", 4);
            }
        }
        out += QByteArray(mask, '\0');
        return out;
    }();
    return icon;
}

const QByteArray &contentSecurityPolicy()
{
    static const QByteArray policy = "default-src 'none'; style-src " + hashSource(styleSheet()) +
                                     "; script-src " + hashSource(pageScript()) +
                                     "; img-src 'self'; connect-src 'self'; form-action 'self'; base-uri 'none'; "
                                     "frame-ancestors 'none'";
    return policy;
}

} // namespace corvanta::server::web_style
