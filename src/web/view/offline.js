// SPDX-License-Identifier: GPL-3.0-or-later
// Offline and updates: the service worker's copy of the folder, and the offer of a new version.

// The service worker keeps the folder for offline use. A new build arrives through a new one,
// which takes over as soon as it has every file: the running page says so and offers the
// reload, for the user to choose when not in the middle of typing.
function keepOffline(early) {
  if (!('serviceWorker' in navigator) || location.protocol === 'file:') return;
  // A new service worker asks for the folder's files: they come from the browser's cache where
  // this page has them, so that a first visit downloads each file once.
  navigator.serviceWorker.onmessage = async (event) => {
    const files = event.data?.velorixFiles;
    if (!Array.isArray(files) || !event.ports[0]) return;
    const copies = await Promise.all(files.map((file) => fetch(file, { cache: 'force-cache' })
      .then(async (response) => (response.ok ? { body: await response.arrayBuffer(),
        type: response.headers.get('Content-Type') ?? '' } : null))
      .catch(() => null)));
    event.ports[0].postMessage(copies, copies.filter(Boolean).map((copy) => copy.body));
  };
  const offer = () => {
    if (!early.served || document.querySelector('.update')) return;
    const note = document.createElement('p');
    note.className = 'update';
    note.setAttribute('role', 'status');
    const reload = document.createElement('button');
    reload.type = 'button';
    reload.textContent = 'Neu laden';
    reload.addEventListener('click', () => location.reload());
    note.append('Eine neue Version von Velorix ist da. ', reload);
    document.body.append(note);
  };
  if (early.replaced) offer();
  navigator.serviceWorker.addEventListener('controllerchange', offer);
  // Asked at once, since some browsers look for a new service worker only a while after the
  // page has loaded.
  navigator.serviceWorker.register('sw.js')
    .then((registration) => early.served && registration.update())
    .catch(() => {});
}
