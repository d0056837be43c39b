// Files in the browser: read from a file input or a drop, written as downloads.
export function readFile(file) {
  return file.arrayBuffer().then((b) => new Uint8Array(b));
}

export function download(bytes, name, type) {
  const url = URL.createObjectURL(new Blob([bytes], { type }));
  const a = document.createElement('a');
  a.href = url;
  a.download = name;
  document.body.append(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(url), 10000);
}

// A file's name without its extension, for the names of later downloads.
export function stem(name) {
  const s = name.replace(/\.[^.]*$/, '');
  return s || 'program';
}
