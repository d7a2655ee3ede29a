#include <cmath>

#include <QApplication>
#include <QDialog>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include "Automation.h"
#include "NembraError.h"
#include "ScriptBridge.h"
#include "Wrappers.h"

// A wrapper as the map page's external object is one, with members that
// record their calls, fail on request and count their instances.
class TTestWrapper : public TObjectWrapper {
    Q_OBJECT
    Q_PROPERTY(QString Label READ Label WRITE setLabel)
    Q_PROPERTY(int Number READ Number)
public:
    explicit TTestWrapper(QObject *o)
        : TObjectWrapper(o)
    {
        ++alive;
    }
    ~TTestWrapper() override { --alive; }
    Q_INVOKABLE void NewCoordinate(const QString &sLat, const QString &sLong) { calls.append({sLat, sLong}); }
    Q_INVOKABLE int Twice(int Value) { return 2 * Value; }
    Q_INVOKABLE bool Negate(bool Flag) { return !Flag; }
    Q_INVOKABLE void Fail() { throw NembraError(QStringLiteral("In /x/Nembra.ini kann nicht geschrieben werden")); }
    Q_INVOKABLE TRectClass *Area() { return new TRectClass(1, 2, 30, 40); }
    QString Label() const { return label_; }
    void setLabel(const QString &l) { label_ = l; }
    int Number() const { return 7; }

    static inline int alive = 0;
    static inline QList<QStringList> calls;

private:
    QString label_;
};

class TestAutomation : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void callsReachMethodsWithoutRegardToCase();
    void argumentConversionAndErrors_data();
    void argumentConversionAndErrors();
    void errorOfNativeMethodArrivesAsException();
    void dispIdsAreStablePerObject();
    void statusCodes();
    void externalObjectReachesWindowsAndControls();
    void wrapperMembers();
    void windowsKeepTheirControlsAndStayUsable();
    void rectanglesAndPointsAreFreedWithTheirDispatch();
    void ownedInstanceDiesWithDispatch();
    void classMapOrder();
    void classMapRegistration();
    void applicationWrapperRefusesOtherObjects();
    void wrappersServeQtKinds();
    void treeNodes();
    void bridgeProtocol();

private:
    // Calls a member by name as page script does; the status and the result.
    static HRESULT call(TObjectDispatch *d, const QString &name, QVariantList args, QVariant *result = nullptr,
                        EXCEPINFO *info = nullptr, std::uint16_t flags = DISPATCH_METHOD)
    {
        QList<int> ids;
        const HRESULT hr = d->GetIDsOfNames({name}, ids);
        if (hr != S_OK)
            return hr;
        DISPPARAMS params;
        std::reverse(args.begin(), args.end());
        params.rgvarg = args;
        return d->Invoke(ids[0], flags, params, result, info);
    }
    static QVariant get(TObjectDispatch *d, const QString &name)
    {
        QVariant result;
        EXCEPINFO info;
        const HRESULT hr = call(d, name, {}, &result, &info, DISPATCH_PROPERTYGET);
        if (hr != S_OK)
            qWarning() << "get" << name << Qt::hex << hr << info.bstrDescription;
        return result;
    }
    static HRESULT put(TObjectDispatch *d, const QString &name, const QVariant &value)
    {
        QList<int> ids;
        HRESULT hr = d->GetIDsOfNames({name}, ids);
        if (hr != S_OK)
            return hr;
        DISPPARAMS params;
        params.rgvarg = {value};
        params.rgdispidNamedArgs = {DISPID_PROPERTYPUT};
        return d->Invoke(ids[0], DISPATCH_PROPERTYPUT, params, nullptr, nullptr);
    }
    // Keeps the dispatch object of a result alive while the test uses it.
    static DispatchRef object(const QVariant &v) { return v.value<DispatchRef>(); }
    static HRESULT call(const DispatchRef &d, const QString &name, QVariantList args, QVariant *result = nullptr,
                        EXCEPINFO *info = nullptr, std::uint16_t flags = DISPATCH_METHOD)
    {
        return call(d.get(), name, args, result, info, flags);
    }
    static QVariant get(const DispatchRef &d, const QString &name) { return get(d.get(), name); }
    static HRESULT put(const DispatchRef &d, const QString &name, const QVariant &value)
    {
        return put(d.get(), name, value);
    }
};

