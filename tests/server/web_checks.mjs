// Drives headless Chromium through the web pages for test_web_browser and prints what it
// found as one JSON object: axe-core's violations, html-validate's errors on the HTML as
// served, and the layout faults a phone shows (times on two lines, chart labels cut without
// "…", rows made tall by another row's long name, small touch targets, sideways scrolling) and
// the keyboard's way through the page (skip links, tab stops per table row and in the charts).
//
// node web_checks.mjs CONFIG.json, where CONFIG names: browser, base, account (as typed,
// blanks and all), password, pages [{name, path}], widths, shots (folder), sortPage (a page
// name whose table is then sorted by clicking a heading).
import { createRequire } from 'node:module';
import { readFileSync } from 'node:fs';

const require = createRequire(process.env.CORVANTA_NODE_MODULES + '/');
const puppeteer = require('puppeteer-core');
const { HtmlValidate } = require('html-validate');
const axeSource = readFileSync(require.resolve('axe-core/axe.min.js'), 'utf8');

const config = JSON.parse(readFileSync(process.argv[2], 'utf8'));
const validator = new HtmlValidate({ extends: ['html-validate:recommended'] });

// Runs in the page: what a reader on this screen would find wrong.
function layoutFaults() {
  // Lines of text in an element: glyph boxes of one line overlap in height (fonts differ
  // in their ascent), those of the next line start below.
  const lines = (el) => {
    const rects = [];
    const walker = document.createTreeWalker(el, NodeFilter.SHOW_TEXT);
    for (let node = walker.nextNode(); node; node = walker.nextNode()) {
      const range = document.createRange();
      range.selectNodeContents(node);
      for (const r of range.getClientRects()) if (r.width > 0 && r.height > 0) rects.push(r);
    }
    rects.sort((a, b) => a.top - b.top);
    let count = 0, bottom = -Infinity;
    for (const r of rects) {
      if (r.top >= bottom - 2) { count += 1; bottom = r.bottom; } else bottom = Math.max(bottom, r.bottom);
    }
    return count;
  };
  const text = (el) => el.textContent.trim();
  const out = { timeWraps: [], cutLabels: [], elided: [], tallRows: [], splitRows: [], smallTargets: [] };
  for (const td of document.querySelectorAll('td.t')) if (lines(td) > 1) out.timeWraps.push(text(td));
  for (const label of document.querySelectorAll('.bars .l')) {
    if (label.scrollWidth <= label.clientWidth) continue;
    const style = getComputedStyle(label);
    if (style.textOverflow !== 'ellipsis' || label.getAttribute('title') !== text(label))
      out.cutLabels.push(text(label));
    else out.elided.push(text(label));
  }
  // A row of a short name stays one line however long another name is.
  for (const row of document.querySelectorAll('#students tbody tr')) {
    const name = text(row.cells[0]);
    if ([...name].length <= 4 && row.cells[0] && lines(row.cells[0]) > 1) out.tallRows.push(name);
  }
  // On a phone the history's rows are cards of two lines.
  for (const id of window.innerWidth <= 480 ? ['latest', 'recent'] : ['latest', 'recent', 'history']) {
    for (const row of document.querySelectorAll('#' + id + ' tbody tr'))
      for (const cell of row.cells) if (lines(cell) > 1) { out.splitRows.push(id + ': ' + text(row)); break; }
  }
  if (window.innerWidth <= 480) {
    const targets = 'th a, header a, header button, input, button, .pages a';
    for (const el of document.querySelectorAll(targets)) {
      const box = el.getBoundingClientRect();
      if (box.height > 0 && box.height < 44) out.smallTargets.push(text(el) || el.name || el.tagName);
    }
  }
  // The day chart's text as it renders (the drawing scales to the width): 12 pixels or more,
  // and no two of its labels on each other.
  out.smallChartText = [];
  out.chartTextOverlaps = [];
  for (const svg of document.querySelectorAll('svg.line')) {
    const scale = svg.getBoundingClientRect().width / svg.viewBox.baseVal.width;
    const texts = [...svg.querySelectorAll('text')];
    for (const t of texts) {
      const px = parseFloat(getComputedStyle(t).fontSize) * scale;
      if (px < 12) out.smallChartText.push(`${text(t)}: ${px.toFixed(1)} px`);
    }
    const boxes = texts.map((t) => [text(t), t.getBoundingClientRect()]);
    for (let i = 0; i < boxes.length; ++i)
      for (let j = i + 1; j < boxes.length; ++j) {
        const [a, p] = boxes[i], [b, q] = boxes[j];
        if (p.left < q.right - 0.5 && q.left < p.right - 0.5 && p.top < q.bottom - 0.5 && q.top < p.bottom - 0.5)
          out.chartTextOverlaps.push(`${a} / ${b}`);
      }
  }
  out.sideways = document.documentElement.scrollWidth - window.innerWidth;
  // What a parents' meeting is about stands on the screen: no cell of the topics or the history
  // past its edge, no topic name cut.
  out.pastEdge = [];
  for (const cell of document.querySelectorAll('#topics th, #topics td, #history td'))
    if (cell.getBoundingClientRect().right > window.innerWidth + 0.5) out.pastEdge.push(text(cell));
  for (const clip of document.querySelectorAll('#topics .clip'))
    if (clip.scrollWidth > clip.clientWidth) out.pastEdge.push('cut: ' + text(clip));
  // The keyboard's way through a student table: skip links first, one stop per row, none in the charts.
  const stops = [...document.querySelectorAll('a[href], button, input, [tabindex]')]
    .filter((el) => el.tabIndex >= 0 && !el.disabled);
  out.skipLinks = stops.slice(0, 2).filter((el) => el.classList.contains('skip'))
    .map((el) => ({ text: text(el), target: !!document.querySelector(el.getAttribute('href')) }));
  out.chartStops = stops.filter((el) => el.closest('.bars')).length;
  out.rowStops = [...document.querySelectorAll('#students tbody tr')]
    .map((row) => [...row.querySelectorAll('a[href]')].filter((el) => el.tabIndex >= 0).length);
  return out;
}

