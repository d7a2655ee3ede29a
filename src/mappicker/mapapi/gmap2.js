// The objects of the version-2 map API that the map page uses, over Leaflet:
// GMap2, GLatLng, GMarker, GEvent, G_SATELLITE_MAP, GMapTypeControl,
// GScaleControl, GBrowserIsCompatible, GUnload. A point's x is its
// longitude and its y its latitude, as in that API.
(function () {
  'use strict';
  var config = window.__nembraMapConfig || {};
  var base = config.base || 'nembra://api/';

  var css = document.createElement('link');
  css.rel = 'stylesheet';
  css.href = base + 'leaflet.css';
  (document.head || document.documentElement).appendChild(css);
  var style = document.createElement('style');
  // Cross-hair over the map, pointer while dragging.
  style.textContent = '.nembra-crosshair.leaflet-container, .nembra-crosshair .leaflet-interactive.leaflet-grab,' +
    ' .nembra-crosshair.leaflet-grab { cursor: crosshair; }' +
    ' .nembra-crosshair.leaflet-dragging .leaflet-grab { cursor: pointer; }' +
    // The providers' attribution is long; it wraps on the right and leaves
    // the bottom left corner to the scale bar (at most 100 px wide).
    ' .leaflet-bottom.leaflet-right .leaflet-control-attribution { max-width: calc(100vw - 130px); }';
  (document.head || document.documentElement).appendChild(style);
  L.Icon.Default.imagePath = base + 'images/';

  function GLatLng(lat, lng) {
    this.y = Number(lat);
    this.x = Number(lng);
  }
  GLatLng.prototype.lat = function () { return this.y; };
  GLatLng.prototype.lng = function () { return this.x; };
  GLatLng.prototype.toString = function () { return '(' + this.y + ', ' + this.x + ')'; };
  function toLeaflet(p) { return L.latLng(p.y, p.x); }

  function tileLayer(kind) {
    var t = (config.tiles || {})[kind];
    if (!t) return L.layerGroup();
    return L.tileLayer(t.url, { attribution: t.attribution, maxZoom: t.maxZoom || 19 });
  }

  var G_SATELLITE_MAP = { name: 'Satellit', kind: 'satellite' };
  var G_NORMAL_MAP = { name: 'Karte', kind: 'street' };

  function GMap2(element, options) {
    options = options || {};
    this._map = L.map(element, {
      doubleClickZoom: false, scrollWheelZoom: false, zoomAnimation: false, fadeAnimation: false,
      attributionControl: true, zoomControl: true,
    });
    this._map.attributionControl.setPrefix(false);
    if (options.draggableCursor === 'crosshair') element.classList.add('nembra-crosshair');
    this._layers = {};
    this._layers[G_SATELLITE_MAP.name] = tileLayer('satellite');
    this._layers[G_NORMAL_MAP.name] = tileLayer('street');
    this._current = null;
    this._ui = null;
    // The host sets the element's height to the view's; the map keeps its
    // centre in the middle of the new size.
    var map = this._map;
    if (typeof ResizeObserver === 'function')
      new ResizeObserver(function () {
        if (!map._loaded) return;
        var centre = map.getCenter();
        map.invalidateSize({ pan: false });
        map.setView(centre, map.getZoom(), { reset: true });
      }).observe(element);
  }
  GMap2.prototype.setMapType = function (type) {
    var layer = this._layers[type.name];
    if (this._current === layer) return;
    if (this._current) this._map.removeLayer(this._current);
    this._current = layer;
    layer.addTo(this._map);
  };
  GMap2.prototype.setCenter = function (point, zoom) {
    this._map.setView(toLeaflet(point), zoom === undefined ? (this._map.getZoom() || 14) : zoom, { reset: true });
    if (!this._current) this.setMapType(G_SATELLITE_MAP);
  };
  GMap2.prototype.getCenter = function () {
    var c = this._map.getCenter().wrap();
    return new GLatLng(c.lat, c.lng);
  };
  GMap2.prototype.getZoom = function () { return this._map.getZoom(); };
  GMap2.prototype.getDefaultUI = function () {
    return { maptypes: { normal: true, satellite: true, hybrid: true, physical: true },
             zoom: { scrollwheel: true, doubleclick: true }, controls: { scalecontrol: true, maptypecontrol: true } };
  };
  GMap2.prototype.setUI = function (ui) { this._ui = ui; };
  GMap2.prototype.enableDoubleClickZoom = function () { this._map.doubleClickZoom.enable(); };
  GMap2.prototype.enableContinuousZoom = function () { this._map.options.zoomAnimation = true; };
  GMap2.prototype.enableScrollWheelZoom = function () { this._map.scrollWheelZoom.enable(); };
  GMap2.prototype.addControl = function (control) { control._addTo(this); };
  GMap2.prototype.addOverlay = function (overlay) { overlay._leaflet.addTo(this._map); };
  GMap2.prototype.removeOverlay = function (overlay) { if (overlay && overlay._leaflet) overlay._leaflet.remove(); };
  GMap2.prototype.getContainer = function () { return this._map.getContainer(); };

  function GMarker(point) { this._leaflet = L.marker(toLeaflet(point)); this._point = point; }
  GMarker.prototype.getLatLng = function () { return this._point; };
  GMarker.prototype.getPoint = GMarker.prototype.getLatLng;

  function GMapTypeControl() {}
  GMapTypeControl.prototype._addTo = function (map) {
    var layers = {};
    var hidden = map._ui && map._ui.maptypes ? map._ui.maptypes : {};
    if (hidden.satellite !== false) layers[G_SATELLITE_MAP.name] = map._layers[G_SATELLITE_MAP.name];
    if (hidden.normal !== false) layers[G_NORMAL_MAP.name] = map._layers[G_NORMAL_MAP.name];
    L.control.layers(layers, {}, { collapsed: false }).addTo(map._map);
  };
  function GScaleControl() {}
  GScaleControl.prototype._addTo = function (map) { L.control.scale({ metric: true, imperial: false }).addTo(map._map); };

  var GEvent = {
    addListener: function (source, name, handler) {
      if (name !== 'click' || !source._map) return null;
      var fn = function (e) {
        var ll = e.latlng ? e.latlng.wrap() : null;
        handler(null, ll ? new GLatLng(ll.lat, ll.lng) : null);
      };
      source._map.on('click', fn);
      return { source: source, fn: fn };
    },
  };

  window.GLatLng = GLatLng;
  window.GMap2 = GMap2;
  window.GMarker = GMarker;
  window.GMapTypeControl = GMapTypeControl;
  window.GScaleControl = GScaleControl;
  window.GEvent = GEvent;
  window.G_SATELLITE_MAP = G_SATELLITE_MAP;
  window.G_NORMAL_MAP = G_NORMAL_MAP;
  window.GBrowserIsCompatible = function () { return true; };
  window.GUnload = function () {};
})();