void TestAutomation::initTestCase()
{
    // As the program does at start.
    registerWrappers(ClassMap());
}

void TestAutomation::init()
{
    TTestWrapper::calls.clear();
}

void TestAutomation::callsReachMethodsWithoutRegardToCase()
{
    DispatchRef d(new TAutoObjectDispatch(new TTestWrapper(qApp), true));
    QCOMPARE(call(d.get(), "newCoordinate", {QStringLiteral("49.45187"), QStringLiteral("6.660718")}), S_OK);
    QCOMPARE(TTestWrapper::calls, QList<QStringList>({{"49.45187", "6.660718"}}));
    // Numbers given for text parameters arrive as their text.
    QCOMPARE(call(d.get(), "NEWCOORDINATE", {49.45187, -33}), S_OK);
    QCOMPARE(TTestWrapper::calls[1], QStringList({"49.45187", "-33"}));
    QVariant result;
    QCOMPARE(call(d.get(), "twice", {QStringLiteral("21")}, &result), S_OK);
    QCOMPARE(result, QVariant(42));
    QCOMPARE(call(d.get(), "negate", {QStringLiteral("false")}, &result), S_OK);
    QCOMPARE(result, QVariant(true));
}

void TestAutomation::argumentConversionAndErrors_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariantList>("args");
    QTest::addColumn<QString>("error");
    QTest::newRow("too many") << "NewCoordinate" << QVariantList{"1", "2", "3"}
                              << "Zu viele Parameter für Methode NewCoordinate";
    QTest::newRow("missing") << "NewCoordinate" << QVariantList{"1"}
                             << "Parameter 2 erforderlich für Methode NewCoordinate";
    QTest::newRow("unconvertible") << "Twice" << QVariantList{"zwei"}
                                   << "Keine Übereinstimmung in Parameter 1 für Methode Twice";
    QTest::newRow("fraction for an integer")
        << "Twice" << QVariantList{1.5} << "Keine Übereinstimmung in Parameter 1 für Methode Twice";
    // Beyond every integer type: refused, never cast (the cast is undefined).
    QTest::newRow("number beyond 64 bits")
        << "Twice" << QVariantList{-1e19} << "Keine Übereinstimmung in Parameter 1 für Methode Twice";
    QTest::newRow("number beyond int") << "Twice" << QVariantList{3e9}
                                       << "Keine Übereinstimmung in Parameter 1 für Methode Twice";
    QTest::newRow("not a number") << "Twice" << QVariantList{std::nan("")}
                                  << "Keine Übereinstimmung in Parameter 1 für Methode Twice";
}

void TestAutomation::argumentConversionAndErrors()
{
    QFETCH(QString, name);
    QFETCH(QVariantList, args);
    QFETCH(QString, error);
    DispatchRef d(new TAutoObjectDispatch(new TTestWrapper(qApp), true));
    EXCEPINFO info;
    QCOMPARE(call(d.get(), name, args, nullptr, &info), DISP_E_EXCEPTION);
    QCOMPARE(info.bstrDescription, error);
    QCOMPARE(info.bstrSource, QStringLiteral("TAutoObjectDispatch"));
    QCOMPARE(info.scode, E_FAIL);
    QVERIFY(TTestWrapper::calls.isEmpty());
}

void TestAutomation::errorOfNativeMethodArrivesAsException()
{
    DispatchRef d(new TAutoObjectDispatch(new TTestWrapper(qApp), true));
    EXCEPINFO info;
    QCOMPARE(call(d.get(), "fail", {}, nullptr, &info), DISP_E_EXCEPTION);
    QCOMPARE(info.bstrSource, QStringLiteral("TAutoObjectDispatch"));
    QCOMPARE(info.bstrDescription, QStringLiteral("In /x/Nembra.ini kann nicht geschrieben werden"));
    // The object stays usable.
    QCOMPARE(call(d.get(), "NewCoordinate", {"1", "2"}), S_OK);
}

