#include "Automation.h"

#include <cmath>
#include <limits>

#include <QApplication>
#include <QLocale>
#include <QWidget>

#include "NembraError.h"

namespace {

std::atomic<int> pointsAlive{0};
std::atomic<int> rectsAlive{0};

bool sameName(QByteArrayView a, QByteArrayView b)
{
    return QString::fromLatin1(a).compare(QString::fromLatin1(b), Qt::CaseInsensitive) == 0;
}

// A wrapper's own members start below QObject's; a plain object shows all.
const QMetaObject *stopAt(const QObject *obj)
{
    return qobject_cast<const TObjectWrapper *>(obj) ? &QObject::staticMetaObject : nullptr;
}

// Qt's own classes (QWidget, QLineEdit, QWebEngineView, ...) offer far more
// than page script needs: style sheets, URLs, window flags. Only members the
// program's own classes declare are script-visible.
bool isQtClass(const QMetaObject *mo)
{
    const char *name = mo->className();
    return name[0] == 'Q' && name[1] >= 'A' && name[1] <= 'Z';
}

bool isObjectType(QMetaType type)
{
    return type.flags().testFlag(QMetaType::PointerToQObject);
}

[[noreturn]] void fail(const QString &text)
{
    throw NembraError(text);
}

QString textOf(const QVariant &v, bool *ok)
{
    *ok = true;
    switch (v.typeId()) {
    case QMetaType::QString:
        return v.toString();
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::number(v.toDouble(), 'g', QLocale::FloatingPointShortest);
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::UChar:
        return QString::number(v.toLongLong());
    default:
        *ok = false;
        return QString();
    }
}

// The automation variant conversions: a number for a text becomes its text
// and a text for a number its value.
bool convertTo(const QVariant &in, QMetaType target, QVariant &out)
{
    bool ok = false;
    const int id = target.id();
    if (id == QMetaType::QString) {
        out = textOf(in, &ok);
        return ok;
    }
    if (id == QMetaType::Int || id == QMetaType::UChar || target.flags().testFlag(QMetaType::IsEnumeration)) {
        qlonglong value = 0;
        if (in.typeId() == QMetaType::QString)
            value = in.toString().trimmed().toLongLong(&ok);
        else if (in.typeId() == QMetaType::Double) {
            // Checked against int's range before the cast: a double beyond
            // the range of the integer type makes the cast undefined.
            const double d = in.toDouble();
            ok = d >= double(std::numeric_limits<int>::min()) && d <= double(std::numeric_limits<int>::max())
                && d == std::trunc(d);
            value = ok ? qlonglong(d) : 0;
        } else if (in.canConvert<qlonglong>()) {
            value = in.toLongLong(&ok);
        }
        if (!ok || value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
            return false;
        out = QVariant(target, nullptr);
        if (id == QMetaType::UChar)
            out = QVariant::fromValue(uchar(value));
        else if (id == QMetaType::Int)
            out = int(value);
        else {
            int asInt = int(value);
            out = QVariant(target, &asInt);
        }
        return true;
    }
    if (id == QMetaType::Bool) {
        if (in.typeId() == QMetaType::Bool) {
            out = in.toBool();
            return true;
        }
        if (in.typeId() == QMetaType::QString) {
            const QString s = in.toString().trimmed();
            if (s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
                out = true;
            else if (s.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
                out = false;
            else {
                const double d = s.toDouble(&ok);
                if (!ok)
                    return false;
                out = d != 0;
            }
            return true;
        }
        const double d = in.toDouble(&ok);
        out = ok && d != 0;
        return ok;
    }
    if (id == QMetaType::Double) {
        if (in.typeId() == QMetaType::QString) {
            const double d = in.toString().trimmed().toDouble(&ok);
            out = d;
            return ok;
        }
        out = in.toDouble(&ok);
        return ok;
    }
    out = in;
    return out.convert(target);
}

} // namespace

// --- DispatchRef ---

DispatchRef::DispatchRef(TObjectDispatch *d)
    : d_(d)
{
    if (d_)
        d_->AddRef();
}

DispatchRef::DispatchRef(const DispatchRef &other)
    : DispatchRef(other.d_)
{
}

DispatchRef &DispatchRef::operator=(const DispatchRef &other)
{
    if (other.d_)
        other.d_->AddRef();
    if (d_)
        d_->Release();
    d_ = other.d_;
    return *this;
}

DispatchRef::~DispatchRef()
{
    if (d_)
        d_->Release();
}

// --- Members ---

namespace Members {

std::optional<QMetaMethod> findMethod(const QObject *obj, const QByteArray &name)
{
    if (!obj)
        return std::nullopt;
    const QMetaObject *stop = stopAt(obj);
    for (const QMetaObject *mo = obj->metaObject(); mo && mo != stop; mo = mo->superClass()) {
        if (isQtClass(mo))
            continue;
        for (int i = mo->methodOffset(); i < mo->methodCount(); ++i) {
            const QMetaMethod m = mo->method(i);
            if (m.methodType() != QMetaMethod::Method || m.access() != QMetaMethod::Public
                || (m.attributes() & QMetaMethod::Cloned))
                continue;
            if (sameName(m.name(), name))
                return m;
        }
    }
    return std::nullopt;
}

std::optional<QMetaProperty> findProperty(const QObject *obj, const QString &name)
{
    if (!obj)
        return std::nullopt;
    const QByteArray latin = name.toLatin1();
    const QMetaObject *stop = stopAt(obj);
    for (const QMetaObject *mo = obj->metaObject(); mo && mo != stop; mo = mo->superClass()) {
        if (isQtClass(mo))
            continue;
        for (int i = mo->propertyOffset(); i < mo->propertyCount(); ++i) {
            const QMetaProperty p = mo->property(i);
            if (p.isScriptable() && sameName(p.name(), latin))
                return p;
        }
    }
    return std::nullopt;
}

namespace {

bool isNamed(const QObject *o)
{
    return !o->objectName().isEmpty() && !o->objectName().startsWith(QLatin1String("qt_"));
}

bool isWindowObject(const QObject *o)
{
    const auto *w = qobject_cast<const QWidget *>(o);
    return w && w->isWindow();
}

// The named objects below obj that belong to its window: a child window
// (the map picker made with the form as parent) keeps its controls to itself.
void collectControls(const QObject *obj, QObjectList &result)
{
    for (QObject *child : obj->children()) {
        if (isWindowObject(child))
            continue;
        if (isNamed(child))
            result.append(child);
        collectControls(child, result);
    }
}

} // namespace

QObjectList components(const QObject *obj)
{
    QObjectList result;
    if (!obj)
        return result;
    if (obj == QCoreApplication::instance()) {
        // The application owns the program's windows, dialogs with a parent
        // window included; pop-up menus and tool tips are no windows of it.
        QList<QWidget *> windows = QApplication::topLevelWidgets();
        std::sort(windows.begin(), windows.end(),
                  [](const QWidget *a, const QWidget *b) { return a->objectName() < b->objectName(); });
        for (QWidget *w : windows) {
            const Qt::WindowType type = w->windowType();
            if (isNamed(w) && (type == Qt::Window || type == Qt::Dialog))
                result.append(w);
        }
        return result;
    }
    // A window owns every named control on it, as a designed form does.
    if (isWindowObject(obj)) {
        collectControls(obj, result);
        return result;
    }
    for (QObject *child : obj->children())
        if (isNamed(child) && !isWindowObject(child))
            result.append(child);
    return result;
}

int findComponent(const QObject *owner, const QString &name)
{
    const QObjectList list = components(owner);
    for (int i = 0; i < list.size(); ++i)
        if (list[i]->objectName().compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

} // namespace Members

// --- TObjectDispatch ---

TObjectDispatch::TObjectDispatch(QObject *Instance, bool Owned)
    : FInstance(Instance)
    , FOwned(Owned)
{
}

TObjectDispatch::~TObjectDispatch()
{
    if (FOwned && FInstance)
        delete FInstance.data();
}

unsigned long TObjectDispatch::AddRef()
{
    return unsigned(++refCount_);
}

unsigned long TObjectDispatch::Release()
{
    const int left = --refCount_;
    if (left == 0)
        delete this;
    return unsigned(left);
}

HRESULT TObjectDispatch::GetTypeInfoCount(unsigned *) const
{
    return E_NOTIMPL;
}

HRESULT TObjectDispatch::GetTypeInfo(unsigned, void **) const
{
    return E_NOTIMPL;
}

bool TObjectDispatch::isMethod(int DispID) const
{
    const int i = DispID - FirstDispID;
    return i >= 0 && i < FDispatchInfoCount && FDispatchInfos[i].Kind == TDispatchKind::dkMethod;
}

int TObjectDispatch::allocate(const TDispatchInfo &info)
{
    for (int i = FDispatchInfoCount - 1; i >= 0; --i) {
        const TDispatchInfo &e = FDispatchInfos[i];
        if (e.Kind != info.Kind)
            continue;
        const bool same = info.Kind == TDispatchKind::dkMethod ? e.MethodInfo == info.MethodInfo
            : info.Kind == TDispatchKind::dkProperty
            ? e.PropInfo.enclosingMetaObject() == info.PropInfo.enclosingMetaObject()
                && e.PropInfo.propertyIndex() == info.PropInfo.propertyIndex()
            : e.Index == info.Index;
        if (same)
            return FirstDispID + i;
    }
    if (FDispatchInfoCount == FDispatchInfos.size())
        FDispatchInfos.resize(FDispatchInfos.size() + 10);
    FDispatchInfos[FDispatchInfoCount] = info;
    return FirstDispID + FDispatchInfoCount++;
}

HRESULT TObjectDispatch::GetIDsOfNames(const QStringList &Names, QList<int> &DispIDs)
{
    DispIDs = QList<int>(Names.size(), -1);
    if (Names.isEmpty())
        return DISP_E_UNKNOWNNAME;
    QObject *instance = nullptr;
    if (const auto method = LookupMethod(Names[0].toUtf8(), instance)) {
        TDispatchInfo info;
        info.Instance = instance;
        info.Kind = TDispatchKind::dkMethod;
        info.MethodInfo = *method;
        DispIDs[0] = allocate(info);
        HRESULT result = S_OK;
        const QList<QByteArray> params = method->parameterNames();
        for (qsizetype n = 1; n < Names.size(); ++n) {
            if (Names[n].compare(QLatin1String("Self"), Qt::CaseInsensitive) == 0) {
                DispIDs[n] = 0;
                continue;
            }
            bool found = false;
            for (qsizetype p = 0; p < params.size() && !found; ++p)
                if (sameName(params[p], Names[n].toLatin1())) {
                    DispIDs[n] = int(p + 1);
                    found = true;
                }
            if (!found)
                result = DISP_E_UNKNOWNNAME;
        }
        return result;
    }
    instance = nullptr;
    int childIndex = -1;
    const auto property = LookupProperty(Names[0], instance, childIndex);
    TDispatchInfo info;
    info.Instance = instance;
    if (property) {
        info.Kind = TDispatchKind::dkProperty;
        info.PropInfo = *property;
    } else if (childIndex >= 0) {
        info.Kind = TDispatchKind::dkSubComponent;
        info.Index = childIndex;
    } else {
        return DISP_E_UNKNOWNNAME;
    }
    DispIDs[0] = allocate(info);
    return S_OK;
}

QVariant TObjectDispatch::toAutomation(const QVariant &value)
{
    const QMetaType type = value.metaType();
    if (isObjectType(type)) {
        QObject *obj = *static_cast<QObject *const *>(value.constData());
        if (!obj)
            return QVariant();
        const DispatchRef made = MakeObjectDispatch(obj);
        return made ? QVariant::fromValue(made) : QVariant();
    }
    if (type.flags().testFlag(QMetaType::IsEnumeration))
        return QVariant::fromValue(uchar(*static_cast<const int *>(value.constData())));
    return value;
}

QVariant TObjectDispatch::callMethod(const TDispatchInfo &info, const DISPPARAMS &Params)
{
    const QMetaMethod &m = info.MethodInfo;
    const QString name = QString::fromLatin1(m.name());
    const int paramCount = m.parameterCount();
    if (paramCount + 1 >= 32)
        fail(QStringLiteral("Methodendefinition für %1 hat mehr als %2 Parameter").arg(name).arg(32));
    const qsizetype total = Params.rgvarg.size();
    const qsizetype named = Params.rgdispidNamedArgs.size();
    if (total > paramCount)
        fail(QStringLiteral("Zu viele Parameter für Methode %1").arg(name));
    QList<std::optional<QVariant>> given(paramCount);
    for (qsizetype i = 0; i < named && i < total; ++i) {
        const int dispId = Params.rgdispidNamedArgs[i];
        if (dispId < 1 || dispId > paramCount)
            fail(QStringLiteral("Ungültige DispID für Parameter %1 in Methode %2").arg(i + 1).arg(name));
        given[dispId - 1] = Params.rgvarg[i];
    }
    for (qsizetype k = 0; k < total - named; ++k)
        given[k] = Params.rgvarg[total - 1 - k];

    QVariantList values;
    for (int p = 0; p < paramCount; ++p) {
        if (!given[p])
            fail(QStringLiteral("Parameter %1 erforderlich für Methode %2").arg(p + 1).arg(name));
        QVariant converted;
        if (!convertTo(*given[p], m.parameterMetaType(p), converted))
            fail(QStringLiteral("Keine Übereinstimmung in Parameter %1 für Methode %2").arg(p + 1).arg(name));
        values.append(converted);
    }
    QGenericArgument args[10];
    for (int p = 0; p < paramCount && p < 10; ++p)
        args[p] = QGenericArgument(m.parameterMetaType(p).name(), values[p].constData());
    QVariant result;
    QGenericReturnArgument ret;
    if (m.returnMetaType().isValid() && m.returnMetaType().id() != QMetaType::Void) {
        result = QVariant(m.returnMetaType(), nullptr);
        ret = QGenericReturnArgument(m.returnMetaType().name(), result.data());
    }
    if (!m.invoke(info.Instance.data(), Qt::DirectConnection, ret, args[0], args[1], args[2], args[3], args[4], args[5],
                  args[6], args[7], args[8], args[9]))
        fail(QStringLiteral("Methode %1 kann nicht aufgerufen werden").arg(name));
    return toAutomation(result);
}

HRESULT TObjectDispatch::Invoke(int DispID, std::uint16_t Flags, const DISPPARAMS &Params, QVariant *VarResult,
                                EXCEPINFO *ExcepInfo)
{
    const int index = DispID - FirstDispID;
    if (index < 0 || index >= FDispatchInfoCount)
        return DISP_E_MEMBERNOTFOUND;
    QVariant scratch;
    QVariant &result = VarResult ? *VarResult : scratch;
    const TDispatchInfo info = FDispatchInfos[index];
    try {
        if (!info.Instance)
            fail(QStringLiteral("Das Objekt existiert nicht mehr"));
        switch (info.Kind) {
        case TDispatchKind::dkMethod:
            result = callMethod(info, Params);
            return S_OK;
        case TDispatchKind::dkProperty:
            if (Flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
                if (Params.rgdispidNamedArgs.size() != 1 || Params.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT
                    || Params.rgvarg.isEmpty())
                    return DISP_E_MEMBERNOTFOUND;
                QVariant converted;
                if (!convertTo(Params.rgvarg[0], info.PropInfo.metaType(), converted)
                    || !info.PropInfo.write(info.Instance.data(), converted))
                    fail(QStringLiteral("Eigenschaft %1 kann nicht geschrieben werden")
                             .arg(QString::fromLatin1(info.PropInfo.name())));
                return S_OK;
            }
            if (!Params.rgvarg.isEmpty())
                return DISP_E_BADPARAMCOUNT;
            result = toAutomation(info.PropInfo.read(info.Instance.data()));
            return S_OK;
        case TDispatchKind::dkSubComponent: {
            const QObjectList children = Members::components(info.Instance.data());
            if (info.Index >= children.size())
                fail(QStringLiteral("Komponente %1 existiert nicht mehr").arg(info.Index));
            const DispatchRef made = MakeObjectDispatch(children[info.Index]);
            result = made ? QVariant::fromValue(made) : QVariant();
            return S_OK;
        }
        }
    } catch (const std::exception &error) {
        if (ExcepInfo) {
            *ExcepInfo = EXCEPINFO();
            ExcepInfo->bstrSource = QString::fromLatin1(ClassName());
            ExcepInfo->bstrDescription = QString::fromUtf8(error.what());
            ExcepInfo->scode = E_FAIL;
        }
        return DISP_E_EXCEPTION;
    }
    return DISP_E_MEMBERNOTFOUND;
}

DispatchRef TObjectDispatch::MakeObjectDispatch(QObject *)
{
    return DispatchRef();
}

std::optional<QMetaMethod> TObjectDispatch::LookupMethod(const QByteArray &Name, QObject *&Instance)
{
    Instance = FInstance;
    return Members::findMethod(FInstance, Name);
}

std::optional<QMetaProperty> TObjectDispatch::LookupProperty(const QString &Name, QObject *&Instance, int &ChildIndex)
{
    ChildIndex = -1;
    Instance = FInstance;
    if (auto p = Members::findProperty(FInstance, Name))
        return p;
    ChildIndex = Members::findComponent(FInstance, Name);
    return std::nullopt;
}

// --- TAutoObjectDispatch ---

DispatchRef TAutoObjectDispatch::MakeObjectDispatch(QObject *Obj)
{
    const TObjectWrapperClass wrapper = ClassMap().FindObjectWrapper(Obj->metaObject());
    if (!wrapper)
        return DispatchRef();
    TObjectWrapper *made = wrapper.Connect(Obj);
    return DispatchRef(new TAutoObjectDispatch(made, true));
}

std::optional<QMetaMethod> TAutoObjectDispatch::LookupMethod(const QByteArray &Name, QObject *&Instance)
{
    if (auto m = Members::findMethod(instance(), Name)) {
        Instance = instance();
        return m;
    }
    if (auto *wrapper = qobject_cast<TObjectWrapper *>(instance())) {
        if (auto m = Members::findMethod(wrapper->FObject(), Name)) {
            Instance = wrapper->FObject();
            return m;
        }
    }
    return std::nullopt;
}

std::optional<QMetaProperty> TAutoObjectDispatch::LookupProperty(const QString &Name, QObject *&Instance,
                                                                 int &ChildIndex)
{
    ChildIndex = -1;
    if (auto p = Members::findProperty(instance(), Name)) {
        Instance = instance();
        return p;
    }
    auto *wrapper = qobject_cast<TObjectWrapper *>(instance());
    if (!wrapper) {
        ChildIndex = Members::findComponent(instance(), Name);
        Instance = instance();
        return std::nullopt;
    }
    QObject *inner = wrapper->FObject();
    if (auto p = Members::findProperty(inner, Name)) {
        Instance = inner;
        return p;
    }
    Instance = inner;
    ChildIndex = Members::findComponent(inner, Name);
    return std::nullopt;
}

// --- TObjectWrapper ---

TObjectWrapper::TObjectWrapper(QObject *AObject)
    : FObject_(AObject)
{
}

QString TObjectWrapper::ClassName() const
{
    return FObject_ ? QString::fromLatin1(FObject_->metaObject()->className()) : QString();
}

QString TObjectWrapper::ParentClass() const
{
    if (!FObject_ || !FObject_->metaObject()->superClass())
        return QString();
    return QString::fromLatin1(FObject_->metaObject()->superClass()->className());
}

bool TObjectWrapper::InheritsFrom(const QString &ClassName) const
{
    for (const QMetaObject *mo = FObject_ ? FObject_->metaObject() : nullptr; mo; mo = mo->superClass())
        if (QString::fromLatin1(mo->className()).compare(ClassName, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// --- Class map ---

TAutoRecord::TAutoRecord(const QMetaObject *AClass, TObjectWrapperClass AObjWrapper)
    : FClass(AClass)
    , FObjWrapper(AObjWrapper)
{
}

TObjectWrapperClass TAutoRecord::GetWrapper(const QMetaObject *AClass) const
{
    return AClass->inherits(FClass) ? FObjWrapper : TObjectWrapperClass();
}

void TClassMap::AddClass(const QMetaObject *AClass, TObjectWrapperClass AObjWrapper)
{
    for (qsizetype i = 0; i < entries_.size(); ++i) {
        if (!AClass->inherits(entries_[i].FClass))
            continue;
        if (entries_[i].Equal(AClass))
            throw NembraError(
                QStringLiteral("Class '%1', already in class map").arg(QString::fromLatin1(AClass->className())));
        entries_.insert(i, TAutoRecord(AClass, AObjWrapper));
        return;
    }
    entries_.append(TAutoRecord(AClass, AObjWrapper));
}

void TClassMap::RemoveClass(const QMetaObject *AClass, TObjectWrapperClass AObjWrapper)
{
    for (qsizetype i = entries_.size() - 1; i >= 0; --i)
        if (entries_[i].Equal(AClass) && entries_[i].FObjWrapper == AObjWrapper)
            entries_.removeAt(i);
}

TObjectWrapperClass TClassMap::FindObjectWrapper(const QMetaObject *AClass) const
{
    for (const TAutoRecord &entry : entries_)
        if (const TObjectWrapperClass w = entry.GetWrapper(AClass))
            return w;
    return TObjectWrapperClass();
}

QStringList TClassMap::classNames() const
{
    QStringList names;
    for (const TAutoRecord &entry : entries_)
        names.append(QString::fromLatin1(entry.FClass->className()));
    return names;
}

// --- Rectangles and points ---

TPointClass::TPointClass(const QPoint &APoint)
    : FPoint(APoint)
{
    ++pointsAlive;
}

TPointClass::~TPointClass()
{
    --pointsAlive;
}

int TPointClass::alive()
{
    return pointsAlive;
}

TRectClass::TRectClass(int left, int top, int right, int bottom)
    : left_(left)
    , top_(top)
    , right_(right)
    , bottom_(bottom)
{
    ++rectsAlive;
}

TRectClass::~TRectClass()
{
    --rectsAlive;
}

int TRectClass::alive()
{
    return rectsAlive;
}

TRectPointWrapper::TRectPointWrapper(QObject *AObject)
    : TObjectWrapper(AObject)
{
}

TRectPointWrapper::~TRectPointWrapper()
{
    delete FObject();
}

TClassMap &ClassMap()
{
    // Filled by the program at start (registerWrappers), before any window.
    static TClassMap *map = new TClassMap;
    return *map;
}
