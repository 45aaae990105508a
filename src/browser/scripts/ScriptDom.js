(function (global) {
'use strict';
var N = {};
var slice = Array.prototype.slice;
var listeners = { window: {}, document: {} };

function wrap(s) {
    if (s === null || s === undefined || s < 0) return null;
    var w = N[s];
    if (w) return w;
    var type = __qType(s);
    if (type === 9) return doc;
    var proto = type === 1 ? ElementProto : type === 3 ? TextProto : CommentProto;
    var o = Object.create(proto);
    Object.defineProperty(o, '__s', { value: s });
    var tag = type === 1 ? __qTag(s) : '';
    if (tag === 'FORM') o = namedProxy(o, function (name) { return formControl(s, name); });
    N[s] = o;
    return o;
}
function serialOf(node) {
    if (node === doc) return 0;
    return node && node.__s !== undefined ? node.__s : -1;
}
function list(serials) {
    var out = [];
    for (var i = 0; i < serials.length; i++) out.push(wrap(serials[i]));
    out.item = function (i) { return this[i] || null; };
    return out;
}
function named(serials) {
    var out = list(serials);
    for (var i = 0; i < out.length; i++) {
        var n = out[i], id = __qAttr(n.__s, 'id'), name = __qAttr(n.__s, 'name');
        if (name && !(name in out)) out[name] = n;
        if (id && !(id in out)) out[id] = n;
    }
    out.namedItem = function (k) { return this[k] || null; };
    return out;
}
function namedProxy(target, lookup) {
    return new Proxy(target, {
        get: function (t, k) {
            if (k in t || typeof k !== 'string') return t[k];
            var r = lookup(k);
            return r === null ? undefined : r;
        },
        set: function (t, k, v) { t[k] = v; return true; },
        // with (form) and with (document) find names through this
        has: function (t, k) { return k in t || (typeof k === 'string' && lookup(k) !== null); }
    });
}
// What a lookup built stays until the tree changes its shape or a name.
var cache = {};
function cached(key, build) {
    var v = __qVersion(), c = cache[key];
    if (!c || c.v !== v) c = cache[key] = { v: v, value: build() };
    return c.value;
}
function formControl(form, name) {
    var found = __qNamed(form, name);
    if (found.length === 0) return null;
    return found.length === 1 ? wrap(found[0]) : list(found);
}
function str(v) { return v === null || v === undefined ? '' : String(v); }
function report(e) { __qError(String(e) + (e && e.lineNumber ? ' (line ' + e.lineNumber + ')' : '')); }
function fire(map, type, self) {
    var fns = map[type] || [];
    for (var i = 0; i < fns.length; i++) {
        try { fns[i].call(self, { type: type, target: self, srcElement: self, preventDefault: function () {} }); }
        catch (e) { report(e); }
    }
}
function eventTarget(proto, map) {
    proto.addEventListener = function (type, fn) { (map[type] = map[type] || []).push(fn); };
    proto.removeEventListener = function (type, fn) {
        var fns = map[type] || [];
        for (var i = 0; i < fns.length; i++) if (fns[i] === fn) { fns.splice(i, 1); break; }
    };
    proto.attachEvent = function (type, fn) { proto.addEventListener(String(type).replace(/^on/, ''), fn); return true; };
    proto.detachEvent = function (type, fn) { proto.removeEventListener(String(type).replace(/^on/, ''), fn); };
}

// Nodes
var NodeProto = {};
function getter(proto, name, get, set) {
    Object.defineProperty(proto, name, { get: get, set: set || function () {}, configurable: true });
}
getter(NodeProto, 'nodeType', function () { return __qType(this.__s); });
getter(NodeProto, 'parentNode', function () { return wrap(__qParent(this.__s)); });
getter(NodeProto, 'parentElement', function () { var p = __qParent(this.__s); return p > 0 ? wrap(p) : null; });
getter(NodeProto, 'childNodes', function () { return list(__qChildren(this.__s)); });
getter(NodeProto, 'firstChild', function () { var c = __qChildren(this.__s); return c.length ? wrap(c[0]) : null; });
getter(NodeProto, 'lastChild', function () { var c = __qChildren(this.__s); return c.length ? wrap(c[c.length - 1]) : null; });
function sibling(node, step) {
    var p = __qParent(node.__s);
    if (p < 0) return null;
    var c = __qChildren(p);
    for (var i = 0; i < c.length; i++) if (c[i] === node.__s) return i + step >= 0 && i + step < c.length ? wrap(c[i + step]) : null;
    return null;
}
getter(NodeProto, 'nextSibling', function () { return sibling(this, 1); });
getter(NodeProto, 'previousSibling', function () { return sibling(this, -1); });
getter(NodeProto, 'ownerDocument', function () { return doc; });
NodeProto.hasChildNodes = function () { return __qChildren(this.__s).length > 0; };
NodeProto.appendChild = function (child) { __qInsert(serialOf(this), serialOf(child), -1); return child; };
NodeProto.insertBefore = function (child, before) { __qInsert(serialOf(this), serialOf(child), before ? serialOf(before) : -1); return child; };
NodeProto.removeChild = function (child) { __qRemove(serialOf(child)); return child; };
NodeProto.replaceChild = function (child, old) { __qInsert(serialOf(this), serialOf(child), serialOf(old)); __qRemove(serialOf(old)); return old; };
NodeProto.cloneNode = function (deep) { return wrap(__qClone(this.__s, !!deep)); };
NodeProto.contains = function (other) { for (var n = other; n; n = n.parentNode) if (n === this) return true; return false; };

var TextProto = Object.create(NodeProto);
getter(TextProto, 'nodeName', function () { return '#text'; });
getter(TextProto, 'data', function () { return __qData(this.__s); }, function (v) { __qSetData(this.__s, str(v)); });
getter(TextProto, 'nodeValue', function () { return __qData(this.__s); }, function (v) { __qSetData(this.__s, str(v)); });
getter(TextProto, 'length', function () { return __qData(this.__s).length; });
var CommentProto = Object.create(TextProto);
getter(CommentProto, 'nodeName', function () { return '#comment'; });

var ElementProto = Object.create(NodeProto);
getter(ElementProto, 'tagName', function () { return __qTag(this.__s); });
getter(ElementProto, 'nodeName', function () { return __qTag(this.__s); });
getter(ElementProto, 'nodeValue', function () { return null; });
function reflect(prop, attr) {
    getter(ElementProto, prop, function () { return str(__qAttr(this.__s, attr)); },
        function (v) { __qSetAttr(this.__s, attr, str(v)); });
}
var reflected = { id: 'id', className: 'class', name: 'name', title: 'title', src: 'src', href: 'href', alt: 'alt',
    action: 'action', method: 'method', target: 'target', align: 'align', width: 'width', height: 'height',
    bgColor: 'bgcolor', htmlFor: 'for', lang: 'lang', dir: 'dir', colSpan: 'colspan', rowSpan: 'rowspan',
    maxLength: 'maxlength', size: 'size', defaultValue: 'value', encoding: 'enctype', enctype: 'enctype',
    border: 'border', language: 'language', charset: 'charset', text: null };
for (var p in reflected) if (reflected[p]) reflect(p, reflected[p]);
function reflectFlag(prop, attr) {
    getter(ElementProto, prop, function () { return __qAttr(this.__s, attr) !== null; },
        function (v) { if (v) __qSetAttr(this.__s, attr, ''); else __qRemoveAttr(this.__s, attr); });
}
reflectFlag('disabled', 'disabled');
reflectFlag('readOnly', 'readonly');
reflectFlag('multiple', 'multiple');
reflectFlag('defaultChecked', 'checked');
reflectFlag('defaultSelected', 'selected');
getter(ElementProto, 'type', function () {
    var t = __qTag(this.__s);
    if (t === 'SELECT') return __qAttr(this.__s, 'multiple') !== null ? 'select-multiple' : 'select-one';
    if (t === 'TEXTAREA') return 'textarea';
    return str(__qAttr(this.__s, 'type')).toLowerCase() || (t === 'INPUT' ? 'text' : '');
}, function (v) { __qSetAttr(this.__s, 'type', str(v)); });
getter(ElementProto, 'value', function () { return __qValue(this.__s); }, function (v) { __qSetValue(this.__s, str(v)); });
getter(ElementProto, 'checked', function () { return __qAttr(this.__s, 'checked') !== null; },
    function (v) { __qSetChecked(this.__s, !!v); });
getter(ElementProto, 'selected', function () { return __qSelected(this.__s); }, function (v) { __qSetSelected(this.__s, !!v); });
getter(ElementProto, 'selectedIndex', function () { return __qSelectedIndex(this.__s); },
    function (v) { __qSetSelectedIndex(this.__s, +v); });
getter(ElementProto, 'index', function () { return __qOptionIndex(this.__s); });
getter(ElementProto, 'text', function () {
    return __qTag(this.__s) === 'OPTION' ? __qText(this.__s, 0).replace(/\s+/g, ' ').replace(/^ | $/g, '') : __qText(this.__s, 0);
}, function (v) { __qSetText(this.__s, str(v)); });
getter(ElementProto, 'innerHTML', function () { return __qInnerHtml(this.__s); }, function (v) { __qSetInnerHtml(this.__s, str(v)); });
getter(ElementProto, 'outerHTML', function () { return __qOuterHtml(this.__s); });
getter(ElementProto, 'innerText', function () { return __qText(this.__s, 1); }, function (v) { __qSetText(this.__s, str(v)); });
getter(ElementProto, 'textContent', function () { return __qText(this.__s, 0); }, function (v) { __qSetText(this.__s, str(v)); });
getter(ElementProto, 'form', function () { return wrap(__qFormOf(this.__s)); });
getter(ElementProto, 'elements', function () {
    var s = this.__s;
    return cached('elements' + s, function () { return named(__qElements(s)); });
});
getter(ElementProto, 'length', function () {
    var t = __qTag(this.__s);
    return t === 'FORM' ? __qElements(this.__s).length : t === 'SELECT' ? __qOptions(this.__s).length : undefined;
}, function (v) { if (__qTag(this.__s) === 'SELECT') optionsOf(this).length = v; });
getter(ElementProto, 'options', function () { return optionsOf(this); });
getter(ElementProto, 'rows', function () { return list(__qRows(this.__s)); });
getter(ElementProto, 'cells', function () { return list(__qCells(this.__s)); });
getter(ElementProto, 'tBodies', function () { return list(__qChildrenByTag(this.__s, 'tbody')); });
getter(ElementProto, 'rowIndex', function () { var r = __qRows(__qTableOf(this.__s)); return r.indexOf(this.__s); });
getter(ElementProto, 'cellIndex', function () { var c = __qCells(__qParent(this.__s)); return c.indexOf(this.__s); });
getter(ElementProto, 'children', function () { return list(__qChildElements(this.__s)); });
getter(ElementProto, 'all', function () { return allOf(this.__s); });
getter(ElementProto, 'attributes', function () {
    var s = this.__s, names = __qAttrNames(s) ? __qAttrNames(s).split('\u0000') : [], out = [];
    for (var i = 0; i < names.length; i++) {
        var a = { name: names[i], nodeName: names[i], value: __qAttr(s, names[i]), specified: true };
        a.nodeValue = a.value;
        out.push(a);
        out[names[i]] = a;
    }
    out.item = function (i) { return this[i] || null; };
    out.getNamedItem = function (n) { return this[String(n).toLowerCase()] || null; };
    return out;
});
getter(ElementProto, 'style', function () { return styleOf(this.__s); }, function (v) { __qSetAttr(this.__s, 'style', str(v)); });
getter(ElementProto, 'contentWindow', function () { return frameWindow(this.__s); });
getter(ElementProto, 'contentDocument', function () { var w = frameWindow(this.__s); return w ? w.document : null; });
ElementProto.getAttribute = function (name) {
    name = String(name).toLowerCase();
    if (name === 'classname') name = 'class';
    return __qAttr(this.__s, name);
};
ElementProto.setAttribute = function (name, value) {
    name = String(name).toLowerCase();
    if (name === 'classname') name = 'class';
    __qSetAttr(this.__s, name, str(value));
};
ElementProto.removeAttribute = function (name) { __qRemoveAttr(this.__s, String(name).toLowerCase()); };
ElementProto.getAttributeNode = function (name) { return this.attributes.getNamedItem(name); };
ElementProto.hasAttribute = function (name) { return __qAttr(this.__s, String(name).toLowerCase()) !== null; };
ElementProto.getElementsByTagName = function (tag) { return list(__qByTag(this.__s, String(tag).toLowerCase())); };
ElementProto.getElementsByClassName = function (name) { return list(__qByClass(this.__s, str(name))); };
ElementProto.insertAdjacentHTML = function (where, html) {
    var holder = D.createElement(__qTag(this.__s).toLowerCase() === 'tr' ? 'tbody' : 'div');
    holder.innerHTML = str(html);
    var nodes = __qChildren(holder.__s), place = String(where).toLowerCase(), parent = __qParent(this.__s);
    var first = __qChildren(this.__s)[0], next = sibling(this, 1);
    for (var i = 0; i < nodes.length; i++) {
        if (place === 'beforebegin') __qInsert(parent, nodes[i], this.__s);
        else if (place === 'afterbegin') __qInsert(this.__s, nodes[i], first === undefined ? -1 : first);
        else if (place === 'afterend') __qInsert(parent, nodes[i], next ? next.__s : -1);
        else __qInsert(this.__s, nodes[i], -1);
    }
};
ElementProto.submit = function () { __qSubmit(this.__s); };
ElementProto.reset = function () {};
ElementProto.focus = ElementProto.blur = ElementProto.select = function () {};
ElementProto.click = function () { if (typeof this.onclick === 'function') this.onclick(); };
ElementProto.add = function (option, before) {
    var opts = __qOptions(this.__s);
    var at = typeof before === 'number' ? (before < opts.length ? opts[before] : -1) : (before ? serialOf(before) : -1);
    __qInsert(at >= 0 ? __qParent(at) : this.__s, serialOf(option), at);
};
ElementProto.remove = function (i) { var o = __qOptions(this.__s); if (i >= 0 && i < o.length) __qRemove(o[i]); };
ElementProto.item = function (i) { return optionsOf(this)[i]; };
ElementProto.insertRow = function (i) {
    var s = this.__s, tag = __qTag(s), rows = __qRows(s), row = __qCreate('tr');
    if (i === undefined || i < 0 || i >= rows.length) {
        var section = s;
        if (tag === 'TABLE') {
            var bodies = __qChildrenByTag(s, 'tbody');
            section = rows.length ? __qParent(rows[rows.length - 1]) : bodies.length ? bodies[bodies.length - 1] : -1;
            if (section < 0) { section = __qCreate('tbody'); __qInsert(s, section, -1); }
        }
        __qInsert(section, row, -1);
    } else {
        __qInsert(__qParent(rows[i]), row, rows[i]);
    }
    return wrap(row);
};
ElementProto.deleteRow = function (i) { var r = __qRows(this.__s); if (i < 0) i = r.length - 1; if (i >= 0 && i < r.length) __qRemove(r[i]); };
ElementProto.insertCell = function (i) {
    var cells = __qCells(this.__s), cell = __qCreate('td');
    __qInsert(this.__s, cell, i === undefined || i < 0 || i >= cells.length ? -1 : cells[i]);
    return wrap(cell);
};
ElementProto.deleteCell = function (i) { var c = __qCells(this.__s); if (i < 0) i = c.length - 1; if (i >= 0 && i < c.length) __qRemove(c[i]); };
var elementEvents = {};
eventTarget(ElementProto, elementEvents);

function optionsOf(select) {
    var s = select.__s;
    return new Proxy({}, {
        get: function (t, k) {
            if (typeof k === 'number') k = String(k);
            if (k === 'length') return __qOptions(s).length;
            if (k === 'selectedIndex') return __qSelectedIndex(s);
            if (k === 'add') return function (o, b) { select.add(o, b); };
            if (k === 'remove') return function (i) { select.remove(i); };
            if (k === 'item') return function (i) { return wrap(__qOptions(s)[i]); };
            if (typeof k === 'string' && /^\d+$/.test(k)) { var o = __qOptions(s); return +k < o.length ? wrap(o[+k]) : undefined; }
            return undefined;
        },
        set: function (t, k, v) {
            if (typeof k === 'number') k = String(k);
            var o = __qOptions(s);
            if (k === 'length') {
                for (var i = o.length - 1; i >= +v; i--) __qRemove(o[i]);
                for (var j = o.length; j < +v; j++) __qInsert(s, __qCreate('option'), -1);
            } else if (k === 'selectedIndex') {
                __qSetSelectedIndex(s, +v);
            } else if (typeof k === 'string' && /^\d+$/.test(k)) {
                if (v === null) { if (+k < o.length) __qRemove(o[+k]); }
                else if (+k < o.length) { __qInsert(__qParent(o[+k]), serialOf(v), o[+k]); __qRemove(o[+k]); }
                else __qInsert(s, serialOf(v), -1);
            }
            return true;
        }
    });
}
function styleOf(s) {
    function parse() {
        var out = {}, parts = str(__qAttr(s, 'style')).split(';');
        for (var i = 0; i < parts.length; i++) {
            var c = parts[i].indexOf(':');
            if (c > 0) out[parts[i].slice(0, c).replace(/^\s+|\s+$/g, '').toLowerCase()] = parts[i].slice(c + 1).replace(/^\s+|\s+$/g, '');
        }
        return out;
    }
    function css(k) { return String(k).replace(/[A-Z]/g, function (c) { return '-' + c.toLowerCase(); }); }
    return new Proxy({}, {
        get: function (t, k) {
            if (k === 'cssText') return str(__qAttr(s, 'style'));
            if (typeof k !== 'string') return undefined;
            var v = parse()[css(k)];
            return v === undefined ? '' : v;
        },
        set: function (t, k, v) {
            if (k === 'cssText') { __qSetAttr(s, 'style', str(v)); return true; }
            var all = parse(), text = [];
            if (str(v) === '') delete all[css(k)]; else all[css(k)] = str(v);
            for (var name in all) text.push(name + ': ' + all[name]);
            __qSetAttr(s, 'style', text.join('; '));
            return true;
        }
    });
}
function allOf(root) {
    var target = function (k) { return lookupAll(root, k); };
    return new Proxy(target, {
        get: function (t, k) {
            if (k === 'length') return __qByTag(root, '*').length;
            if (k === 'item' || k === 'namedItem') return target;
            if (k === 'tags') return function (tag) { return list(__qByTag(root, String(tag).toLowerCase())); };
            if (typeof k === 'number') k = String(k);
            if (typeof k !== 'string') return undefined;
            var r = lookupAll(root, k);
            return r === null ? undefined : r;
        },
        apply: function (t, self, args) { return lookupAll(root, args[0]); }
    });
}
function lookupAll(root, k) {
    var all = __qByTag(root, '*');
    if (/^\d+$/.test(String(k))) return +k < all.length ? wrap(all[+k]) : null;
    var found = __qByIdOrName(root, String(k));
    if (found.length === 0) return null;
    return found.length === 1 ? wrap(found[0]) : list(found);
}
function frameWindow(s) {
    var i = __qFrameIndex(s);
    return i >= 0 && global.frames[i] ? global.frames[i] : null;
}

// The document
var D = {};
var doc = namedProxy(D, function (name) {
    var found = __qNamed(0, name);
    return found.length ? wrap(found[0]) : null;
});
N[0] = doc;
var docEvents = listeners.document;
eventTarget(D, docEvents);
getter(D, 'nodeType', function () { return 9; });
getter(D, 'nodeName', function () { return '#document'; });
getter(D, 'documentElement', function () { return wrap(__qDocumentElement()); });
getter(D, 'body', function () { return wrap(__qBody()); });
getter(D, 'childNodes', function () { return list(__qChildren(0)); });
getter(D, 'firstChild', function () { var c = __qChildren(0); return c.length ? wrap(c[0]) : null; });
getter(D, 'parentNode', function () { return null; });
getter(D, 'forms', function () { return cached('forms', function () { return named(__qByTag(0, 'form')); }); });
getter(D, 'images', function () { return named(__qByTag(0, 'img')); });
getter(D, 'links', function () { return named(__qByTag(0, 'a')); });
getter(D, 'anchors', function () { return named(__qByTag(0, 'a')); });
getter(D, 'scripts', function () { return list(__qByTag(0, 'script')); });
getter(D, 'frames', function () { return global.frames; });
getter(D, 'all', function () { return allOf(0); });
getter(D, 'title', function () { return __qTitle(); }, function () {});
getter(D, 'cookie', function () { return __qCookie(); }, function (v) { __qSetCookie(str(v)); });
getter(D, 'URL', function () { return __qUrl(); });
getter(D, 'referrer', function () { return ''; });
getter(D, 'domain', function () { return location.hostname; }, function () {});
getter(D, 'location', function () { return location; }, function (v) { location.href = v; });
getter(D, 'readyState', function () { return readyState; });
getter(D, 'defaultView', function () { return global; });
getter(D, 'parentWindow', function () { return global; });
getter(D, 'ownerDocument', function () { return null; });
var readyState = 'loading';
D.getElementById = function (id) { return wrap(__qById(str(id))); };
D.getElementsByTagName = function (tag) { return list(__qByTag(0, String(tag).toLowerCase())); };
D.getElementsByName = function (name) { return list(__qByName(str(name))); };
D.getElementsByClassName = function (name) { return list(__qByClass(0, str(name))); };
D.createElement = function (tag) {
    tag = String(tag);
    var m = /^<\s*([a-zA-Z0-9]+)/.exec(tag); // the classic control took markup here too
    return wrap(__qCreate((m ? m[1] : tag).toLowerCase()));
};
D.createTextNode = function (text) { return wrap(__qCreateText(str(text))); };
D.createComment = function (text) { return wrap(__qCreateText(str(text))); };
D.createDocumentFragment = function () { return wrap(__qCreate('div')); };
D.write = function () { __qWrite(slice.call(arguments).join('')); };
D.writeln = function () { __qWrite(slice.call(arguments).join('') + '\n'); };
D.open = function () { return doc; };
D.close = function () {};
D.appendChild = function (c) { __qInsert(0, serialOf(c), -1); return c; };
D.hasFocus = function () { return true; };
D.execCommand = function () { return false; };

// The window
var location = {};
function part(name) { return function () { return __qUrlPart(name); }; }
getter(location, 'href', function () { return __qUrl(); }, function (v) { __qNavigate(str(v)); });
getter(location, 'protocol', part('protocol'));
getter(location, 'host', part('host'));
getter(location, 'hostname', part('hostname'));
getter(location, 'port', part('port'));
getter(location, 'pathname', part('pathname'), function (v) { __qNavigate(str(v)); });
getter(location, 'search', part('search'), function (v) { var q = str(v); __qNavigate(__qUrlPart('pathname') + (q.charAt(0) === '?' || !q ? '' : '?') + q); });
getter(location, 'hash', part('hash'), function (v) { var h = str(v); __qNavigate('#' + (h.charAt(0) === '#' ? h.slice(1) : h)); });
location.assign = function (u) { __qNavigate(str(u)); };
location.replace = function (u) { __qNavigate(str(u)); };
location.reload = function () { __qNavigate(__qUrl(), true); };
location.toString = function () { return __qUrl(); };
location.valueOf = location.toString;

var W = global;
var windowEvents = listeners.window;
eventTarget(W, windowEvents);
function define(name, value) { Object.defineProperty(W, name, { value: value, writable: true, configurable: true }); }
define('window', W);
define('self', W);
define('document', doc);
Object.defineProperty(W, 'location', { get: function () { return location; }, set: function (v) { location.href = v; }, configurable: true });
Object.defineProperty(W, 'parent', { get: function () { return W.__qParentWindow || W; }, configurable: true });
Object.defineProperty(W, 'top', { get: function () { var w = W; while (w.__qParentWindow) w = w.__qParentWindow; return w; }, configurable: true });
if (!W.frames) define('frames', []);
Object.defineProperty(W, 'length', { get: function () { return W.frames.length; }, configurable: true });
define('opener', null);
define('name', '');
define('status', '');
define('defaultStatus', '');
define('closed', false);
define('navigator', { userAgent: __qUserAgent(), appName: __qAppName(), appCodeName: __qAppName(),
    appVersion: __qUserAgent(), platform: 'Win32', language: 'en-US', userLanguage: 'en-US', cookieEnabled: true,
    javaEnabled: function () { return false; } });
define('screen', { width: 1024, height: 768, availWidth: 1024, availHeight: 738, colorDepth: 32 });
define('alert', function (m) { __qAlert(str(m)); });
define('confirm', function (m) { __qAlert(str(m)); return true; });
define('prompt', function (m, d) { __qAlert(str(m)); return d === undefined ? '' : str(d); });
define('open', function (u) { if (u) __qNavigate(str(u)); return W; });
define('close', function () {});
define('focus', function () {});
define('blur', function () {});
define('print', function () {});
define('scrollTo', function () {});
define('scroll', function () {});
define('moveTo', function () {});
define('resizeTo', function () {});
define('execScript', function (code) { return (0, eval)(str(code)); });
define('Option', function (text, value, defaultSelected, selected) {
    var o = D.createElement('option');
    if (text !== undefined) o.text = str(text);
    if (value !== undefined) o.value = str(value);
    if (defaultSelected || selected) __qSetAttr(o.__s, 'selected', '');
    return o;
});
define('Image', function () { return D.createElement('img'); });

// Timers run on a clock of their own: the page does not wait for them in real time.
var timers = {}, timerSeq = 0, clock = 0;
function addTimer(fn, ms, args, repeat) {
    var id = ++timerSeq, delay = Math.max(0, +ms || 0);
    timers[id] = { fn: fn, args: args, due: clock + delay, every: repeat ? Math.max(10, delay) : 0 };
    return id;
}
define('setTimeout', function (fn, ms) { return addTimer(fn, ms, slice.call(arguments, 2), false); });
define('setInterval', function (fn, ms) { return addTimer(fn, ms, slice.call(arguments, 2), true); });
define('clearTimeout', function (id) { delete timers[id]; });
define('clearInterval', function (id) { delete timers[id]; });
define('__qRunTimers', function (horizon, most) {
    var runs = 0;
    while (runs < most) {
        var next = null;
        for (var id in timers) {
            var t = timers[id];
            if (t.due <= horizon && (next === null || t.due < timers[next].due || (t.due === timers[next].due && +id < +next))) next = id;
        }
        if (next === null) break;
        var timer = timers[next];
        clock = Math.max(clock, timer.due);
        if (timer.every) timer.due += timer.every; else delete timers[next];
        runs++;
        try {
            if (typeof timer.fn === 'function') timer.fn.apply(W, timer.args);
            else (0, eval)(str(timer.fn));
        } catch (e) { report(e); }
    }
    return runs;
});

// Requests to the page's own server, through the browser's loads.
var requests = {}, requestSeq = 0;
function Request() {
    this.readyState = 0; this.status = 0; this.statusText = ''; this.responseText = ''; this.responseXML = null;
    this.__headers = {};
}
Request.prototype.open = function (method, url, async) {
    this.__method = String(method).toUpperCase(); this.__url = str(url); this.readyState = 1;
    this.__async = async !== false;
    this.__change();
};
Request.prototype.setRequestHeader = function (k, v) { this.__headers[String(k).toLowerCase()] = str(v); };
Request.prototype.send = function (body) {
    var id = ++requestSeq;
    requests[id] = this;
    this.__id = id;
    __qXhrSend(id, this.__method, this.__url, body === null || body === undefined ? '' : String(body),
        this.__headers['content-type'] || '');
};
Request.prototype.abort = function () { delete requests[this.__id]; this.readyState = 0; };
Request.prototype.getResponseHeader = function (k) { return String(k).toLowerCase() === 'content-type' ? this.__type : null; };
Request.prototype.getAllResponseHeaders = function () { return 'Content-Type: ' + this.__type + '\r\n'; };
Request.prototype.overrideMimeType = function () {};
Request.prototype.__change = function () {
    if (typeof this.onreadystatechange === 'function') {
        try { this.onreadystatechange(); } catch (e) { report(e); }
    }
};
define('XMLHttpRequest', Request);
define('__qXhrDone', function (id, status, text, type) {
    var r = requests[id];
    if (!r) return;
    delete requests[id];
    r.status = status; r.statusText = status === 200 ? 'OK' : ''; r.responseText = text; r.__type = type; r.readyState = 4;
    r.__change();
    if (typeof r.onload === 'function') { try { r.onload(); } catch (e) { report(e); } }
});

define('__qContentLoaded', function () {
    readyState = 'interactive';
    fire(docEvents, 'DOMContentLoaded', doc);
});
define('__qLoad', function (handler) {
    readyState = 'complete';
    fire(docEvents, 'readystatechange', doc);
    if (typeof D.onreadystatechange === 'function') { try { D.onreadystatechange(); } catch (e) { report(e); } }
    try {
        if (handler) (new Function('event', handler)).call(W, { type: 'load' });
        else if (typeof W.onload === 'function') W.onload({ type: 'load' });
    } catch (e) { report(e); }
    fire(windowEvents, 'load', W);
});
})(this);
