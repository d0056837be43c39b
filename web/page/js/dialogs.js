// Modal boxes as the window has them: an error with one OK, and a question with Да and Нет
// (Да is the default, Escape answers Нет). Never the browser's own confirm() or alert().
const box = () => document.getElementById('message');

function show(title, text, buttons, escapeValue) {
  const dlg = box();
  dlg.querySelector('#messageTitle').textContent = title;
  dlg.querySelector('#messageText').textContent = text;
  const row = dlg.querySelector('.buttons');
  row.replaceChildren();
  const back = document.activeElement;
  return new Promise((resolve) => {
    const done = (value) => {
      dlg.removeEventListener('cancel', cancel);
      dlg.close();
      if (back && back.focus) back.focus();
      resolve(value);
    };
    const cancel = (e) => {
      e.preventDefault();
      done(escapeValue);
    };
    dlg.addEventListener('cancel', cancel);
    for (const [caption, value] of buttons) {
      const b = document.createElement('button');
      b.type = 'button';
      b.textContent = caption;
      b.addEventListener('click', () => done(value));
      row.append(b);
    }
    dlg.showModal();
    row.firstChild.focus(); // the default button
  });
}

export const ask = (text) => show('Confirm', text, [['Да', true], ['Нет', false]], false);
export const error = (text) => show('Tamrel Emul', text, [['OK', undefined]], undefined);
export const busy = () => box().open || document.getElementById('about').open
  || document.getElementById('pasteBox').open;

// Where the browser does not let the page read the clipboard: a box to paste the program into.
// Resolves to its text, or null for Отмена and Escape.
export function pasteBox() {
  const dlg = document.getElementById('pasteBox');
  const area = document.getElementById('pasteText');
  const back = document.activeElement;
  area.value = '';
  return new Promise((resolve) => {
    const done = (value) => {
      dlg.onclose = null;
      dlg.close();
      if (back && back.focus) back.focus();
      resolve(value);
    };
    document.getElementById('pasteOk').onclick = () => done(area.value);
    document.getElementById('pasteCancel').onclick = () => done(null);
    dlg.onclose = () => done(null);
    dlg.showModal();
    area.focus();
  });
}

export function about() {
  const dlg = document.getElementById('about');
  const back = document.activeElement;
  const close = () => {
    dlg.close();
    if (back && back.focus) back.focus();
  };
  document.getElementById('aboutClose').onclick = close;
  dlg.showModal();
  document.getElementById('aboutClose').focus();
  dlg.addEventListener('close', () => back && back.focus && back.focus(), { once: true });
}
