#!/usr/bin/env python3
"""Writes src/entry/DozadiRad.ui from the control table below.

The observation form has some forty widgets at fixed positions; keeping their
geometry, tab order and texts in one table here and generating the Designer
file from it avoids hand-editing the XML. The generated .ui is committed and
is what the build uses; open it in Qt Designer like any other form.
"""
from xml.sax.saxutils import escape
import pathlib

# name, class, x, y, w, h, extra properties (list of xml snippets)
def s(text):
    return "<string>%s</string>" % escape(text)

def prop(name, value_xml, stdset=True):
    extra = "" if stdset else ' stdset="0"'
    return '<property name="%s"%s>%s</property>' % (name, extra, value_xml)

REQUIRED = prop("requiredField", "<bool>true</bool>", stdset=False)

def combo_items(items):
    return "".join('<item><property name="text">%s</property></item>' % s(t) for t in items)

SYSTEMS = [
    "Breite/Länge - WGS84 (LTLN)",
    "Gauß-Krüger-Streifen 2 (GKr2)",
    "Gauß-Krüger-Streifen 3 (GKr3)",
    "Gauß-Krüger-Streifen 4 (GKr4)",
    "Gauß-Krüger-Streifen 5 (GKr5)",
    "MTBQQQ -Quadrantenteilung (QQQ)",
    "MTBQYX - Minutenfelder (QYX)",
]
GRIDS = SYSTEMS[5:]

# Inputs in tab order.
CONTROLS = [
    ("Edit3", "QLineEdit", 85, 13, 244, 21, [REQUIRED]),
    ("Edit4", "QLineEdit", 512, 13, 121, 21, [REQUIRED]),
    ("Edit5", "QLineEdit", 85, 45, 148, 21, [REQUIRED]),
    ("ComboBox1", "QComboBox", 360, 45, 177, 21,
     [REQUIRED, prop("editable", "<bool>true</bool>"), prop("insertPolicy", "<enum>QComboBox::NoInsert</enum>"),
      prop("maxVisibleItems", "<number>8</number>"), prop("currentIndex", "<number>2</number>")], combo_items(SYSTEMS)),
    ("Edit2", "QLineEdit", 574, 45, 59, 21, [REQUIRED]),
    ("Edit6", "QLineEdit", 85, 72, 148, 21, []),
    ("ComboBox2", "QComboBox", 360, 72, 177, 21,
     [prop("editable", "<bool>true</bool>"), prop("insertPolicy", "<enum>QComboBox::NoInsert</enum>"),
      prop("currentIndex", "<number>1</number>")], combo_items(GRIDS)),
    ("CheckListBox1", "QListWidget", 85, 99, 148, 86, [REQUIRED]),
    ("LMDImageComboBox1", "QComboBox", 386, 101, 151, 24, [REQUIRED, prop("iconSize", "<size><width>16</width><height>16</height></size>")]),
    ("Edit7", "QLineEdit", 543, 101, 90, 21, []),
    ("Memo1", "QPlainTextEdit", 282, 147, 351, 62, [prop("tabChangesFocus", "<bool>true</bool>")]),
    ("Edit1", "QLineEdit", 114, 236, 263, 21, [REQUIRED]),
    ("ArtenStrGr1", "TStringGrid", 16, 271, 507, 233, []),
    ("BtnSippeLoeschen", "QPushButton", 529, 271, 104, 25, [prop("text", s("Sippe löschen"))]),
    ("BtnAlleSippenLoeschen", "QPushButton", 529, 302, 104, 25, [prop("text", s("Alle Sippen löschen"))]),
    ("BtnSpeichern", "QPushButton", 529, 448, 104, 25, [prop("text", s("Speichern"))]),
    ("BtnEnde", "QPushButton", 529, 479, 104, 25, [prop("text", s("Ende"))]),
    ("LMDButton1", "QToolButton", 239, 40, 26, 26,
     [prop("toolTip", s("Koordinatenpicker aufrufen")), prop("iconSize", "<size><width>20</width><height>20</height></size>"),
      prop("autoRaise", "<bool>false</bool>")]),
]