void TestAutomation::dispIdsAreStablePerObject()
{
    DispatchRef a(new TAutoObjectDispatch(new TTestWrapper(qApp), true));
    QList<int> ids;
    QCOMPARE(a->GetIDsOfNames({"NewCoordinate"}, ids), S_OK);
    QCOMPARE(ids, QList<int>{100});
    QCOMPARE(a->GetIDsOfNames({"twice"}, ids), S_OK);
    QCOMPARE(ids, QList<int>{101});
    QCOMPARE(a->GetIDsOfNames({"newcoordinate"}, ids), S_OK);
    QCOMPARE(ids, QList<int>{100});
    QCOMPARE(a->GetIDsOfNames({"Label"}, ids), S_OK);
    QCOMPARE(ids, QList<int>{102});
    // Parameter names: Self at 0, then 1-based positions; an unknown one fails.
    QCOMPARE(a->GetIDsOfNames({"NewCoordinate", "slong", "Self", "sLat"}, ids), S_OK);
    QCOMPARE(ids, QList<int>({100, 2, 0, 1}));
    QCOMPARE(a->GetIDsOfNames({"NewCoordinate", "x"}, ids), DISP_E_UNKNOWNNAME);
    QCOMPARE(ids, QList<int>({100, -1}));
    // Unknown names add nothing.
    QCOMPARE(a->GetIDsOfNames({"gibtsnicht"}, ids), DISP_E_UNKNOWNNAME);
    QCOMPARE(ids, QList<int>{-1});
    QCOMPARE(a->dispatchInfoCount(), 3);

    DispatchRef b(new TAutoObjectDispatch(new TTestWrapper(qApp), true));
    QCOMPARE(b->GetIDsOfNames({"Label"}, ids), S_OK);
    QCOMPARE(ids, QList<int>{100});
}

void TestAutomation::statusCodes()
{
    DispatchRef d(new TAutoObjectDispatch(new TTestWrapper(qApp), true));
    DISPPARAMS none;
    QCOMPARE(d->Invoke(100, DISPATCH_METHOD, none, nullptr, nullptr), DISP_E_MEMBERNOTFOUND);
    QCOMPARE(d->Invoke(99, DISPATCH_METHOD, none, nullptr, nullptr), DISP_E_MEMBERNOTFOUND);
    QList<int> ids;
    QCOMPARE(d->GetIDsOfNames({"Number"}, ids), S_OK);
    DISPPARAMS oneArg;
    oneArg.rgvarg = {1};
    QCOMPARE(d->Invoke(ids[0], DISPATCH_PROPERTYGET, oneArg, nullptr, nullptr), DISP_E_BADPARAMCOUNT);
    // A put needs the one named argument DISPID_PROPERTYPUT.
    QCOMPARE(d->GetIDsOfNames({"Label"}, ids), S_OK);
    DISPPARAMS unnamed;
    unnamed.rgvarg = {QStringLiteral("x")};
    QCOMPARE(d->Invoke(ids[0], DISPATCH_PROPERTYPUT, unnamed, nullptr, nullptr), DISP_E_MEMBERNOTFOUND);
    QCOMPARE(put(d.get(), "label", QStringLiteral("neu")), S_OK);
    QCOMPARE(get(d.get(), "LABEL"), QVariant(QStringLiteral("neu")));
    QCOMPARE(d->GetTypeInfoCount(nullptr), E_NOTIMPL);
    QCOMPARE(d->GetTypeInfo(0, nullptr), E_NOTIMPL);
    // The flags are not looked at for a method.
    QCOMPARE(call(d.get(), "NewCoordinate", {"1", "2"}, nullptr, nullptr, DISPATCH_PROPERTYGET), S_OK);
}

