// The grading page: a teacher gives the lab and the students' files (dropped on the page, or
// chosen with the file inputs, a whole folder too), and the core grades them one by one as
// `tamrel-batch --lab` does (batch/grade.h compiled to WebAssembly), in a worker (js/grade-worker.js),
// so that a long class shows its progress and the page stays responsive however long a
// student's program runs. The table, the summary, the CSV and the HTML report are the batch
// runner's.
//
// The files are graded in the order of their names (their paths in a chosen folder), as the
// batch runner takes a folder's files; a file's name in the reports is its name, or its path
// in the folder ("класс/Иванов.mem"), so that `tamrel-batch --lab task.lab --csv out.csv класс`
// writes the same bytes for the same folder.
import * as dialogs from './dialogs.js';
import { download, readFile, stem } from './files.js';

const $ = (id) => document.getElementById(id);

// The worker's Grader: each call a message, its answers in the order asked.
const worker = new Worker(new URL('./grade-worker.js', import.meta.url), { type: 'module' });
const waiting = [];
worker.onmessage = (e) => {
  const { resolve, reject } = waiting.shift();
  if ('error' in e.data) reject(new Error(e.data.error));
  else resolve(e.data.value);
};
const grader = new Proxy({}, {
  get: (_, op) => (...args) => new Promise((resolve, reject) => {
    waiting.push({ resolve, reject });
    worker.postMessage({ op, args });
  }),
});
let labName = 'class';
let works = []; // [{ path, file }] in the order they are graded
let generation = 0; // a newer grading makes an older one stop

// Code point order: the order of the names' UTF-8 bytes, in which the batch runner sorts.
function byName(a, b) {
  const x = [...a.path], y = [...b.path];
  for (let i = 0; i < Math.min(x.length, y.length); i++)
    if (x[i] !== y[i]) return x[i].codePointAt(0) - y[i].codePointAt(0);
  return x.length - y.length;
}

async function setLab(file) {
  const err = await grader.setLab(await readFile(file));
  if (err !== null) return dialogs.error(err);
  labName = stem(file.name);
  const { title, task } = await grader.labText();
  $('labTitle').textContent = title;
  $('labTask').textContent = task;
  $('lab').hidden = false;
  return grade();
}

// Files chosen or dropped: each as it is; a folder's: only its .mem and .hex files.
function setWorks(files, fromFolder) {
  works = [...files]
    .map((file) => ({ path: fromFolder && file.webkitRelativePath ? file.webkitRelativePath : file.name, file }))
    .filter((w) => !fromFolder || /\.(mem|hex)$/i.test(w.path))
    .sort(byName);
  return grade();
}

function cell(row, tag, text, cls) {
  const c = document.createElement(tag);
  c.textContent = text;
  if (cls) c.className = cls;
  row.append(c);
  return c;
}

function head(first) {
  const row = document.createElement('tr');
  for (const h of ['ученик', 'итог', 'окончание', 'строк', 'байтов программы', ...first.results.map((r) => r.text)])
    cell(row, 'th', h).scope = 'col';
  $('table').tHead.replaceChildren(row);
}

function addRow(r) {
  const row = document.createElement('tr');
  const name = cell(row, 'th', r.student);
  name.scope = 'row';
  name.title = r.path;
  cell(row, 'td', r.verdict, r.passed ? 'yes' : 'no');
  if (r.loaded) {
    cell(row, 'td', r.run);
    cell(row, 'td', String(r.lines));
    cell(row, 'td', String(r.programBytes));
    for (const e of r.results) cell(row, 'td', `${e.met ? '✓' : '✗'} ${e.found}`, e.met ? 'yes' : 'no');
  } else {
    cell(row, 'td', '', 'rest');
  }
  $('table').tBodies[0].append(row);
}

async function grade() {
  const mine = ++generation;
  if (!(await grader.labText()) || !works.length || mine !== generation) return;
  grader.clear();
  $('table').tHead.replaceChildren();
  $('table').tBodies[0].replaceChildren();
  $('result').hidden = true;
  $('progressBox').hidden = false;
  const progress = $('progress');
  progress.max = works.length;
  let headed = false;
  for (let i = 0; i < works.length; i++) {
    progress.value = i;
    $('progressText').textContent = `Проверено ${i} из ${works.length}`;
    const bytes = await readFile(works[i].file).catch(() => new Uint8Array(0));
    if (mine !== generation) return;
    const row = await grader.grade(works[i].path, bytes);
    if (mine !== generation) return;
    if (!headed && row.loaded) { head(row); headed = true; }
    addRow(row);
  }
  // A file that did not load leaves the columns of the run empty, however many there are.
  const columns = $('table').tHead.rows[0] ? $('table').tHead.rows[0].cells.length : 5;
  for (const c of $('table').querySelectorAll('td.rest')) c.colSpan = columns - 2;
  $('progressBox').hidden = true;
  $('summary').textContent = await grader.summary();
  $('result').hidden = false;
  window.graded = true; // for the tests
}

function files(list) {
  const all = [...list];
  const lab = all.find((f) => /\.lab$/i.test(f.name));
  const rest = all.filter((f) => f !== lab);
  if (rest.length) works = rest.map((file) => ({ path: file.name, file })).sort(byName);
  return lab ? setLab(lab) : grade();
}

async function main() {
  await grader.labText(); // the worker's core is compiled and ready
  $('labInput').addEventListener('change', (e) => e.target.files[0] && setLab(e.target.files[0]));
  $('filesInput').addEventListener('change', (e) => setWorks(e.target.files, false));
  $('folderInput').addEventListener('change', (e) => setWorks(e.target.files, true));
  document.addEventListener('dragover', (e) => { e.preventDefault(); document.body.classList.add('dragging'); });
  document.addEventListener('dragleave', () => document.body.classList.remove('dragging'));
  document.addEventListener('drop', (e) => {
    e.preventDefault();
    document.body.classList.remove('dragging');
    files(e.dataTransfer.files);
  });
  $('csvButton').addEventListener('click', async () => download(await grader.csv(), `${labName}.csv`, 'text/csv;charset=utf-8'));
  $('htmlButton').addEventListener('click', async () => download(await grader.html(), `${labName}.html`, 'text/html;charset=utf-8'));
  if ('serviceWorker' in navigator) navigator.serviceWorker.register('sw.js', { updateViaCache: 'none' }).catch(() => {});
  window.grading = { files, ready: true }; // for the tests
}

main().catch((e) => dialogs.error(`Страница не запустилась: ${e && e.message ? e.message : e}`));
