#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>

#include <QList>
#include <QMetaMethod>
#include <QMetaProperty>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QStringList>
#include <QVariant>

// Native objects handed to page script as late-bound dispatch objects: script
// asks for a member by name, gets a dispatch identifier, and calls it. The
// members are the Q_INVOKABLE methods and Q_PROPERTYs of an object's class
// chain, found without regard to case; a wrapper's members come before those
// of the object inside it.

using HRESULT = std::int32_t;
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = HRESULT(0x80004001u);
inline constexpr HRESULT E_NOINTERFACE = HRESULT(0x80004002u);
inline constexpr HRESULT E_FAIL = HRESULT(0x80004005u);
inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = HRESULT(0x80020003u);
inline constexpr HRESULT DISP_E_UNKNOWNNAME = HRESULT(0x80020006u);
inline constexpr HRESULT DISP_E_EXCEPTION = HRESULT(0x80020009u);
inline constexpr HRESULT DISP_E_BADPARAMCOUNT = HRESULT(0x8002000Eu);

inline constexpr int DISPID_PROPERTYPUT = -3;
inline constexpr std::uint16_t DISPATCH_METHOD = 1;
inline constexpr std::uint16_t DISPATCH_PROPERTYGET = 2;
inline constexpr std::uint16_t DISPATCH_PROPERTYPUT = 4;
inline constexpr std::uint16_t DISPATCH_PROPERTYPUTREF = 8;

class TObjectDispatch;

// A counted reference to a dispatch object: what an automation variant of
// kind VT_DISPATCH holds. The last reference released destroys the object.
class DispatchRef {
public:
    DispatchRef() = default;
    explicit DispatchRef(TObjectDispatch *d);
    DispatchRef(const DispatchRef &other);
    DispatchRef &operator=(const DispatchRef &other);
    ~DispatchRef();
    TObjectDispatch *get() const { return d_; }
    TObjectDispatch *operator->() const { return d_; }
    explicit operator bool() const { return d_ != nullptr; }
    bool operator==(const DispatchRef &other) const { return d_ == other.d_; }

private:
    TObjectDispatch *d_ = nullptr;
};
Q_DECLARE_METATYPE(DispatchRef)

// The arguments of a call: in reverse order, named ones first.
struct DISPPARAMS {
    QVariantList rgvarg;
    QList<int> rgdispidNamedArgs;
};

struct EXCEPINFO {
    QString bstrSource;
    QString bstrDescription;
    HRESULT scode = 0;
};

enum class TDispatchKind {
    dkMethod,
    dkProperty,
    dkSubComponent
};

struct TDispatchInfo {
    QPointer<QObject> Instance;
    TDispatchKind Kind = TDispatchKind::dkMethod;
    QMetaMethod MethodInfo;
    QMetaProperty PropInfo;
    int Index = -1;
};

class TObjectDispatch {
public:
    // The dispatch ID of the first member a dispatch object hands out; the
    // IDs below it are left to the standard members of the interface.
    static constexpr int FirstDispID = 100;

    TObjectDispatch(QObject *Instance, bool Owned);
    virtual ~TObjectDispatch();
    TObjectDispatch(const TObjectDispatch &) = delete;
    TObjectDispatch &operator=(const TObjectDispatch &) = delete;

    unsigned long AddRef();
    unsigned long Release();

    HRESULT GetTypeInfoCount(unsigned *count) const;
    HRESULT GetTypeInfo(unsigned index, void **info) const;
    HRESULT GetIDsOfNames(const QStringList &Names, QList<int> &DispIDs);
    HRESULT Invoke(int DispID, std::uint16_t Flags, const DISPPARAMS &Params, QVariant *VarResult,
                   EXCEPINFO *ExcepInfo);

    QObject *instance() const { return FInstance; }
    bool owned() const { return FOwned; }
    int dispatchInfoCount() const { return FDispatchInfoCount; }
    const TDispatchInfo &dispatchInfo(int i) const { return FDispatchInfos[i]; }
    // True when the member behind DispID is a method.
    bool isMethod(int DispID) const;

    virtual const char *ClassName() const { return "TObjectDispatch"; }

protected:
    virtual DispatchRef MakeObjectDispatch(QObject *Obj);
    virtual std::optional<QMetaMethod> LookupMethod(const QByteArray &Name, QObject *&Instance);
    virtual std::optional<QMetaProperty> LookupProperty(const QString &Name, QObject *&Instance, int &ChildIndex);

private:
    int allocate(const TDispatchInfo &info);
    QVariant callMethod(const TDispatchInfo &info, const DISPPARAMS &Params);
    QVariant toAutomation(const QVariant &value);

    int FDispatchInfoCount = 0;
    QList<TDispatchInfo> FDispatchInfos;
    QPointer<QObject> FInstance;
    bool FOwned;
    std::atomic<int> refCount_{0};
};

class TAutoObjectDispatch : public TObjectDispatch {
public:
    using TObjectDispatch::TObjectDispatch;
    const char *ClassName() const override { return "TAutoObjectDispatch"; }

protected:
    DispatchRef MakeObjectDispatch(QObject *Obj) override;
    std::optional<QMetaMethod> LookupMethod(const QByteArray &Name, QObject *&Instance) override;
    std::optional<QMetaProperty> LookupProperty(const QString &Name, QObject *&Instance, int &ChildIndex) override;
};