void TestAutomation::externalObjectReachesWindowsAndControls()
{
    QMainWindow form;
    form.setObjectName("Form1");
    auto *panel = new QWidget(&form);
    form.setCentralWidget(panel);
    auto *edit = new QLineEdit(panel);
    edit->setObjectName("Edit3");
    edit->setText("Wegrand");
    form.show();

    DispatchRef external(new TAutoObjectDispatch(new TTestWrapper(qApp), true));
    QList<int> ids;
    QCOMPARE(external->GetIDsOfNames({"form1"}, ids), S_OK);
    QCOMPARE(external->dispatchInfo(ids[0] - 100).Kind, TDispatchKind::dkSubComponent);
    const QVariant formValue = get(external.get(), "Form1");
    DispatchRef formDispatch = object(formValue);
    QVERIFY(formDispatch);
    QCOMPARE(QString::fromLatin1(formDispatch->instance()->metaObject()->className()),
             QStringLiteral("TWinControlWrapper"));
    QCOMPARE(get(formDispatch, "ClassName"), QVariant(QStringLiteral("QMainWindow")));

    DispatchRef editDispatch = object(get(formDispatch, "EDIT3"));
    QVERIFY(editDispatch);
    QCOMPARE(get(editDispatch, "Text"), QVariant(QStringLiteral("Wegrand")));
    QCOMPARE(put(editDispatch, "text", QStringLiteral("Am Bach")), S_OK);
    QCOMPARE(edit->text(), QStringLiteral("Am Bach"));
    QVariant inherits;
    QCOMPARE(call(editDispatch, "InheritsFrom", {QStringLiteral("qwidget")}, &inherits), S_OK);
    QCOMPARE(inherits, QVariant(true));
    QCOMPARE(call(editDispatch, "InheritsFrom", {QStringLiteral("QAbstractButton")}, &inherits), S_OK);
    QCOMPARE(inherits, QVariant(false));
    // What Qt itself offers beyond the wrapper's members stays out of reach.
    for (const char *qtMember : {"maxLength", "styleSheet", "windowTitle", "close", "deleteLater"})
        QCOMPARE(editDispatch->GetIDsOfNames({QString::fromLatin1(qtMember)}, ids), DISP_E_UNKNOWNNAME);

    // Each read makes a new dispatch object over the same control.
    QVERIFY(object(get(formDispatch, "Edit3")).get() != editDispatch.get());
}

void TestAutomation::windowsKeepTheirControlsAndStayUsable()
{
    // The observation form with the picker as its child window, as the
    // program makes them.
    QMainWindow form;
    form.setObjectName("Form1");
    auto *panel = new QWidget(&form);
    form.setCentralWidget(panel);
    auto *place = new QLineEdit(panel);
    place->setObjectName("Edit3");
    QDialog picker(&form);
    picker.setObjectName("Form2");
    auto *coordinate = new QLineEdit(&picker);
    coordinate->setObjectName("Edit1");
    form.show();
    picker.show();

    DispatchRef external(new TAutoObjectDispatch(new TTestWrapper(qApp), true));
    DispatchRef formDispatch = object(get(external.get(), "Form1"));
    DispatchRef pickerDispatch = object(get(external.get(), "Form2"));
    QVERIFY(formDispatch);
    QVERIFY(pickerDispatch);
    QList<int> ids;
    // Each window's components are its own controls.
    QCOMPARE(formDispatch->GetIDsOfNames({"Edit1"}, ids), DISP_E_UNKNOWNNAME);
    QCOMPARE(formDispatch->GetIDsOfNames({"Form2"}, ids), DISP_E_UNKNOWNNAME);
    QCOMPARE(get(pickerDispatch, "ClassName"), QVariant(QStringLiteral("QDialog")));
    QVERIFY(object(get(pickerDispatch, "Edit1")));

    // No window can be hidden or locked; a control can.
    struct Change {
        DispatchRef target;
        const char *member;
    };
    for (const Change &change : {Change{formDispatch, "Visible"}, Change{formDispatch, "Enabled"},
                                 Change{pickerDispatch, "Visible"}, Change{pickerDispatch, "Enabled"}}) {
        QCOMPARE(put(change.target, change.member, false), DISP_E_EXCEPTION);
    }
    QVERIFY(form.isVisible() && form.isEnabled());
    QVERIFY(picker.isVisible() && picker.isEnabled());
    DispatchRef placeDispatch = object(get(formDispatch, "Edit3"));
    QCOMPARE(put(placeDispatch, "Enabled", false), S_OK);
    QVERIFY(!place->isEnabled());
    QCOMPARE(put(placeDispatch, "Visible", false), S_OK);
    QVERIFY(place->isHidden());
}

void TestAutomation::wrapperMembers()
{
    QObject root;
    DispatchRef d(new TAutoObjectDispatch(new TObjectWrapper(&root), true));
    QCOMPARE(get(d.get(), "ClassName"), QVariant(QStringLiteral("QObject")));
    QCOMPARE(get(d.get(), "ParentClass"), QVariant(QString()));

    QPlainTextEdit memo;
    memo.setPlainText("erste\nzweite");
    DispatchRef m(new TAutoObjectDispatch(ClassMap().FindObjectWrapper(memo.metaObject()).Connect(&memo), true));
    DispatchRef lines = object(get(m.get(), "Lines"));
    QVERIFY(lines);
    QCOMPARE(get(lines, "Count"), QVariant(2));
    QVariant line;
    QCOMPARE(call(lines, "GetStrings", {1}, &line), S_OK);
    QCOMPARE(line, QVariant(QStringLiteral("zweite")));
    EXCEPINFO info;
    QCOMPARE(call(lines, "GetStrings", {5}, &line, &info), DISP_E_EXCEPTION);
    QVERIFY(info.bstrDescription.contains("5"));
}

