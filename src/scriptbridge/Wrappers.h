#pragma once

#include "Automation.h"

class QAction;

// Script members for the kinds of Qt objects the program has. Each member
// reads, writes or calls one thing of the wrapped object; objects it returns
// are wrapped anew on every call.

class TComponentWrapper : public TObjectWrapper {
    Q_OBJECT
    Q_PROPERTY(int ComponentCount READ ComponentCount)
    Q_PROPERTY(int ComponentIndex READ ComponentIndex)
    Q_PROPERTY(int DesignInfo READ DesignInfo)
    Q_PROPERTY(QObject *Owner READ Owner)
public:
    using TObjectWrapper::TObjectWrapper;
    Q_INVOKABLE QObject *GetComponent(int Index) const;
    Q_INVOKABLE QObject *FindComponent(const QString &AName) const;
    int ComponentCount() const;
    int ComponentIndex() const;
    int DesignInfo() const { return 0; }
    QObject *Owner() const;
};

class TControlWrapper : public TComponentWrapper {
    Q_OBJECT
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabled)
    Q_PROPERTY(QObject *Parent READ Parent)
    Q_PROPERTY(QString Text READ Text WRITE setText)
    Q_PROPERTY(bool Visible READ Visible WRITE setVisible)
public:
    using TComponentWrapper::TComponentWrapper;
    bool Enabled() const;
    void setEnabled(bool value);
    QObject *Parent() const;
    QString Text() const;
    void setText(const QString &value);
    bool Visible() const;
    void setVisible(bool value);

protected:
    QWidget *widget() const;
};

class TWinControlWrapper : public TControlWrapper {
    Q_OBJECT
    Q_PROPERTY(int Handle READ Handle)
    Q_PROPERTY(int ControlCount READ ControlCount)
public:
    using TControlWrapper::TControlWrapper;
    Q_INVOKABLE QObject *ControlAtPos(int X, int Y) const;
    Q_INVOKABLE QObject *GetControls(int Index) const;
    Q_INVOKABLE bool HandleAllocated() const;
    int Handle() const;
    int ControlCount() const;
};

// A list of texts as an object: memo lines, tab captions.
class TStrings : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    virtual int count() const = 0;
    virtual QString get(int index) const = 0;
    virtual int add(const QString &item) = 0;
    virtual void clear() = 0;
    virtual void remove(int index) = 0;
    void checkIndex(int index) const;
};

class TStringsWrapper : public TObjectWrapper {
    Q_OBJECT
    Q_PROPERTY(int Count READ Count)
public:
    using TObjectWrapper::TObjectWrapper;
    Q_INVOKABLE QString GetStrings(int Index) const;
    Q_INVOKABLE QObject *GetObjects(int Index) const;
    Q_INVOKABLE int Add(const QString &Item);
    Q_INVOKABLE void Clear();
    Q_INVOKABLE void Delete(int Index);
    Q_INVOKABLE int IndexOf(const QString &Item) const;
    int Count() const;

private:
    TStrings *strings() const;
};

class TMemoWrapper : public TWinControlWrapper {
    Q_OBJECT
    Q_PROPERTY(QObject *Lines READ Lines)
public:
    using TWinControlWrapper::TWinControlWrapper;
    QObject *Lines() const;
};

class TScreenWrapper : public TComponentWrapper {
    Q_OBJECT
    Q_PROPERTY(int FormCount READ FormCount)
public:
    using TComponentWrapper::TComponentWrapper;
    Q_INVOKABLE QObject *GetForm(int Index) const;
    int FormCount() const;
};

class TApplicationWrapper : public TComponentWrapper {
    Q_OBJECT
    Q_PROPERTY(int Handle READ Handle)
    Q_PROPERTY(QObject *MainForm READ MainForm)
    Q_PROPERTY(QString ExeName READ ExeName)
    Q_PROPERTY(QObject *Screen READ Screen)
public:
    // Only the application object itself can be wrapped.
    explicit TApplicationWrapper(QObject *AObject);
    Q_INVOKABLE QObject *GetObjFromHandle(int Handle) const;
    int Handle() const { return 0; }
    QObject *MainForm() const;
    QString ExeName() const;
    QObject *Screen() const;
};

class TCustomTabControlWrapper : public TWinControlWrapper {
    Q_OBJECT
    Q_PROPERTY(QObject *Tabs READ Tabs)
public:
    using TWinControlWrapper::TWinControlWrapper;
    Q_INVOKABLE TRectClass *GetTabRect(int Index) const;
    QObject *Tabs() const;
};

class TCustomGridWrapper : public TWinControlWrapper {
    Q_OBJECT
public:
    using TWinControlWrapper::TWinControlWrapper;
    Q_INVOKABLE TRectClass *GetCellRect(int ACol, int ARow) const;
};

class TStringGridWrapper : public TCustomGridWrapper {
    Q_OBJECT
public:
    using TCustomGridWrapper::TCustomGridWrapper;
    Q_INVOKABLE QString GetCells(int ACol, int ARow) const;
};

class TCustomListboxWrapper : public TWinControlWrapper {
    Q_OBJECT
public:
    using TWinControlWrapper::TWinControlWrapper;
};

