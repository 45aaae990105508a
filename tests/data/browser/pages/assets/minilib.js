/* A small library in the style that router pages ship: selector function, chaining, events,
   requests. It exercises closures, prototypes, regular expressions, apply and JSON. */
(function (window, undefined) {
  var document = window.document;
  var idPattern = /^#([\w-]+)$/, tagPattern = /^[a-z]+$/i;
  var lib = function (selector) { return new lib.fn.init(selector); };
  lib.fn = lib.prototype = {
    init: function (selector) {
      var match, found = [];
      if (typeof selector === "function") { lib.ready(selector); return this; }
      if ((match = idPattern.exec(selector))) { var el = document.getElementById(match[1]); if (el) found.push(el); }
      else if (tagPattern.test(selector)) { var all = document.getElementsByTagName(selector); for (var i = 0; i < all.length; i++) found.push(all[i]); }
      Array.prototype.push.apply(this, found);
      this.length = found.length;
      return this;
    },
    each: function (fn) { for (var i = 0; i < this.length; i++) fn.call(this[i], i, this[i]); return this; },
    text: function (value) { return this.each(function () { this.innerHTML = ""; this.appendChild(document.createTextNode(value)); }); },
    html: function (value) { if (value === undefined) return this.length ? this[0].innerHTML : ""; return this.each(function () { this.innerHTML = value; }); },
    val: function (value) { return this.each(function () { this.value = value; }); },
    addClass: function (name) { return this.each(function () { this.className = (this.className ? this.className + " " : "") + name; }); }
  };
  lib.fn.init.prototype = lib.fn;
  lib.extend = function (target) {
    for (var i = 1; i < arguments.length; i++) for (var key in arguments[i]) target[key] = arguments[i][key];
    return target;
  };
  var readyList = [];
  lib.ready = function (fn) { readyList.push(fn); };
  function fireReady() { var fns = readyList; readyList = []; for (var i = 0; i < fns.length; i++) fns[i].call(document, lib); }
  if (document.addEventListener) document.addEventListener("DOMContentLoaded", fireReady, false);
  else window.attachEvent("onload", fireReady);
  lib.get = function (url, done) {
    var request = new XMLHttpRequest();
    request.open("GET", url, true);
    request.onreadystatechange = function () { if (request.readyState == 4) done(request.status, request.responseText); };
    request.send(null);
  };
  lib.parse = function (text) { return JSON.parse(text); };
  window.lib = window.$q = lib;
})(window);