void TestAutomation::rectanglesAndPointsAreFreedWithTheirDispatch()
{
    const int rects = TRectClass::alive(), points = TPointClass::alive();
    {
        DispatchRef d(new TAutoObjectDispatch(new TTestWrapper(qApp), true));
        QVariant area;
        QCOMPARE(call(d.get(), "Area", {}, &area), S_OK);
        DispatchRef rect = object(area);
        QVERIFY(rect);
        QCOMPARE(TRectClass::alive(), rects + 1);
        QCOMPARE(get(rect, "Left"), QVariant(1));
        QCOMPARE(get(rect, "Bottom"), QVariant(40));
        {
            const QVariant topLeft = get(rect, "TopLeft");
            QCOMPARE(get(object(topLeft), "X"), QVariant(1));
            QCOMPARE(get(object(topLeft), "Y"), QVariant(2));
            const QVariant bottomRight = get(rect, "bottomright");
            QCOMPARE(get(object(bottomRight), "X"), QVariant(30));
            QCOMPARE(get(object(bottomRight), "Y"), QVariant(40));
            QCOMPARE(TPointClass::alive(), points + 2);
        }
        QCOMPARE(TPointClass::alive(), points);
        QCOMPARE(put(rect, "Right", 99), S_OK);
        QCOMPARE(get(rect, "Right"), QVariant(99));
    }
    QCOMPARE(TRectClass::alive(), rects);
}

void TestAutomation::ownedInstanceDiesWithDispatch()
{
    QCOMPARE(TTestWrapper::alive, 0);
    {
        DispatchRef owned(new TAutoObjectDispatch(new TTestWrapper(qApp), true));
        DispatchRef second = owned;
        QCOMPARE(TTestWrapper::alive, 1);
        owned = DispatchRef();
        QCOMPARE(TTestWrapper::alive, 1);
    }
    QCOMPARE(TTestWrapper::alive, 0);
    auto *kept = new TTestWrapper(qApp);
    {
        DispatchRef notOwned(new TAutoObjectDispatch(kept, false));
    }
    QCOMPARE(TTestWrapper::alive, 1);
    delete kept;
}

void TestAutomation::classMapOrder()
{
    // Every class stands before its ancestors.
    const QList<TAutoRecord> &entries = ClassMap().entries();
    for (qsizetype i = 0; i < entries.size(); ++i)
        for (qsizetype j = i + 1; j < entries.size(); ++j)
            QVERIFY2(
                !entries[j].FClass->inherits(entries[i].FClass) || entries[j].FClass == entries[i].FClass,
                qPrintable(QString("%1 after %2").arg(entries[j].FClass->className(), entries[i].FClass->className())));
    QCOMPARE(ClassMap().classNames(),
             QStringList({"QApplication", "QTabWidget", "QTableWidget",   "QTableView", "QMenuBar",    "QMenu",
                          "QListWidget",  "QListView",  "QPlainTextEdit", "QTextEdit",  "QTreeWidget", "QTabBar",
                          "QWidget",      "TRectClass", "TPointClass",    "QScreen",    "TStrings",    "QAction",
                          "TTreeNodes",   "TTreeNode",  "QObject"}));
}