LABELS = [
    ("Label3", "Fundort:", 16, 16), ("Label4", "Datum", 464, 16), ("Label5", "Raumbezug: ", 16, 48),
    ("Label6", "Bezugssystem:", 282, 48), ("Label2", "USR:", 544, 48), ("Label9", "Raster:", 16, 75),
    ("Label10", "Rastersystem:", 284, 75), ("Label7", "Kartierer:", 16, 104), ("Label11", "Aufnahmemethode:", 282, 107),
    ("Label12", "Höhenlage:", 543, 83), ("Label8", "Beschreibung:", 282, 128), ("Label1", "Sippen hinzufügen:", 16, 239),
]
BUDDIES = {"Label3": "Edit3", "Label4": "Edit4", "Label5": "Edit5", "Label6": "ComboBox1", "Label2": "Edit2",
           "Label9": "Edit6", "Label10": "ComboBox2", "Label7": "CheckListBox1", "Label11": "LMDImageComboBox1",
           "Label12": "Edit7", "Label8": "Memo1", "Label1": "Edit1"}

def geometry(x, y, w, h):
    return prop("geometry", "<rect><x>%d</x><y>%d</y><width>%d</width><height>%d</height></rect>" % (x, y, w, h))

def widget(name, cls, props, children=""):
    return '<widget class="%s" name="%s">%s%s</widget>\n' % (cls, name, "".join(props), children)

out = []
for name, text, x, y in LABELS:
    width = 8 + 6 * len(text)
    out.append(widget(name, "QLabel", [geometry(x, y, width, 13), prop("text", s(text)),
                                       prop("buddy", "<cstring>%s</cstring>" % BUDDIES[name])]))
for c in CONTROLS:
    name, cls, x, y, w, h, props = c[:7]
    items = c[7] if len(c) > 7 else ""
    out.append(widget(name, cls, [geometry(x, y, w, h)] + props, items))

panel = widget("Panel1", "QFrame", [geometry(2, 1, 646, 519), prop("frameShape", "<enum>QFrame::Panel</enum>"),
                                    prop("frameShadow", "<enum>QFrame::Sunken</enum>")], "".join(out))

def action(name, text):
    return '<action name="%s">%s</action>\n' % (name, prop("text", s(text)))

def menu(name, title, actions):
    return widget(name, "QMenu", [prop("title", s(title))], "".join('<addaction name="%s"/>' % a for a in actions))

menubar = widget("MainMenu1", "QMenuBar", [geometry(0, 0, 652, 22)],
                 menu("MenuItemFile", "Datei", ["MenuItemSave", "MenuItemEnd"])
                 + menu("MenuItemHelp", "Hilfe", ["MenuItemUsage", "MenuItemAbout"])
                 + '<addaction name="MenuItemFile"/><addaction name="MenuItemHelp"/>')

ui = """<?xml version="1.0" encoding="UTF-8"?>
<ui version="4.0">
<class>TForm1</class>
<widget class="QMainWindow" name="Form1">
%s%s%s
<widget class="QWidget" name="centralwidget">
%s</widget>
%s%s%s%s%s</widget>
<customwidgets><customwidget><class>TStringGrid</class><extends>QTableWidget</extends><header>TStringGrid.h</header></customwidget></customwidgets>
<tabstops>%s</tabstops>
<resources/>
<connections/>
</ui>
""" % (geometry(0, 0, 652, 550), prop("windowTitle", s("Nembra")),
       prop("font", "<font><family>Tahoma</family><pointsize>8</pointsize></font>"),
       panel, menubar,
       action("MenuItemSave", "Speichern"), action("MenuItemEnd", "Beenden"),
       action("MenuItemUsage", "Info über die Nutzung"), action("MenuItemAbout", "Über..."),
       "".join("<tabstop>%s</tabstop>" % c[0] for c in CONTROLS))

target = pathlib.Path(__file__).resolve().parent.parent / "src" / "entry" / "DozadiRad.ui"
target.write_text(ui, encoding="utf-8")
print("wrote", target)
