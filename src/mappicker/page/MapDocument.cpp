#include "MapDocument.h"

#include "TextFile.h"

namespace MapDocument {

QStringList lines(const QString &Lat, const QString &Long, const QString &apiHost)
{
    return {
        QStringLiteral("<html>"),
        QStringLiteral("  <head>"),
        QStringLiteral("    <meta http-equiv=\"content-type\" content=\"text/html\"/>"),
        QStringLiteral("    <title>Google Maps JavaScript API Example</title>"),
        QStringLiteral("    <script src=\"http://") + apiHost
            + QStringLiteral("/maps?file=api&amp;v=2\" type=\"text/javascript\"></script>"),
        QStringLiteral("    <script type=\"text/javascript\">"),
        QString(),
        QStringLiteral("      var map;"),
        QStringLiteral("      var markersArray = [];"),
        QStringLiteral("    //<![CDATA["),
        QStringLiteral("    function SetMapCenter(lat, lng) {"),
        QStringLiteral("      var point = new GLatLng(parseFloat(lat),parseFloat(lng));"),
        QStringLiteral("      map.setCenter(point);"),
        QStringLiteral("      }"),
        QString(),
        QStringLiteral("    function GetMapCenter() {"),
        QStringLiteral("      var point = map.getCenter();"),
        QStringLiteral("            external.NewCenterCoordinate(point.y.toString().substring(0,9), "
                       "point.x.toString().substring(0,9));"),
        QStringLiteral("      }"),
        QString(),
        QStringLiteral("    function createMapMarker(lat, lng, html) {"),
        QStringLiteral("      var point = new GLatLng(parseFloat(lat),parseFloat(lng));"),
        QStringLiteral("      var marker = new GMarker(point);"),
        QStringLiteral("      map.addOverlay(marker);"),
        QStringLiteral("      markersArray.push(marker);"),
        QStringLiteral("      return marker;"),
        QStringLiteral("      }"),
        QString(),
        QStringLiteral("    function clearMarkers() {"),
        QStringLiteral("        //alert(\"Test\")"),
        QStringLiteral("        if (markersArray) {"),
        QStringLiteral("            for (i in markersArray) {"),
        QStringLiteral("               //alert(\"Test\")"),
        QStringLiteral("               map.removeOverlay(markersArray[i])"),
        QStringLiteral("               //markersArray[i].setMap(null);"),
        QStringLiteral("            }"),
        QStringLiteral("         }"),
        QStringLiteral("\t\t     markersArray = [];"),
        QStringLiteral("    }"),
        QString(),
        QStringLiteral("    function load(id, lat, lng, zoom) {"),
        QStringLiteral("      if (GBrowserIsCompatible()) {"),
        QStringLiteral("        map = new GMap2(document.getElementById(\"map\"), {draggableCursor:'crosshair', "
                       "draggingCursor: 'pointer'});"),
        QStringLiteral("        var point = new GLatLng(parseFloat(lat),parseFloat(lng));"),
        QStringLiteral("        map.setMapType(G_SATELLITE_MAP);"),
        QStringLiteral("        map.setCenter(new GLatLng(") + Lat + QStringLiteral(", ") + Long
            + QStringLiteral("), 14);"),
        QStringLiteral("        var customUI = map.getDefaultUI();"),
        QStringLiteral("        customUI.maptypes.hybrid = false;"),
        QStringLiteral("        map.setUI(customUI);"),
        QStringLiteral("        map.enableDoubleClickZoom();"),
        QStringLiteral("        map.enableContinuousZoom();"),
        QStringLiteral("        "),
        QStringLiteral("        "),
        QStringLiteral("        //map.addControl(new GLargeMapControl());"),
        QStringLiteral("        map.addControl(new GMapTypeControl());"),
        QStringLiteral("        map.addControl(new GScaleControl());"),
        QStringLiteral("        map.enableScrollWheelZoom();"),
        QStringLiteral("        //map.setCenter(new GLatLng(37.05173494, -122.03160858), 13);"),
        QStringLiteral("        GEvent.addListener(map, 'click',"),
        QStringLiteral("        function(overlay, point){"),
        QStringLiteral("          if (point){"),
        QStringLiteral("            external.newCoordinate(point.y.toString().substring(0,9), "
                       "point.x.toString().substring(0,9));"),
        QStringLiteral("            }"),
        QStringLiteral("          }"),
        QStringLiteral("        );"),
        QStringLiteral("      }"),
        QStringLiteral("    onError=\"alert('Bitte stellen sie ...')\""),
        QStringLiteral("    }"),
        QString(),
        QStringLiteral("    //]]>"),
        QStringLiteral("    </script>"),
        QStringLiteral("  </head>"),
        QString(),
        QStringLiteral("  <body onload=\"load()\" onunload=\"GUnload()\" style=\"margin:0\">"),
        QStringLiteral("    <div id=\"map\" style=\"width: 100%; height: 300px\"></div>"),
        QStringLiteral("  </body>"),
        QStringLiteral("</html>"),
    };
}

QString compose(const QString &Lat, const QString &Long, const QString &apiHost)
{
    return lines(Lat, Long, apiHost).join(QStringLiteral("\r\n"));
}

QByteArray bytesOf(const QString &HTMLCode)
{
    QString text;
    for (const QString &line : splitLines(HTMLCode))
        text += line + QStringLiteral("\r\n");
    return encodeText(text, TextEncoding::Windows1252);
}

QString clearMarkersScript()
{
    return QStringLiteral("clearMarkers();");
}

QString setMarkerScript(const QString &sLat, const QString &sLong)
{
    return QStringLiteral("createMapMarker(\"") + sLat + QStringLiteral("\", \"") + sLong
        + QStringLiteral("\", \"test\");");
}

QString setMapCenterScript(const QString &sLat, const QString &sLong)
{
    return QStringLiteral("SetMapCenter(\"") + sLat + QStringLiteral("\", \"") + sLong + QStringLiteral("\");");
}

QString getMapCenterScript()
{
    return QStringLiteral("GetMapCenter();");
}

QString resizeScript(int height)
{
    return QStringLiteral("if (document) {   if (document.body) {     var m = document.getElementById(\"map\");     "
                          "if (typeof(m) != \"undefined\") {       m.style.height = ")
        + QString::number(height) + QStringLiteral("; ") + QStringLiteral("    } ") + QStringLiteral("  } ")
        + QStringLiteral("} ");
}

} // namespace MapDocument