// Finding script-visible members and components.
namespace Members {
// Q_INVOKABLE methods of obj's class chain (for a wrapper, only from the
// wrapper classes on, not QObject's own).
std::optional<QMetaMethod> findMethod(const QObject *obj, const QByteArray &name);
std::optional<QMetaProperty> findProperty(const QObject *obj, const QString &name);
// The components an object owns: the application's windows, a window's
// named controls, else its named children.
QObjectList components(const QObject *obj);
int findComponent(const QObject *owner, const QString &name);
} // namespace Members

// The root of the wrapper classes: it gives script members for the object it
// wraps, which it does not own.
class TObjectWrapper : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString ClassName READ ClassName)
    Q_PROPERTY(QString ParentClass READ ParentClass)
public:
    explicit TObjectWrapper(QObject *AObject);
    QObject *FObject() const { return FObject_; }

    QString ClassName() const;
    QString ParentClass() const;
    Q_INVOKABLE bool InheritsFrom(const QString &ClassName) const;

private:
    QPointer<QObject> FObject_;
};

// What a wrapper class is to the class map: its meta-object and how to
// connect a new one to an object (which may refuse by throwing).
struct TObjectWrapperClass {
    const QMetaObject *metaObject = nullptr;
    TObjectWrapper *(*Connect)(QObject *AObject) = nullptr;
    explicit operator bool() const { return metaObject != nullptr; }
    bool operator==(const TObjectWrapperClass &o) const { return metaObject == o.metaObject; }
};

template<class Wrapper>
TObjectWrapperClass wrapperClass()
{
    return {&Wrapper::staticMetaObject, [](QObject *o) -> TObjectWrapper * { return new Wrapper(o); }};
}

class TAutoRecord {
public:
    TAutoRecord(const QMetaObject *AClass, TObjectWrapperClass AObjWrapper);
    bool Equal(const QMetaObject *AClass) const { return AClass == FClass; }
    TObjectWrapperClass GetWrapper(const QMetaObject *AClass) const;
    const QMetaObject *FClass;
    TObjectWrapperClass FObjWrapper;
};

// Native classes paired with their wrapper classes; every entry stands before
// the entries of its ancestors, so the first match is the most derived one.
class TClassMap {
public:
    void AddClass(const QMetaObject *AClass, TObjectWrapperClass AObjWrapper);
    void RemoveClass(const QMetaObject *AClass, TObjectWrapperClass AObjWrapper);
    TObjectWrapperClass FindObjectWrapper(const QMetaObject *AClass) const;
    QStringList classNames() const;
    const QList<TAutoRecord> &entries() const { return entries_; }

private:
    QList<TAutoRecord> entries_;
};

// The single class map: empty until the program registers its wrappers at
// start (registerWrappers), before any window is made.
TClassMap &ClassMap();

// A rectangle and a point as objects, for members that return them.
class TPointClass : public QObject {
    Q_OBJECT
    Q_PROPERTY(int X READ X WRITE setX)
    Q_PROPERTY(int Y READ Y WRITE setY)
public:
    explicit TPointClass(const QPoint &APoint);
    ~TPointClass() override;
    int X() const { return FPoint.x(); }
    int Y() const { return FPoint.y(); }
    void setX(int x) { FPoint.setX(x); }
    void setY(int y) { FPoint.setY(y); }
    static int alive();
    QPoint FPoint;
};

class TRectClass : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Left READ Left WRITE setLeft)
    Q_PROPERTY(int Top READ Top WRITE setTop)
    Q_PROPERTY(int Right READ Right WRITE setRight)
    Q_PROPERTY(int Bottom READ Bottom WRITE setBottom)
    Q_PROPERTY(TPointClass *TopLeft READ TopLeft)
    Q_PROPERTY(TPointClass *BottomRight READ BottomRight)
public:
    // Left, top, right, bottom as the rectangle's edges (right and bottom exclusive).
    TRectClass(int left, int top, int right, int bottom);
    static TRectClass *fromRect(const QRect &r)
    {
        return new TRectClass(r.left(), r.top(), r.right() + 1, r.bottom() + 1);
    }
    ~TRectClass() override;
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Right() const { return right_; }
    int Bottom() const { return bottom_; }
    void setLeft(int v) { left_ = v; }
    void setTop(int v) { top_ = v; }
    void setRight(int v) { right_ = v; }
    void setBottom(int v) { bottom_ = v; }
    TPointClass *TopLeft() const { return new TPointClass(QPoint(left_, top_)); }
    TPointClass *BottomRight() const { return new TPointClass(QPoint(right_, bottom_)); }
    static int alive();

private:
    int left_, top_, right_, bottom_;
};

// Owns the rectangle or point it wraps: each is made for one result.
class TRectPointWrapper : public TObjectWrapper {
    Q_OBJECT
public:
    explicit TRectPointWrapper(QObject *AObject);
    ~TRectPointWrapper() override;
};
