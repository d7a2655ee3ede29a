// window.external as a proxy over the program's native objects. Every read,
// write and call goes synchronously to the program and returns its answer;
// a failure becomes an Error thrown in the page.
(function () {
  'use strict';
  const endpoint = '@ENDPOINT@';
  const released = [];
  const registry = typeof FinalizationRegistry === 'function'
    ? new FinalizationRegistry(id => released.push(id)) : null;

  function send(request) {
    if (released.length) request.release = released.splice(0, released.length);
    const xhr = new XMLHttpRequest();
    xhr.open('GET', endpoint + encodeURIComponent(JSON.stringify(request)), false);
    xhr.send();
    if (xhr.status !== 200) throw new Error('external: keine Antwort des Programms (' + xhr.status + ')');
    const answer = JSON.parse(xhr.responseText);
    // Script the program ran during this call runs now, before the call returns.
    for (const script of answer.scripts || []) (0, eval)(script);
    if (!answer.ok) throw new Error(answer.error);
    return answer.value;
  }

  function toWire(value) {
    if (value && typeof value === 'object' && value[dispatchId] !== undefined) return { $dispatch: value[dispatchId] };
    if (value === undefined) return null;
    return value;
  }

  const dispatchId = Symbol('dispatch');

  function fromWire(value) {
    if (value && typeof value === 'object' && value.$dispatch !== undefined) return makeProxy(value.$dispatch);
    return value;
  }

  function makeProxy(id) {
    const proxy = new Proxy(function () {}, {
      get(target, name) {
        if (name === dispatchId) return id;
        if (typeof name !== 'string' || name === 'then' || name === 'toJSON') return undefined;
        const value = send({ op: 'get', obj: id, name: name });
        if (value && typeof value === 'object' && value.$method)
          return function (...args) { return fromWire(send({ op: 'call', obj: id, name: name, args: args.map(toWire) })); };
        return fromWire(value);
      },
      set(target, name, value) {
        send({ op: 'put', obj: id, name: String(name), value: toWire(value) });
        return true;
      },
      has() { return true; },
    });
    if (registry) registry.register(proxy, id);
    return proxy;
  }

  let external = null;
  Object.defineProperty(window, 'external', {
    configurable: false,
    get() {
      if (external === null) external = fromWire(send({ op: 'external' }));
      return external;
    },
  });
})();
