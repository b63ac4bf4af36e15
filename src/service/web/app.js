'use strict';
// The sign page: every piece of data comes from the API with the token; nothing from it is ever
// put into the page as markup, only as text.
(function () {
  const $ = (id) => document.getElementById(id);
  const kKey = 'lumivo-token';
  let token = sessionStorage.getItem(kKey) || '';
  let signs = [];
  let groups = [];
  let previewSeq = 0;
  let previewTimer = 0;
  let previewUrl = '';
  const pictureUrls = new Map();

  class Unauthorised extends Error {}

  async function api(method, path, body) {
    const init = { method, headers: { Authorization: 'Bearer ' + token }, cache: 'no-store',
      credentials: 'omit' };
    if (body !== undefined) {
      init.headers['Content-Type'] = 'application/json';
      init.body = JSON.stringify(body);
    }
    const reply = await fetch(path, init);
    if (reply.status === 401) {
      logOut('The token was not accepted. Log in again.');
      throw new Unauthorised();
    }
    return reply;
  }

  function el(tag, text, cls) {
    const e = document.createElement(tag);
    if (text !== undefined) e.textContent = text;
    if (cls) e.className = cls;
    return e;
  }

  function logOut(message) {
    token = '';
    sessionStorage.removeItem(kKey);
    $('app').hidden = true;
    $('logout').hidden = true;
    $('login').hidden = false;
    $('login-error').textContent = message || '';
    $('token').value = '';
    $('token').focus();
  }

  async function logIn(event) {
    event.preventDefault();
    token = $('token').value.trim();
    $('login-error').textContent = '';
    try {
      await start();
      sessionStorage.setItem(kKey, token);
    } catch (e) {
      if (!(e instanceof Unauthorised)) $('login-error').textContent = 'lumivod did not answer: ' + e.message;
    }
  }

  async function start() {
    const reply = await api('GET', '/api/signs');
    if (!reply.ok) throw new Error('status ' + reply.status);
    const list = await reply.json();
    signs = list.signs;
    groups = list.groups;
    $('login').hidden = true;
    $('app').hidden = false;
    $('logout').hidden = false;
    fillTargets();
    showSigns();
    await fillTags();
    $('line').focus();
    schedulePreview();
  }

  function fillTargets() {
    const target = $('target');
    const kept = target.value;
    target.replaceChildren();
    const signGroup = el('optgroup');
    signGroup.label = 'Signs';
    for (const s of signs) {
      const o = el('option', s.name);
      o.value = 'sign:' + s.name;
      signGroup.append(o);
    }
    target.append(signGroup);
    if (groups.length) {
      const groupGroup = el('optgroup');
      groupGroup.label = 'Groups';
      for (const g of groups) {
        const o = el('option', 'Group ' + g);
        o.value = 'group:' + g;
        groupGroup.append(o);
      }
      target.append(groupGroup);
    }
    if (kept) target.value = kept;
    if (!target.value && target.options.length) target.selectedIndex = 0;
    const page = $('page');
    if (!page.options.length) {
      for (let c = 65; c <= 90; ++c) page.append(el('option', String.fromCharCode(c)));
    }
  }

  async function fillTags() {
    const box = $('tags');
    if (box.childElementCount) return;
    const reply = await api('GET', '/api/tags');
    if (!reply.ok) return;
    for (const group of (await reply.json()).groups) {
      const details = el('details');
      details.append(el('summary', group.name + ' tags'));
      const buttons = el('div', undefined, 'buttons');
      for (const tag of group.tags) {
        const b = el('button', tag);
        b.type = 'button';
        b.setAttribute('aria-label', 'Insert ' + tag);
        b.addEventListener('click', () => insertTag(tag));
        buttons.append(b);
      }
      details.append(buttons);
      box.append(details);
    }
  }

  // Puts the tag where the cursor is, replacing a selection, and keeps the cursor after it.
  function insertTag(tag) {
    const line = $('line');
    const from = line.selectionStart;
    const to = line.selectionEnd;
    line.setRangeText(tag, from, to, 'end');
    line.focus();
    schedulePreview();
  }

  function chosen() {
    const value = $('target').value;
    const colon = value.indexOf(':');
    const kind = value.slice(0, colon);
    const name = value.slice(colon + 1);
    const members = kind === 'group' ? signs.filter((s) => s.groups.includes(name)) : signs.filter((s) => s.name === name);
    return { kind, name, members };
  }

  function schedulePreview() {
    clearTimeout(previewTimer);
    previewTimer = setTimeout(preview, 300);
  }

  async function preview() {
    const seq = ++previewSeq;
    const target = chosen();
    const text = $('line').value;
    const sign = target.members.length ? target.members[0].name : undefined;
    try {
      const reply = await api('POST', '/api/preview', { text, sign });
      if (seq !== previewSeq) return;
      const answer = await reply.json();
      if (!reply.ok) { $('problem').textContent = answer.error || ''; return; }
      const count = $('count');
      count.textContent = 'Length ' + answer.length + ' of ' + answer.maxLength;
      count.className = answer.fits ? '' : 'over';
      $('problem').textContent = answer.problem ? answer.problem.message : '';
      if (answer.problem || sign === undefined) return;
      const gif = await api('POST', '/api/preview.gif', { text, sign });
      if (seq !== previewSeq || !gif.ok) return;
      const url = URL.createObjectURL(await gif.blob());
      if (previewUrl) URL.revokeObjectURL(previewUrl);
      previewUrl = url;
      $('preview').src = url;
      $('preview').alt = 'Preview of the line on ' + sign;
      $('preview-caption').textContent = 'Preview on ' + sign + ' (' + target.members[0].width + ' columns)';
    } catch (e) {
      if (!(e instanceof Unauthorised)) $('problem').textContent = 'No preview: ' + e.message;
    }
  }

  function showSigns() {
    const list = $('signs');
    list.replaceChildren();
    for (const s of signs) {
      const item = el('li');
      item.append(el('h3', s.name));
      const img = el('img');
      img.alt = 'What ' + s.name + ' shows';
      img.dataset.sign = s.name;
      item.append(img);
      const last = s.state && s.state.last;
      item.append(el('p', last ? 'Last: ' + last.command + ': ' + (last.text || (last.ok ? 'sent' : 'failed')) : 'Nothing sent from here yet', 'note'));
      list.append(item);
      loadPicture(s.name, img);
    }
  }

  async function loadPicture(name, img) {
    const reply = await api('GET', '/api/signs/' + encodeURIComponent(name) + '/picture.gif');
    if (!reply.ok) { img.hidden = true; return; }
    const url = URL.createObjectURL(await reply.blob());
    if (pictureUrls.has(name)) URL.revokeObjectURL(pictureUrls.get(name));
    pictureUrls.set(name, url);
    img.src = url;
    img.hidden = false;
  }

  async function refreshSigns() {
    const reply = await api('GET', '/api/signs');
    if (!reply.ok) return;
    const list = await reply.json();
    signs = list.signs;
    groups = list.groups;
    fillTargets();
    showSigns();
  }

  function showOutcome(lines, failed, elapsed) {
    const box = $('outcome');
    const list = el('ul');
    for (const [text, bad] of lines) list.append(el('li', text, bad ? 'failed' : ''));
    box.replaceChildren(list);
    box.dataset.elapsedMs = String(Math.round(elapsed.total));
    box.dataset.lineMs = String(elapsed.line);
    box.dataset.failed = failed ? 'true' : 'false';
  }

  async function send(event) {
    event.preventDefault();
    const target = chosen();
    const button = $('send-button');
    if (!target.name || button.disabled) return;
    const started = performance.now();
    button.disabled = true;
    $('outcome').replaceChildren(el('p', 'Sending page ' + $('page').value + ' to ' + target.name + '…'));
    try {
      const path = '/api/' + (target.kind === 'group' ? 'groups/' : 'signs/') + encodeURIComponent(target.name) +
        '/pages/' + $('page').value;
      const reply = await api('POST', path, { text: $('line').value });
      const answer = await reply.json();
      const lines = [];
      let lineMs = 0;
      if (answer.outcomes) {
        lines.push([answer.summary, !answer.ok]);
        for (const o of answer.outcomes) {
          lineMs = Math.max(lineMs, o.milliseconds || 0);
          const said = o.text || (o.ok ? 'sent' : 'not sent');
          const kind = o.kind === 'none' ? '' : ' (' + o.kind + ')';
          lines.push([o.sign + ': ' + said + kind + (o.details && !o.ok ? ': ' + o.details : ''), !o.ok]);
        }
      } else {
        lines.push(['Not sent: ' + (answer.error || 'status ' + reply.status), true]);
      }
      showOutcome(lines, !reply.ok, { total: performance.now() - started, line: lineMs });
      if (answer.outcomes) await refreshSigns();
    } catch (e) {
      if (!(e instanceof Unauthorised)) showOutcome([['Not sent: ' + e.message, true]], true, { total: performance.now() - started, line: 0 });
    } finally {
      button.disabled = false;
    }
  }

  document.addEventListener('DOMContentLoaded', () => {
    $('login').addEventListener('submit', logIn);
    $('send').addEventListener('submit', send);
    $('logout').addEventListener('click', () => logOut(''));
    $('refresh').addEventListener('click', () => refreshSigns().catch(() => {}));
    $('line').addEventListener('input', schedulePreview);
    $('target').addEventListener('change', schedulePreview);
    // A line is one line: Enter sends it.
    $('line').addEventListener('keydown', (e) => {
      if (e.key === 'Enter' && !e.shiftKey) {
        e.preventDefault();
        $('send').requestSubmit();
      }
    });
    if (token) start().catch(() => logOut(''));
    else $('token').focus();
  });
})();