void TestAutomation::classMapRegistration()
{
    TClassMap map;
    map.AddClass(&QObject::staticMetaObject, wrapperClass<TObjectWrapper>());
    map.AddClass(&QWidget::staticMetaObject, wrapperClass<TWinControlWrapper>());
    map.AddClass(&QLineEdit::staticMetaObject, wrapperClass<TControlWrapper>());
    QCOMPARE(map.classNames(), QStringList({"QLineEdit", "QWidget", "QObject"}));
    try {
        map.AddClass(&QObject::staticMetaObject, wrapperClass<TObjectWrapper>());
        QFAIL("no error for a second registration");
    } catch (const NembraError &e) {
        QCOMPARE(e.message(), QStringLiteral("Class 'QObject', already in class map"));
    }
    QCOMPARE(map.classNames().size(), 3);
    QVERIFY(map.FindObjectWrapper(&QLineEdit::staticMetaObject) == wrapperClass<TControlWrapper>());
    QVERIFY(map.FindObjectWrapper(&QPlainTextEdit::staticMetaObject) == wrapperClass<TWinControlWrapper>());
    // Only the entry with both class and wrapper goes.
    map.RemoveClass(&QLineEdit::staticMetaObject, wrapperClass<TWinControlWrapper>());
    QCOMPARE(map.classNames().size(), 3);
    map.RemoveClass(&QLineEdit::staticMetaObject, wrapperClass<TControlWrapper>());
    QCOMPARE(map.classNames(), QStringList({"QWidget", "QObject"}));
    QVERIFY(map.FindObjectWrapper(&QLineEdit::staticMetaObject) == wrapperClass<TWinControlWrapper>());
}

void TestAutomation::applicationWrapperRefusesOtherObjects()
{
    QObject other;
    try {
        TApplicationWrapper w(&other);
        QFAIL("wrapper made for another object");
    } catch (const NembraError &e) {
        QCOMPARE(e.message(),
                 QStringLiteral("Automation wrapper for the Application can only be created with a TApplication"));
    }
    DispatchRef app(new TAutoObjectDispatch(new TApplicationWrapper(qApp), true));
    QCOMPARE(get(app.get(), "ExeName"), QVariant(QCoreApplication::applicationFilePath()));
    QVERIFY(object(get(app.get(), "Screen")));
}

void TestAutomation::wrappersServeQtKinds()
{
    QMainWindow form;
    form.setObjectName("Form1");
    auto *menu = form.menuBar()->addMenu("Datei");
    QAction *save = menu->addAction("Speichern");
    int clicked = 0;
    connect(save, &QAction::triggered, [&] { ++clicked; });
    auto *list = new QListWidget(&form);
    list->setObjectName("CheckListBox1");
    for (const char *name : {"A", "B"}) {
        auto *item = new QListWidgetItem(name, list);
        item->setCheckState(Qt::Unchecked);
    }
    form.setCentralWidget(list);

    DispatchRef listD(new TAutoObjectDispatch(ClassMap().FindObjectWrapper(list->metaObject()).Connect(list), true));
    QCOMPARE(QString(listD->instance()->metaObject()->className()), QStringLiteral("TCheckListBoxWrapper"));
    QCOMPARE(call(listD.get(), "SetChecked", {1, true}), S_OK);
    QCOMPARE(list->item(1)->checkState(), Qt::Checked);
    QVariant state;
    QCOMPARE(call(listD.get(), "GetState", {1}, &state), S_OK);
    QCOMPARE(state, QVariant(1));

    DispatchRef bar(new TAutoObjectDispatch(
        ClassMap().FindObjectWrapper(form.menuBar()->metaObject()).Connect(form.menuBar()), true));
    const int command = TMenuItemWrapper::commandOf(save);
    QVariant found;
    QCOMPARE(call(bar.get(), "FindItem", {command}, &found), S_OK);
    QVERIFY(object(found));
    QCOMPARE(call(object(found), "Click", {}), S_OK);
    // The item runs once the call has returned.
    QCOMPARE(clicked, 0);
    QTRY_COMPARE(clicked, 1);
    // A value that is no command identifier finds nothing, even as a position.
    QCOMPARE(call(bar.get(), "FindItem", {0}, &found), S_OK);
    QVERIFY(!object(found));
}

