// Quillmark phone capture: photographs answer sheets, keeps them in IndexedDB until the
// computer has them, and shows the marking result of each photo as a card.
'use strict';

(() => {
  const LONG_SIDE = 2400;         // a photo is shrunk until its long side is at most this
  const THUMB_SIDE = 200;
  const JPEG_QUALITY = 0.9;
  const POLL_MS = 300;            // while the computer is marking a photo
  const TICK_MS = 5000;           // connection probe and retry, also without `online` events
  const MAX_BACKOFF_MS = 30000;
  const BASE = location.pathname.replace(/[^/]*$/, '');  // "/<token>/": one queue per session
  const OLD_RECORD_MS = 14 * 24 * 3600 * 1000;

  const shoot = document.getElementById('shoot');
  const cardList = document.getElementById('cards');
  const statusLine = document.getElementById('status');
  const sessionLine = document.getElementById('session');

  // ---------------------------------------------------------------- storage
  // `records` is the truth while the page runs; IndexedDB keeps it across reloads.
  // A record: {id, base, created, type, bytes, thumb, upload: 'pending'|'sent'|'rejected',
  //            error, pollId, duplicate, card}
  const records = new Map();
  let storageBroken = false;

  function request(req) {
    return new Promise((resolve, reject) => {
      req.onsuccess = () => resolve(req.result);
      req.onerror = () => reject(req.error);
    });
  }

  async function openDatabase() {
    const req = indexedDB.open('quillmark-phone', 1);
    req.onupgradeneeded = () => req.result.createObjectStore('photos', { keyPath: 'id' });
    return request(req);
  }

  // A browser that never answers (some private modes) counts as having no storage.
  const database = Promise.race([openDatabase(), new Promise((resolve) => setTimeout(resolve, 5000, null))])
    .catch(() => null);

  async function withStore(mode, work) {
    const db = await database;
    if (!db) throw new Error('IndexedDB 不可用');
    return new Promise((resolve, reject) => {
      const tx = db.transaction('photos', mode);
      const req = work(tx.objectStore('photos'));
      tx.oncomplete = () => resolve(req.result);
      tx.onerror = tx.onabort = () => reject(tx.error || new Error('事务中止'));
    });
  }

  async function save(rec) {
    records.set(rec.id, rec);
    try {
      await withStore('readwrite', (s) => s.put(rec));
    } catch (e) {
      storageBroken = true;
    }
  }

  async function forget(rec) {
    records.delete(rec.id);
    try {
      await withStore('readwrite', (s) => s.delete(rec.id));
    } catch (e) { /* nothing kept, nothing to delete */ }
    removeCard(rec.id);      // gone from the screen once gone from the phone
    updateStatus();
  }

  async function loadRecords() {
    let all = [];
    try {
      all = await withStore('readonly', (s) => s.getAll());
    } catch (e) {
      storageBroken = true;
    }
    const now = Date.now();
    const leftovers = [];
    for (const rec of all) {
      if (rec.base === BASE) records.set(rec.id, rec);
      else if (now - rec.created > OLD_RECORD_MS) withStore('readwrite', (s) => s.delete(rec.id)).catch(() => {});
      else if (rec.upload === 'pending') leftovers.push(rec);
    }
    return leftovers;
  }

  // Photos an earlier address (a closed session) never received: the teacher decides whether
  // they belong to this one.
  function offerLeftovers(list) {
    if (!list.length) return;
    const box = el('div', 'leftovers');
    box.append(el('p', 'message',
      '上次连接中还有 ' + list.length + ' 张照片没有上传。如果是同一场考试，可以上传到这次阅卷。'));
    const row = el('div', 'actions');
    const take = el('button', 'leftovers-take', '上传到这次阅卷');
    const drop = el('button', 'leftovers-drop', '放弃这些照片');
    take.type = drop.type = 'button';
    take.addEventListener('click', async () => {
      box.remove();
      for (const rec of list) {
        rec.base = BASE;
        await save(rec);
        render(rec);
      }
      updateStatus();
      pump();
    });
    drop.addEventListener('click', async () => {
      box.remove();
      for (const rec of list) await withStore('readwrite', (s) => s.delete(rec.id)).catch(() => {});
    });
    row.append(take, drop);
    box.append(row);
    cardList.before(box);
  }

  // ---------------------------------------------------------------- photos
  function newId() {
    const bytes = crypto.getRandomValues(new Uint8Array(16));
    return Array.from(bytes, (b) => b.toString(16).padStart(2, '0')).join('');
  }

  async function decode(file) {
    try {
      return await createImageBitmap(file, { imageOrientation: 'from-image' });
    } catch (e) {
      // Browsers without createImageBitmap for files: an <img> turns by EXIF itself.
      const url = URL.createObjectURL(file);
      try {
        const img = new Image();
        img.src = url;
        await img.decode();
        return img;
      } finally {
        URL.revokeObjectURL(url);
      }
    }
  }

  function encode(image, width, height, quality) {
    const canvas = document.createElement('canvas');
    canvas.width = width;
    canvas.height = height;
    canvas.getContext('2d').drawImage(image, 0, 0, width, height);
    return new Promise((resolve, reject) => canvas.toBlob(
      (blob) => (blob ? resolve(blob) : reject(new Error('无法生成 JPEG'))), 'image/jpeg', quality));
  }

  function fit(width, height, side) {
    const scale = Math.min(1, side / Math.max(width, height));
    return [Math.max(1, Math.round(width * scale)), Math.max(1, Math.round(height * scale))];
  }

  // The photo shrunk on the phone (long side at most LONG_SIDE, never enlarged), or the
  // original file when that fails.
  async function shrink(file) {
    let image = null;
    try {
      image = await decode(file);
      const width = image.naturalWidth || image.width;
      const height = image.naturalHeight || image.height;
      const blob = await encode(image, ...fit(width, height, LONG_SIDE), JPEG_QUALITY);
      let thumb = null;
      try { thumb = await encode(image, ...fit(width, height, THUMB_SIDE), 0.7); } catch (e) { /* no preview */ }
      return { blob, thumb };
    } catch (e) {
      return { blob: file, thumb: null };
    } finally {
      if (image && image.close) image.close();
    }
  }

  let retakeOf = null;   // the failed record a 重拍 replaces once a new photo comes
  let preparing = 0;     // photos being shrunk

  async function addFiles(files) {
    const replaced = retakeOf;
    retakeOf = null;
    if (!files.length) return;
    if (replaced && records.has(replaced)) await forget(records.get(replaced));
    for (const file of files) {
      preparing++;
      updateStatus();
      try {
        const { blob, thumb } = await shrink(file);
        const rec = {
          id: newId(), base: BASE, created: Date.now(),
          type: blob.type || file.type || 'application/octet-stream',
          bytes: await blob.arrayBuffer(), thumb: thumb ? await thumb.arrayBuffer() : null,
          upload: 'pending', error: '', pollId: '', duplicate: false, card: null,
        };
        await save(rec);        // kept on the phone before it leaves
        render(rec);
      } catch (e) {
        showNotice('这张照片无法读取：' + (e && e.message ? e.message : e));
      } finally {
        preparing--;
      }
      pump();
    }
    updateStatus();
  }

  shoot.addEventListener('change', () => {
    const files = Array.from(shoot.files || []);
    shoot.value = '';                      // the same picture may be chosen again
    addFiles(files);
  });
  shoot.addEventListener('cancel', () => { retakeOf = null; });

  // ---------------------------------------------------------------- network
  let offline = !navigator.onLine;
  let failStreak = 0;
  let holdUntil = 0;        // no upload before this time (backoff, Retry-After)
  let sessionOver = false;
  let uploading = '';       // the id on its way

  function backoff() {
    const ms = Math.min(MAX_BACKOFF_MS, 1000 * 2 ** Math.min(failStreak, 5));
    return ms * (0.75 + Math.random() * 0.5);
  }

  function wentOffline() {
    offline = true;
    failStreak++;
    holdUntil = Date.now() + backoff();
    updateStatus();
  }

  function cameOnline() {
    if (offline || failStreak) {
      offline = false;
      failStreak = 0;
      holdUntil = 0;
      updateStatus();
    }
  }

  async function errorText(response) {
    let text = '';
    try {
      text = await response.text();
      const json = JSON.parse(text);
      if (json && typeof json.error === 'string') return json.error;
    } catch (e) { /* plain text */ }
    text = text.trim().slice(0, 200);
    return text || '电脑拒绝了这张照片（' + response.status + '）';
  }

  // A request that hangs (a phone between networks) fails after a while, so no loop stalls;
  // the timer covers reading the reply too, and does nothing once it is read.
  function call(path, options, timeoutMs = 20000) {
    const abort = new AbortController();
    setTimeout(() => abort.abort(), timeoutMs);
    const defaults = { cache: 'no-store', credentials: 'same-origin', signal: abort.signal };
    return fetch(path, Object.assign(defaults, options));
  }

  // ---------------------------------------------------------------- uploads
  let pumping = false;
  let pumpAgain = false;
  let wakeTimer = 0;

  function pendingRecords() {
    return Array.from(records.values()).filter((r) => r.upload === 'pending')
      .sort((a, b) => a.created - b.created);
  }

  async function pump() {
    if (pumping) { pumpAgain = true; return; }
    pumping = true;
    try {
      do {
        pumpAgain = false;
        for (;;) {
          const next = pendingRecords()[0];
          if (!next || sessionOver || Date.now() < holdUntil) break;
          await upload(next);
        }
      } while (pumpAgain);
    } finally {
      pumping = false;
      clearTimeout(wakeTimer);
      if (pendingRecords().length && !sessionOver) {
        wakeTimer = setTimeout(pump, Math.max(200, holdUntil - Date.now()));
      }
      updateStatus();
    }
  }

  async function upload(rec) {
    uploading = rec.id;
    render(rec);
    let response;
    let reply = {};
    try {
      response = await call('photos/' + encodeURIComponent(rec.id), {
        method: 'POST', headers: { 'Content-Type': rec.type }, body: new Blob([rec.bytes], { type: rec.type }),
      }, 180000);
      if (response.status === 200) reply = await response.json().catch(() => ({}));
    } catch (e) {
      uploading = '';
      render(rec);
      wentOffline();
      return;
    }
    uploading = '';
    cameOnline();
    if (!records.has(rec.id)) return;             // removed meanwhile
    const status = response.status;
    if (status === 200) {
      rec.upload = 'sent';
      rec.pollId = typeof reply.same_as === 'string' && reply.same_as ? reply.same_as : rec.id;
      rec.duplicate = rec.pollId !== rec.id;
      rec.bytes = null;                             // the computer has it now
      rec.card = null;
      await save(rec);
      render(rec);
      poll();
    } else if (status === 403) {                    // the address is dead, not the photo
      endSession(await errorText(response));
    } else if (status === 408 || status === 429 || status >= 500) {
      failStreak++;
      const after = Number(response.headers.get('Retry-After'));
      holdUntil = Date.now() + (after > 0 ? after * 1000 : backoff());
    } else {
      rec.upload = 'rejected';
      rec.error = await errorText(response);
      rec.bytes = null;
      await save(rec);
      render(rec);
    }
  }

  // ---------------------------------------------------------------- cards from the computer
  let polling = false;
  const stale = new Set();   // sent records whose card is asked again once (after a reload)

  function needsPoll(rec) {
    return rec.upload === 'sent' && (stale.has(rec.id) || !rec.card || rec.card.state === 'waiting');
  }

  const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

  async function poll() {
    if (polling) return;
    polling = true;
    try {
      for (;;) {
        const due = Array.from(records.values()).filter(needsPoll);
        if (!due.length || sessionOver) break;
        if (Date.now() >= holdUntil) {   // cleared at once when the network comes back
          for (const pollId of new Set(due.map((r) => r.pollId))) {
            if (!(await pollOne(pollId))) break;
          }
        }
        await sleep(POLL_MS);
      }
    } finally {
      polling = false;
    }
  }

  // Asks for one card; false when the network failed.
  async function pollOne(pollId) {
    let response;
    let card;
    try {
      response = await call('photos/' + encodeURIComponent(pollId));
      if (response.status === 200) card = await response.json();
    } catch (e) {
      wentOffline();
      return false;
    }
    cameOnline();
    if (response.status === 403) {
      endSession(await errorText(response));
      return true;
    }
    if (response.status === 404) {
      card = { state: 'failed', message: await errorText(response), retake: true };
    } else if (response.status !== 200 || !card || typeof card.state !== 'string') {
      failStreak++;
      holdUntil = Date.now() + backoff();
      return false;
    }
    await setCard(pollId, card);
    return true;
  }

  async function setCard(pollId, card) {
    for (const rec of records.values()) {
      if (rec.pollId !== pollId) continue;
      stale.delete(rec.id);
      if (JSON.stringify(rec.card) === JSON.stringify(card)) continue;
      const marked = card.state === 'marked' && (!rec.card || rec.card.state !== 'marked');
      rec.card = card;
      await save(rec);
      render(rec);
      if (marked) refreshSession();
    }
    updateStatus();
  }

  async function sendNumber(rec, number, box) {
    const error = box.querySelector('.number-error');
    const ok = box.querySelector('.number-ok');
    ok.disabled = true;
    error.textContent = '';
    try {
      const response = await call('photos/' + encodeURIComponent(rec.pollId) + '/number', {
        method: 'POST', headers: { 'Content-Type': 'text/plain; charset=utf-8' }, body: number,
      });
      if (response.status !== 200) {
        error.textContent = await errorText(response);
        ok.disabled = false;
        return;
      }
      cameOnline();
    } catch (e) {
      error.textContent = '网络不通，请稍后再点“确定”';
      ok.disabled = false;
      return;
    }
    await setCard(rec.pollId, { state: 'waiting' });
    poll();
  }

  // Shows the roster's name for a number being typed; a number the roster lacks cannot be sent
  // (the computer would only ask again).
  async function lookUpName(number, nameLine, ok) {
    const asked = String(Date.now()) + Math.random();
    nameLine.dataset.asked = asked;
    nameLine.textContent = '';
    ok.disabled = !/^[0-9]{4}$/.test(number);
    if (ok.disabled) return;
    let text = '';
    let missing = false;
    try {
      const response = await call('roster/' + number);
      if (response.status === 200) {
        const entry = await response.json();
        text = entry.name ? '名册：' + entry.name : '名册中有这个考号';
      } else {
        missing = response.status === 404;
        text = await errorText(response);
      }
    } catch (e) { /* unknown: the computer decides */ }
    if (nameLine.dataset.asked !== asked) return;
    nameLine.textContent = text;
    nameLine.classList.toggle('missing', missing);
    if (missing) ok.disabled = true;
  }

  // ---------------------------------------------------------------- session and status
  async function refreshSession() {
    try {
      const response = await call('status');
      if (response.status === 403) { endSession(await errorText(response)); return true; }
      if (response.status !== 200) {
        sessionLine.textContent = '已连接电脑';
        return true;
      }
      const s = await response.json();
      const parts = [];
      if (s.paper) parts.push('试卷：' + s.paper);
      if (s.roster) parts.push('名册：' + s.roster);
      if (typeof s.marked === 'number') parts.push('已阅 ' + s.marked + ' 张');
      sessionLine.textContent = parts.join(' · ') || '已连接电脑';
      return true;
    } catch (e) {
      return false;
    }
  }

  function endSession(message) {
    sessionOver = true;
    sessionLine.textContent = message || '这个地址已失效，请重新扫描电脑上的二维码';
    updateStatus();
  }

  async function tick() {
    if (sessionOver) return;
    const reached = await refreshSession();
    if (reached) {
      cameOnline();
      pump();
      poll();
    } else if (!offline) {
      wentOffline();
    }
  }

  function updateStatus() {
    const pending = pendingRecords().length;
    const marking = Array.from(records.values()).filter(needsPoll).length;
    const parts = [];
    if (sessionOver && pending) parts.push('有 ' + pending + ' 张照片未能上传');
    else if (offline) parts.push('离线，恢复网络后自动上传');
    if (pending && !sessionOver) parts.push('待上传 ' + pending + ' 张');
    if (preparing) parts.push('正在处理照片');
    if (marking && !offline) parts.push('阅卷中 ' + marking + ' 张');
    if (storageBroken) parts.push('手机无法保存照片，请勿刷新页面');
    if (!parts.length) parts.push(records.size ? '全部已上传' : '点“拍照”开始');
    statusLine.textContent = parts.join(' · ');
    statusLine.classList.toggle('offline', offline);
    for (const rec of records.values()) if (rec.upload === 'pending') render(rec);
  }

  let noticeTimer = 0;
  function showNotice(text) {
    statusLine.textContent = text;
    clearTimeout(noticeTimer);
    noticeTimer = setTimeout(updateStatus, 4000);
  }

  // ---------------------------------------------------------------- rendering
  const cardElements = new Map();   // id -> {el, shown (what it shows), thumbUrl}

  function el(tag, className, text) {
    const e = document.createElement(tag);
    if (className) e.className = className;
    if (text !== undefined) e.textContent = text;
    return e;
  }

  function removeCard(id) {
    const entry = cardElements.get(id);
    if (!entry) return;
    if (entry.thumbUrl) URL.revokeObjectURL(entry.thumbUrl);
    entry.el.remove();
    cardElements.delete(id);
  }

  function stateOf(rec) {
    if (rec.upload !== 'sent') return rec.upload;
    return rec.card && rec.card.state ? rec.card.state : 'waiting';
  }

  function clock(ms) {
    const d = new Date(ms);
    return [d.getHours(), d.getMinutes(), d.getSeconds()].map((n) => String(n).padStart(2, '0')).join(':');
  }

  function render(rec) {
    let entry = cardElements.get(rec.id);
    if (!entry) {
      const card = el('article', 'card');
      card.dataset.id = rec.id;
      entry = { el: card, shown: '', thumbUrl: '' };
      if (rec.thumb) entry.thumbUrl = URL.createObjectURL(new Blob([rec.thumb], { type: 'image/jpeg' }));
      cardElements.set(rec.id, entry);
      // newest on top
      const later = Array.from(cardList.children).find((c) => {
        const other = records.get(c.dataset.id);
        return other && other.created < rec.created;
      });
      cardList.insertBefore(card, later || null);
    }
    const state = stateOf(rec);
    const shown = JSON.stringify([state, rec.card, rec.error, rec.duplicate, uploading === rec.id,
      state === 'pending' && offline]);
    if (entry.shown === shown) return;   // an untouched card keeps what is typed into it
    entry.shown = shown;
    const card = entry.el;
    card.dataset.state = state;
    card.classList.toggle('duplicate', rec.duplicate);
    card.replaceChildren();

    const head = el('div', 'card-head');
    if (entry.thumbUrl) {
      const img = el('img', 'thumb');
      img.src = entry.thumbUrl;
      img.alt = '照片';
      head.append(img);
    }
    const who = el('div', 'who');
    head.append(who);
    card.append(head);
    const c = rec.card || {};
    if (c.number) who.append(el('span', 'number', c.number));
    if (c.name) who.append(el('span', 'name', c.name));
    who.append(el('span', 'taken', clock(rec.created)));
    if (state === 'marked') {
      const score = String(c.score ?? '').trim();
      const full = String(c.full ?? '').trim();
      head.append(el('span', 'score', full ? score + ' / ' + full : score));
    }
    if (rec.duplicate) card.append(el('p', 'note', '这张照片之前已上传过，未重复记录'));

    if (state === 'pending') {
      const waitingFor = offline ? '等待网络，恢复后自动上传' : '待上传';
      card.append(el('p', 'message', uploading === rec.id ? '正在上传……' : waitingFor));
    } else if (state === 'rejected') {
      card.append(el('p', 'message', rec.error));
      card.append(actions(rec, true));
    } else if (state === 'waiting') {
      card.append(el('p', 'message', '电脑正在阅卷……'));
    } else if (state === 'marked') {
      card.append(answers(c.answers || []));
      const doubts = Array.isArray(c.doubts) ? c.doubts : [];
      if (doubts.length) {
        const list = el('ul', 'doubts');
        for (const d of doubts) list.append(el('li', '', d));
        card.append(list);
      }
    } else if (state === 'failed') {
      card.append(el('p', 'message', c.message || '这张照片无法阅卷'));
      card.append(actions(rec, c.retake !== false));
    } else if (state === 'number') {
      card.append(numberPrompt(rec, c));
    } else {
      card.append(el('p', 'message', c.message || '状态未知：' + state));
    }
  }

  function answers(list) {
    const box = el('ol', 'answers');
    for (const a of list) {
      const given = a.given || '－';
      const wrong = a.right === false;
      const item = el('li', 'answer' + (wrong ? ' wrong' : '') + (a.doubt ? ' doubt' : ''));
      item.append(el('span', 'q', String(a.q)), ' ' + given + (wrong ? '→' + (a.key || '－') : ''));
      item.title = '第 ' + a.q + ' 题：答 ' + given + (wrong ? '，答案 ' + (a.key || '－') : '，正确') +
        (a.doubt ? '，存疑' : '');
      box.append(item);
    }
    return box;
  }

  function actions(rec, retake) {
    const row = el('div', 'actions');
    if (retake) {
      const again = el('button', 'retake', '重拍');
      again.type = 'button';
      again.addEventListener('click', () => {
        retakeOf = rec.id;
        shoot.click();
      });
      row.append(again);
    }
    const remove = el('button', 'remove', '移除');
    remove.type = 'button';
    remove.addEventListener('click', () => forget(rec));
    row.append(remove);
    return row;
  }

  function numberPrompt(rec, c) {
    const box = el('div', 'number-prompt');
    const why = (c.message || '考号没有读清').replace(/[!！。.，,\s]+$/, '');
    const read = typeof c.read === 'string' && c.read.trim() ? '（读到“' + c.read + '”）' : '';
    box.append(el('p', 'message', why + read + '，请输入 4 位考号：'));
    const row = el('div', 'number-row');
    const input = el('input', 'number-input');
    Object.assign(input, { type: 'text', inputMode: 'numeric', pattern: '[0-9]*', maxLength: 4, autocomplete: 'off' });
    input.setAttribute('aria-label', '考号');
    input.placeholder = '0000';
    const ok = el('button', 'number-ok', '确定');
    ok.type = 'button';
    ok.disabled = true;
    row.append(input, ok);
    const nameLine = el('p', 'number-name');
    nameLine.setAttribute('aria-live', 'polite');
    box.append(row, nameLine, el('p', 'number-error'));
    input.addEventListener('input', () => {
      const digits = input.value.replace(/[^0-9]/g, '').slice(0, 4);
      if (digits !== input.value) input.value = digits;
      lookUpName(digits, nameLine, ok);
    });
    const submit = () => { if (!ok.disabled) sendNumber(rec, input.value, box); };
    ok.addEventListener('click', submit);
    input.addEventListener('keydown', (e) => { if (e.key === 'Enter') submit(); });
    return box;
  }

  // ---------------------------------------------------------------- start
  window.addEventListener('online', () => { cameOnline(); pump(); poll(); });
  window.addEventListener('offline', () => { offline = true; updateStatus(); });
  document.addEventListener('visibilitychange', () => { if (!document.hidden) tick(); });

  async function start() {
    offerLeftovers(await loadRecords());
    for (const rec of Array.from(records.values()).sort((a, b) => a.created - b.created)) {
      if (rec.upload === 'sent') stale.add(rec.id);
      render(rec);
    }
    updateStatus();
    if (navigator.storage && navigator.storage.persist) navigator.storage.persist().catch(() => {});
    setInterval(tick, TICK_MS);
    await tick();
  }

  start();
})();