class TCheckListBoxWrapper : public TCustomListboxWrapper {
    Q_OBJECT
public:
    using TCustomListboxWrapper::TCustomListboxWrapper;
    Q_INVOKABLE bool GetChecked(int Index) const;
    Q_INVOKABLE int GetState(int Index) const;
    Q_INVOKABLE bool GetHeader(int Index) const;
    Q_INVOKABLE bool GetItemEnabled(int Index) const;
    Q_INVOKABLE void SetChecked(int Index, bool Value);
    Q_INVOKABLE void SetState(int Index, int Value);
    Q_INVOKABLE void SetHeader(int Index, bool Value);
    Q_INVOKABLE void SetItemEnabled(int Index, bool Value);
};

class TMenuWrapper : public TComponentWrapper {
    Q_OBJECT
public:
    using TComponentWrapper::TComponentWrapper;
    // The item whose command identifier is Index, searched through the whole menu.
    Q_INVOKABLE QObject *FindItem(int Index) const;
};

class TMenuItemWrapper : public TComponentWrapper {
    Q_OBJECT
    Q_PROPERTY(int Handle READ Handle)
    Q_PROPERTY(int MenuItemIndex READ MenuItemIndex)
    Q_PROPERTY(int Count READ Count)
    Q_PROPERTY(int Command READ Command)
    Q_PROPERTY(QObject *Parent READ Parent)
public:
    using TComponentWrapper::TComponentWrapper;
    Q_INVOKABLE QObject *GetItems(int Index) const;
    Q_INVOKABLE void Click();
    int Handle() const { return 0; }
    int MenuItemIndex() const;
    int Count() const;
    int Command() const;
    QObject *Parent() const;
    // A menu item's command identifier, given on first use.
    static int commandOf(QAction *action);

private:
    QAction *action() const;
};

// The nodes of a tree view as objects: all nodes of the tree, and one node.
class QTreeWidget;
class QTreeWidgetItem;
class TTreeNode : public QObject {
    Q_OBJECT
public:
    TTreeNode(QTreeWidget *tree, QTreeWidgetItem *item);
    // The node's item, or an error when it is gone from the tree.
    QTreeWidgetItem *item() const;
    QTreeWidget *tree() const;
    static TTreeNode *of(QTreeWidget *tree, QTreeWidgetItem *item);

private:
    struct Private;
    std::shared_ptr<Private> d;
};

class TTreeNodes : public QObject {
    Q_OBJECT
public:
    explicit TTreeNodes(QTreeWidget *tree);
    QList<QTreeWidgetItem *> all() const;
    QTreeWidget *tree() const;

private:
    QPointer<QTreeWidget> tree_;
};

class TCustomTreeViewWrapper : public TWinControlWrapper {
    Q_OBJECT
    Q_PROPERTY(QObject *Selected READ Selected)
    // Qt's tree has no script-visible list of its nodes: this is that list.
    Q_PROPERTY(QObject *Items READ Items)
public:
    using TWinControlWrapper::TWinControlWrapper;
    QObject *Selected() const;
    QObject *Items() const;
};

class TTreeNodesWrapper : public TObjectWrapper {
    Q_OBJECT
    Q_PROPERTY(int Count READ Count)
public:
    using TObjectWrapper::TObjectWrapper;
    Q_INVOKABLE QObject *GetItem(int Index) const;
    int Count() const;
};

class TTreeNodeWrapper : public TObjectWrapper {
    Q_OBJECT
    Q_PROPERTY(int Count READ Count)
    Q_PROPERTY(QString Text READ Text WRITE setText)
    Q_PROPERTY(int SelectedIndex READ SelectedIndex)
    Q_PROPERTY(bool Selected READ Selected WRITE setSelected)
    Q_PROPERTY(bool Expanded READ Expanded WRITE setExpanded)
    Q_PROPERTY(bool HasChildren READ HasChildren)
    Q_PROPERTY(bool IsVisible READ IsVisible)
    Q_PROPERTY(int Index READ Index)
    Q_PROPERTY(bool Focused READ Focused WRITE setFocused)
    Q_PROPERTY(int Level READ Level)
public:
    using TObjectWrapper::TObjectWrapper;
    // Owns its node, which was made for the one result.
    ~TTreeNodeWrapper() override;
    Q_INVOKABLE QObject *GetItem(int Index) const;
    Q_INVOKABLE void Expand(bool Recurse);
    int Count() const;
    QString Text() const;
    void setText(const QString &value);
    int SelectedIndex() const { return 0; }
    bool Selected() const;
    void setSelected(bool value);
    bool Expanded() const;
    void setExpanded(bool value);
    bool HasChildren() const;
    bool IsVisible() const;
    int Index() const;
    bool Focused() const;
    void setFocused(bool value);
    int Level() const;

private:
    TTreeNode *node() const;
};

// A tab set: a row of tabs without pages.
class TTabSetWrapper : public TWinControlWrapper {
    Q_OBJECT
public:
    using TWinControlWrapper::TWinControlWrapper;
    Q_INVOKABLE TRectClass *GetItemRect(int Item) const;
};

// Fills the class map with the wrappers above and the rectangle/point wrapper.
void registerWrappers(TClassMap &map);