void TestAutomation::treeNodes()
{
    QTreeWidget tree;
    auto *plants = new QTreeWidgetItem(&tree, {"Pflanzen"});
    auto *abies = new QTreeWidgetItem(plants, {"Abies"});
    new QTreeWidgetItem(abies, {"Abies alba"});
    new QTreeWidgetItem(&tree, {"Tiere"});
    tree.setCurrentItem(abies);

    DispatchRef view(new TAutoObjectDispatch(ClassMap().FindObjectWrapper(tree.metaObject()).Connect(&tree), true));
    const DispatchRef selected = object(get(view, "Selected"));
    QCOMPARE(get(selected, "Text"), QVariant(QStringLiteral("Abies")));
    QCOMPARE(get(selected, "Level"), QVariant(1));
    QCOMPARE(get(selected, "Focused"), QVariant(true));
    QCOMPARE(get(selected, "IsVisible"), QVariant(false));
    QCOMPARE(call(selected, "Expand", {true}), S_OK);
    QVERIFY(abies->isExpanded());
    QVERIFY(plants->isExpanded() || !get(selected, "IsVisible").toBool());
    QVariant child;
    QCOMPARE(call(selected, "GetItem", {0}, &child), S_OK);
    QCOMPARE(get(object(child), "Text"), QVariant(QStringLiteral("Abies alba")));
    QCOMPARE(put(object(child), "Text", QStringLiteral("Abies alba Mill.")), S_OK);
    QCOMPARE(abies->child(0)->text(0), QStringLiteral("Abies alba Mill."));

    const DispatchRef items = object(get(view, "Items"));
    QCOMPARE(get(items, "Count"), QVariant(4));
    QVariant last;
    QCOMPARE(call(items, "GetItem", {3}, &last), S_OK);
    QCOMPARE(get(object(last), "Text"), QVariant(QStringLiteral("Tiere")));
    QCOMPARE(get(object(last), "Index"), QVariant(1));

    // A node removed from the tree gives an error, not a crash.
    delete abies;
    EXCEPINFO info;
    QCOMPARE(call(selected, "Text", {}, nullptr, &info, DISPATCH_PROPERTYGET), DISP_E_EXCEPTION);
    QCOMPARE(info.bstrDescription, QStringLiteral("Der Knoten ist nicht mehr im Baum"));
}

void TestAutomation::bridgeProtocol()
{
    QMainWindow form;
    form.setObjectName("Form1");
    auto *edit = new QLineEdit(&form);
    edit->setObjectName("Edit5");
    form.setCentralWidget(edit);
    form.show();

    ScriptBridge bridge;
    bridge.setExternalProvider([](DispatchRef &d) {
        d = DispatchRef(new TAutoObjectDispatch(new TTestWrapper(qApp), true));
        return S_OK;
    });
    auto ask = [&](const QByteArray &json) { return QJsonDocument::fromJson(bridge.handle(json)).object(); };
    QJsonObject a = ask(R"({"op":"external"})");
    QVERIFY(a["ok"].toBool());
    const int root = a["value"].toObject()["$dispatch"].toInt();
    const QByteArray r = QByteArray::number(root);

    a = ask(R"({"op":"get","obj":)" + r + R"(,"name":"newCoordinate"})");
    QVERIFY(a["value"].toObject()["$method"].toBool());
    a = ask(R"({"op":"call","obj":)" + r + R"(,"name":"newCoordinate","args":["49.45187", 6.5]})");
    QVERIFY(a["ok"].toBool());
    QCOMPARE(TTestWrapper::calls.constLast(), QStringList({"49.45187", "6.5"}));

    a = ask(R"({"op":"get","obj":)" + r + R"(,"name":"Form1"})");
    const QByteArray formId = QByteArray::number(a["value"].toObject()["$dispatch"].toInt());
    a = ask(R"({"op":"get","obj":)" + formId + R"(,"name":"Edit5"})");
    const QByteArray editId = QByteArray::number(a["value"].toObject()["$dispatch"].toInt());
    a = ask(R"({"op":"put","obj":)" + editId + R"(,"name":"Text","value":"49,45187N;6,66071E"})");
    QVERIFY(a["ok"].toBool());
    QCOMPARE(edit->text(), QStringLiteral("49,45187N;6,66071E"));

    a = ask(R"({"op":"call","obj":)" + r + R"(,"name":"Fail","args":[]})");
    QVERIFY(!a["ok"].toBool());
    QCOMPARE(a["error"].toString(), QStringLiteral("In /x/Nembra.ini kann nicht geschrieben werden"));
    a = ask(R"({"op":"get","obj":)" + r + R"(,"name":"gibtsnicht"})");
    QVERIFY(!a["ok"].toBool());

    const int live = bridge.liveObjects();
    a = ask(R"({"op":"get","obj":)" + r + R"(,"name":"Number","release":[)" + formId + "," + editId + "]}");
    QCOMPARE(a["value"].toInt(), 7);
    QCOMPARE(bridge.liveObjects(), live - 2);
    bridge.releaseAll();
    QCOMPARE(TTestWrapper::alive, 0);
}

QTEST_MAIN(TestAutomation)
#include "tst_automation.moc"