const browser = await puppeteer.launch({
  executablePath: config.browser,
  headless: true,
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
         '--disable-component-update', '--disable-sync', '--hide-scrollbars', '--font-render-hinting=none'],
});
const result = { pages: [] };
try {
  const page = await browser.newPage();
  const consoleErrors = [];
  page.on('console', (m) => { if (m.type() === 'error') consoleErrors.push(m.text()); });
  page.on('pageerror', (e) => consoleErrors.push(String(e)));

  const check = async (target, width) => {
    await page.setViewport({ width, height: 800, deviceScaleFactor: 1, isMobile: width <= 480, hasTouch: width <= 480 });
    const response = await page.goto(config.base + target.path, { waitUntil: 'load' });
    const html = await response.text();
    const report = await validator.validateString(html);
    const htmlErrors = report.results.flatMap((r) => r.messages.map((m) => `${m.ruleId} ${m.line}:${m.column} ${m.message}`));
    await page.evaluate(axeSource);
    const axe = await page.evaluate(async () => {
      const r = await window.axe.run(document, { resultTypes: ['violations'] });
      return r.violations.map((v) => ({ id: v.id, nodes: v.nodes.map((n) => n.target.join(' ')).slice(0, 5) }));
    });
    const faults = await page.evaluate(layoutFaults);
    await page.screenshot({ path: `${config.shots}/${target.name}-${width}.png` });
    await page.screenshot({ path: `${config.shots}/${target.name}-${width}-full.png`, fullPage: true });
    result.pages.push({ name: target.name, width, status: response.status(),
                        encoding: response.headers()['content-encoding'] || '', axe, htmlErrors, ...faults });
  };
  const signIn = async (password) => {
    await page.goto(config.base + '/score', { waitUntil: 'load' });
    await page.type('#username', config.account);
    await page.type('#password', password);
    await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), page.click('button[type=submit]')]);
  };

  const signInPage = config.pages.filter((p) => p.name === 'signin');
  for (const width of config.widths) for (const target of signInPage) await check(target, width);
  // A wrong password: the account stays, the password box has the focus, the reason is announced.
  await signIn(config.password + 'x');
  result.refusedSignIn = await page.evaluate(() => ({
    alert: (document.querySelector('[role=alert]') || { textContent: '' }).textContent.trim(),
    account: document.getElementById('username').value,
    focus: document.activeElement ? document.activeElement.id : '',
  }));
  // A page opened before signing in comes back after it (the form carries it); then signed out.
  if (config.returnPage) {
    await page.goto(config.base + config.returnPage, { waitUntil: 'load' });
    await page.type('#username', config.account);
    await page.type('#password', config.password);
    await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), page.click('button[type=submit]')]);
    result.returnedTo = new URL(page.url()).pathname + new URL(page.url()).search;
    await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), page.click('header form button')]);
  }
  // Signing in through the server's own form, as a person on a phone does.
  await signIn(config.password);
  result.signedIn = (await page.content()).includes('退出');
  for (const width of config.widths)
    for (const target of config.pages) if (target.name !== 'signin') await check(target, width);

  // The charts follow the table when it is sorted in the page.
  const sortTarget = config.pages.find((p) => p.name === config.sortPage);
  if (sortTarget) {
    await page.goto(config.base + sortTarget.path, { waitUntil: 'load' });
    result.sorts = [];
    for (const key of ['mean', 'mean', 'count', 'name']) {
      await page.click(`th a[data-key=${key}]`);
      result.sorts.push(await page.evaluate(() => {
        const table = [...document.querySelectorAll('#students tbody tr')].map((r) => r.getAttribute('data-i'));
        const charts = [...document.querySelectorAll('.bars')].map((c) => [...c.children].map((r) => r.getAttribute('data-i')));
        return { table, charts, address: location.search };
      }));
    }
  }
  result.consoleErrors = consoleErrors;
} finally {
  await browser.close();
}
process.stdout.write(JSON.stringify(result) + '\n');
