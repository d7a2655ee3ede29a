#include "Wrappers.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>

#include "NembraError.h"

namespace {

[[noreturn]] void outOfRange(int index)
{
    throw NembraError(QStringLiteral("Listenindex überschreitet das Maximum (%1)").arg(index));
}

template<class T>
T *as(QObject *o, const char *kind)
{
    T *t = qobject_cast<T *>(o);
    if (!t)
        throw NembraError(QStringLiteral("Das Objekt ist kein %1").arg(QString::fromLatin1(kind)));
    return t;
}

// Rows at the top of a table that show its header, as a string grid counts
// them (the grid says so in its dynamic property "fixedRows").
int headerRows(const QObject *table)
{
    return table->property("fixedRows").toInt();
}

QList<QWidget *> childWidgets(const QWidget *w)
{
    return w->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
}

class MemoLines : public TStrings {
public:
    explicit MemoLines(QPlainTextEdit *memo)
        : TStrings(memo)
        , memo_(memo)
    {
    }
    int count() const override { return memo_->toPlainText().isEmpty() ? 0 : int(lines().size()); }
    QString get(int index) const override
    {
        checkIndex(index);
        return lines()[index];
    }
    int add(const QString &item) override
    {
        memo_->appendPlainText(item);
        return count() - 1;
    }
    void clear() override { memo_->clear(); }
    void remove(int index) override
    {
        checkIndex(index);
        QStringList l = lines();
        l.removeAt(index);
        memo_->setPlainText(l.join(u'\n'));
    }

private:
    QStringList lines() const { return memo_->toPlainText().split(u'\n'); }
    QPlainTextEdit *memo_;
};

class TabCaptions : public TStrings {
public:
    explicit TabCaptions(QTabWidget *tabs)
        : TStrings(tabs)
        , tabs_(tabs)
    {
    }
    int count() const override { return tabs_->count(); }
    QString get(int index) const override
    {
        checkIndex(index);
        return tabs_->tabText(index);
    }
    int add(const QString &item) override { return tabs_->addTab(new QWidget, item); }
    void clear() override { tabs_->clear(); }
    void remove(int index) override
    {
        checkIndex(index);
        tabs_->removeTab(index);
    }

private:
    QTabWidget *tabs_;
};

template<class Adaptor, class Owner>
QObject *adaptorOf(Owner *owner)
{
    // One list object per control, living as long as the control.
    if (auto *existing = owner->template findChild<Adaptor *>(QString(), Qt::FindDirectChildrenOnly))
        return existing;
    return new Adaptor(owner);
}

QListWidgetItem *listItem(QObject *o, int index)
{
    auto *list = as<QListWidget>(o, "Listenfeld");
    if (index < 0 || index >= list->count())
        outOfRange(index);
    return list->item(index);
}

constexpr int HeaderRole = Qt::UserRole + 0x4E42;

QList<QAction *> allActions(const QList<QAction *> &actions)
{
    QList<QAction *> result;
    for (QAction *a : actions) {
        result.append(a);
        if (a->menu())
            result.append(allActions(a->menu()->actions()));
    }
    return result;
}

} // namespace

void TStrings::checkIndex(int index) const
{
    if (index < 0 || index >= count())
        outOfRange(index);
}

// --- TComponentWrapper ---

QObject *TComponentWrapper::GetComponent(int Index) const
{
    const QObjectList list = Members::components(FObject());
    if (Index < 0 || Index >= list.size())
        outOfRange(Index);
    return list[Index];
}

QObject *TComponentWrapper::FindComponent(const QString &AName) const
{
    const int i = Members::findComponent(FObject(), AName);
    return i < 0 ? nullptr : Members::components(FObject())[i];
}

int TComponentWrapper::ComponentCount() const
{
    return int(Members::components(FObject()).size());
}

QObject *TComponentWrapper::Owner() const
{
    QObject *o = FObject();
    if (!o || o == qApp)
        return nullptr;
    if (auto *w = qobject_cast<QWidget *>(o)) {
        // Controls belong to their window, windows to the application.
        return w->isWindow() ? static_cast<QObject *>(qApp) : w->window();
    }
    return o->parent();
}

int TComponentWrapper::ComponentIndex() const
{
    QObject *owner = Owner();
    return owner ? int(Members::components(owner).indexOf(FObject())) : -1;
}

// --- TControlWrapper ---

QWidget *TControlWrapper::widget() const
{
    return as<QWidget>(FObject(), "Steuerelement");
}

bool TControlWrapper::Enabled() const
{
    return widget()->isEnabled();
}

// A control that holds controls of its own that script can name (a panel,
// a group box, the frame of a form), not the inner parts of a single control
// (a combo box's line edit, a list's viewport and scroll bars).
static bool holdsControls(const QWidget *w)
{
    for (const QWidget *child : w->findChildren<QWidget *>()) {
        const QString name = child->objectName();
        if (!child->isWindow() && !name.isEmpty() && !name.startsWith(QLatin1String("qt_")))
            return true;
    }
    return false;
}

// Page script may change the controls, but it must never leave the user
// with a window that is hidden or that takes no input, nor with a part of
// one that holds its fields.
static void refuseForWindow(QWidget *w, bool value)
{
    if (value)
        return;
    if (w->isWindow())
        throw NembraError(QStringLiteral("Ein Fenster des Programms kann nicht ausgeblendet oder gesperrt werden"));
    if (holdsControls(w))
        throw NembraError(
            QStringLiteral("Ein Bereich eines Fensters des Programms kann nicht ausgeblendet oder gesperrt werden"));
}

void TControlWrapper::setEnabled(bool value)
{
    QWidget *w = widget();
    refuseForWindow(w, value);
    w->setEnabled(value);
}

QObject *TControlWrapper::Parent() const
{
    return widget()->parentWidget();
}

QString TControlWrapper::Text() const
{
    QWidget *w = widget();
    if (auto *e = qobject_cast<QLineEdit *>(w))
        return e->text();
    if (auto *c = qobject_cast<QComboBox *>(w))
        return c->currentText();
    if (auto *m = qobject_cast<QPlainTextEdit *>(w))
        return m->toPlainText();
    if (auto *t = qobject_cast<QTextEdit *>(w))
        return t->toPlainText();
    if (auto *l = qobject_cast<QLabel *>(w))
        return l->text();
    if (auto *b = qobject_cast<QAbstractButton *>(w))
        return b->text();
    if (auto *g = qobject_cast<QGroupBox *>(w))
        return g->title();
    return w->windowTitle();
}

void TControlWrapper::setText(const QString &value)
{
    QWidget *w = widget();
    if (auto *e = qobject_cast<QLineEdit *>(w))
        e->setText(value);
    else if (auto *c = qobject_cast<QComboBox *>(w))
        c->setEditText(value);
    else if (auto *m = qobject_cast<QPlainTextEdit *>(w))
        m->setPlainText(value);
    else if (auto *t = qobject_cast<QTextEdit *>(w))
        t->setPlainText(value);
    else if (auto *l = qobject_cast<QLabel *>(w))
        l->setText(value);
    else if (auto *b = qobject_cast<QAbstractButton *>(w))
        b->setText(value);
    else if (auto *g = qobject_cast<QGroupBox *>(w))
        g->setTitle(value);
    else
        w->setWindowTitle(value);
}

bool TControlWrapper::Visible() const
{
    return widget()->isVisible();
}

void TControlWrapper::setVisible(bool value)
{
    QWidget *w = widget();
    refuseForWindow(w, value);
    w->setVisible(value);
}

// --- TWinControlWrapper ---

QObject *TWinControlWrapper::ControlAtPos(int X, int Y) const
{
    const QList<QWidget *> children = childWidgets(widget());
    for (qsizetype i = children.size() - 1; i >= 0; --i)
        if (!children[i]->isHidden() && children[i]->geometry().contains(X, Y))
            return children[i];
    return nullptr;
}

QObject *TWinControlWrapper::GetControls(int Index) const
{
    const QList<QWidget *> children = childWidgets(widget());
    if (Index < 0 || Index >= children.size())
        outOfRange(Index);
    return children[Index];
}

bool TWinControlWrapper::HandleAllocated() const
{
    return widget()->testAttribute(Qt::WA_WState_Created);
}

int TWinControlWrapper::Handle() const
{
    QWidget *w = widget();
    // Asking for the handle creates the window; a control shares its window's.
    w->window()->winId();
    return int(w->effectiveWinId());
}

int TWinControlWrapper::ControlCount() const
{
    return int(childWidgets(widget()).size());
}

// --- TStringsWrapper ---

TStrings *TStringsWrapper::strings() const
{
    return as<TStrings>(FObject(), "Textliste");
}

QString TStringsWrapper::GetStrings(int Index) const
{
    return strings()->get(Index);
}

QObject *TStringsWrapper::GetObjects(int Index) const
{
    strings()->checkIndex(Index);
    return nullptr;
}

int TStringsWrapper::Add(const QString &Item)
{
    return strings()->add(Item);
}

void TStringsWrapper::Clear()
{
    strings()->clear();
}

void TStringsWrapper::Delete(int Index)
{
    strings()->remove(Index);
}

int TStringsWrapper::IndexOf(const QString &Item) const
{
    for (int i = 0; i < strings()->count(); ++i)
        if (strings()->get(i).compare(Item, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int TStringsWrapper::Count() const
{
    return strings()->count();
}

QObject *TMemoWrapper::Lines() const
{
    return adaptorOf<MemoLines>(as<QPlainTextEdit>(FObject(), "Memo"));
}

// --- Screen and application ---

QObject *TScreenWrapper::GetForm(int Index) const
{
    const QObjectList forms = Members::components(qApp);
    if (Index < 0 || Index >= forms.size())
        outOfRange(Index);
    return forms[Index];
}

int TScreenWrapper::FormCount() const
{
    return int(Members::components(qApp).size());
}

TApplicationWrapper::TApplicationWrapper(QObject *AObject)
    : TComponentWrapper(AObject)
{
    if (!AObject || AObject != QCoreApplication::instance())
        throw NembraError(
            QStringLiteral("Automation wrapper for the Application can only be created with a TApplication"));
}

QObject *TApplicationWrapper::GetObjFromHandle(int Handle) const
{
    return QWidget::find(WId(Handle));
}

QObject *TApplicationWrapper::MainForm() const
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (qobject_cast<QMainWindow *>(w))
            return w;
    return nullptr;
}

QString TApplicationWrapper::ExeName() const
{
    return QCoreApplication::applicationFilePath();
}

QObject *TApplicationWrapper::Screen() const
{
    return QGuiApplication::primaryScreen();
}

// --- Tab controls, grids, list boxes ---

TRectClass *TCustomTabControlWrapper::GetTabRect(int Index) const
{
    auto *tabs = as<QTabWidget>(FObject(), "Registersteuerelement");
    if (Index < 0 || Index >= tabs->count())
        outOfRange(Index);
    const QRect r = tabs->tabBar()->tabRect(Index).translated(tabs->tabBar()->pos());
    return TRectClass::fromRect(r);
}

QObject *TCustomTabControlWrapper::Tabs() const
{
    return adaptorOf<TabCaptions>(as<QTabWidget>(FObject(), "Registersteuerelement"));
}

TRectClass *TCustomGridWrapper::GetCellRect(int ACol, int ARow) const
{
    auto *view = as<QTableView>(FObject(), "Gitter");
    // A string grid counts its header as row 0.
    const int row = ARow - headerRows(view);
    const QModelIndex index = view->model() ? view->model()->index(row, ACol) : QModelIndex();
    if (!index.isValid())
        outOfRange(ARow);
    const QRect r = view->visualRect(index).translated(view->viewport()->pos());
    return TRectClass::fromRect(r);
}

QString TStringGridWrapper::GetCells(int ACol, int ARow) const
{
    auto *table = as<QTableWidget>(FObject(), "Gitter");
    const int fixed = headerRows(table);
    if (ARow < fixed) {
        const QTableWidgetItem *header = table->horizontalHeaderItem(ACol);
        return header ? header->text() : QString();
    }
    const QTableWidgetItem *item = table->item(ARow - fixed, ACol);
    return item ? item->text() : QString();
}

bool TCheckListBoxWrapper::GetChecked(int Index) const
{
    return listItem(FObject(), Index)->checkState() == Qt::Checked;
}

int TCheckListBoxWrapper::GetState(int Index) const
{
    switch (listItem(FObject(), Index)->checkState()) {
    case Qt::Unchecked:
        return 0;
    case Qt::Checked:
        return 1;
    default:
        return 2;
    }
}

bool TCheckListBoxWrapper::GetHeader(int Index) const
{
    return listItem(FObject(), Index)->data(HeaderRole).toBool();
}

bool TCheckListBoxWrapper::GetItemEnabled(int Index) const
{
    return listItem(FObject(), Index)->flags() & Qt::ItemIsEnabled;
}

void TCheckListBoxWrapper::SetChecked(int Index, bool Value)
{
    listItem(FObject(), Index)->setCheckState(Value ? Qt::Checked : Qt::Unchecked);
}

void TCheckListBoxWrapper::SetState(int Index, int Value)
{
    listItem(FObject(), Index)
        ->setCheckState(Value == 1       ? Qt::Checked
                            : Value == 2 ? Qt::PartiallyChecked
                                         : Qt::Unchecked);
}

void TCheckListBoxWrapper::SetHeader(int Index, bool Value)
{
    listItem(FObject(), Index)->setData(HeaderRole, Value);
}

void TCheckListBoxWrapper::SetItemEnabled(int Index, bool Value)
{
    QListWidgetItem *item = listItem(FObject(), Index);
    item->setFlags(Value ? item->flags() | Qt::ItemIsEnabled : item->flags() & ~Qt::ItemIsEnabled);
}

// --- Menus ---

int TMenuItemWrapper::commandOf(QAction *action)
{
    static int next = 1;
    QVariant id = action->property("nembraCommand");
    if (!id.isValid()) {
        id = next++;
        action->setProperty("nembraCommand", id);
    }
    return id.toInt();
}

QObject *TMenuWrapper::FindItem(int Index) const
{
    QWidget *menu = as<QWidget>(FObject(), "Menü");
    for (QAction *a : allActions(menu->actions()))
        if (TMenuItemWrapper::commandOf(a) == Index)
            return a;
    return nullptr;
}

QAction *TMenuItemWrapper::action() const
{
    return as<QAction>(FObject(), "Menüeintrag");
}

QObject *TMenuItemWrapper::GetItems(int Index) const
{
    const QList<QAction *> items = action()->menu() ? action()->menu()->actions() : QList<QAction *>();
    if (Index < 0 || Index >= items.size())
        outOfRange(Index);
    return items[Index];
}

void TMenuItemWrapper::Click()
{
    // A menu item may save, end the program or open a box: it runs once the
    // page's call has returned, so the page never waits on a modal box and
    // the bridge is never entered again from inside its own call.
    QAction *item = action();
    QTimer::singleShot(0, item, [item] { item->trigger(); });
}

int TMenuItemWrapper::Count() const
{
    return action()->menu() ? int(action()->menu()->actions().size()) : 0;
}

int TMenuItemWrapper::Command() const
{
    return commandOf(action());
}

QObject *TMenuItemWrapper::Parent() const
{
    for (QObject *o : action()->associatedObjects())
        if (auto *menu = qobject_cast<QMenu *>(o))
            return menu->menuAction();
    return nullptr;
}

int TMenuItemWrapper::MenuItemIndex() const
{
    for (QObject *o : action()->associatedObjects())
        if (auto *w = qobject_cast<QWidget *>(o))
            return int(w->actions().indexOf(action()));
    return -1;
}

// --- Tree views ---

struct TTreeNode::Private {
    QPointer<QTreeWidget> tree;
    // The item's place as row numbers from the top; checked on every use so
    // that a node removed from the tree gives an error, not a crash.
    QList<int> path;
    QTreeWidgetItem *item = nullptr;
};

TTreeNode::TTreeNode(QTreeWidget *tree, QTreeWidgetItem *item)
    : d(std::make_shared<Private>())
{
    d->tree = tree;
    d->item = item;
    for (QTreeWidgetItem *i = item; i; i = i->parent())
        d->path.prepend(i->parent() ? i->parent()->indexOfChild(i) : tree->indexOfTopLevelItem(i));
}

TTreeNode *TTreeNode::of(QTreeWidget *tree, QTreeWidgetItem *item)
{
    if (!tree || !item)
        return nullptr;
    // Made for one result: its wrapper owns it.
    return new TTreeNode(tree, item);
}

QTreeWidget *TTreeNode::tree() const
{
    return d->tree;
}

QTreeWidgetItem *TTreeNode::item() const
{
    QTreeWidgetItem *found = nullptr;
    if (d->tree && !d->path.isEmpty()) {
        found = d->tree->topLevelItem(d->path[0]);
        for (qsizetype i = 1; found && i < d->path.size(); ++i)
            found = found->child(d->path[i]);
    }
    if (!found || found != d->item)
        throw NembraError(QStringLiteral("Der Knoten ist nicht mehr im Baum"));
    return found;
}

TTreeNodes::TTreeNodes(QTreeWidget *tree)
    : QObject(tree)
    , tree_(tree)
{
}

QTreeWidget *TTreeNodes::tree() const
{
    return tree_;
}

QList<QTreeWidgetItem *> TTreeNodes::all() const
{
    QList<QTreeWidgetItem *> items;
    if (!tree_)
        return items;
    for (QTreeWidgetItemIterator it(tree_); *it; ++it)
        items.append(*it);
    return items;
}

QObject *TCustomTreeViewWrapper::Selected() const
{
    auto *tree = as<QTreeWidget>(FObject(), "Baum");
    return TTreeNode::of(tree, tree->currentItem());
}

QObject *TCustomTreeViewWrapper::Items() const
{
    return adaptorOf<TTreeNodes>(as<QTreeWidget>(FObject(), "Baum"));
}

QObject *TTreeNodesWrapper::GetItem(int Index) const
{
    auto *nodes = as<TTreeNodes>(FObject(), "Knotenliste");
    const QList<QTreeWidgetItem *> items = nodes->all();
    if (Index < 0 || Index >= items.size())
        outOfRange(Index);
    return TTreeNode::of(nodes->tree(), items[Index]);
}

int TTreeNodesWrapper::Count() const
{
    return int(as<TTreeNodes>(FObject(), "Knotenliste")->all().size());
}

TTreeNodeWrapper::~TTreeNodeWrapper()
{
    delete FObject();
}

TTreeNode *TTreeNodeWrapper::node() const
{
    return as<TTreeNode>(FObject(), "Knoten");
}

QObject *TTreeNodeWrapper::GetItem(int Index) const
{
    QTreeWidgetItem *item = node()->item();
    if (Index < 0 || Index >= item->childCount())
        outOfRange(Index);
    return TTreeNode::of(node()->tree(), item->child(Index));
}

void TTreeNodeWrapper::Expand(bool Recurse)
{
    QTreeWidgetItem *item = node()->item();
    if (Recurse)
        node()->tree()->expandRecursively(node()->tree()->indexFromItem(item));
    else
        item->setExpanded(true);
}

int TTreeNodeWrapper::Count() const
{
    return node()->item()->childCount();
}

QString TTreeNodeWrapper::Text() const
{
    return node()->item()->text(0);
}

void TTreeNodeWrapper::setText(const QString &value)
{
    node()->item()->setText(0, value);
}

bool TTreeNodeWrapper::Selected() const
{
    return node()->item()->isSelected();
}

void TTreeNodeWrapper::setSelected(bool value)
{
    node()->item()->setSelected(value);
}

bool TTreeNodeWrapper::Expanded() const
{
    return node()->item()->isExpanded();
}

void TTreeNodeWrapper::setExpanded(bool value)
{
    node()->item()->setExpanded(value);
}

bool TTreeNodeWrapper::HasChildren() const
{
    QTreeWidgetItem *item = node()->item();
    return item->childCount() > 0 || item->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator;
}

bool TTreeNodeWrapper::IsVisible() const
{
    QTreeWidgetItem *item = node()->item();
    if (item->isHidden())
        return false;
    for (QTreeWidgetItem *p = item->parent(); p; p = p->parent())
        if (!p->isExpanded() || p->isHidden())
            return false;
    return true;
}

int TTreeNodeWrapper::Index() const
{
    QTreeWidgetItem *item = node()->item();
    return item->parent() ? item->parent()->indexOfChild(item) : node()->tree()->indexOfTopLevelItem(item);
}

bool TTreeNodeWrapper::Focused() const
{
    return node()->tree()->currentItem() == node()->item();
}

void TTreeNodeWrapper::setFocused(bool value)
{
    if (value)
        node()->tree()->setCurrentItem(node()->item());
    else if (Focused())
        node()->tree()->setCurrentItem(nullptr);
}

int TTreeNodeWrapper::Level() const
{
    int level = 0;
    for (QTreeWidgetItem *p = node()->item()->parent(); p; p = p->parent())
        ++level;
    return level;
}

TRectClass *TTabSetWrapper::GetItemRect(int Item) const
{
    auto *tabs = as<QTabBar>(FObject(), "Register");
    if (Item < 0 || Item >= tabs->count())
        outOfRange(Item);
    return TRectClass::fromRect(tabs->tabRect(Item));
}

void registerWrappers(TClassMap &map)
{
    // Where two kinds of the original toolkit fall on one Qt class, the more
    // derived wrapper serves it: QObject is object and component, QWidget
    // control and windowed control, QListWidget list box and check-list box.
    map.AddClass(&QObject::staticMetaObject, wrapperClass<TComponentWrapper>());
    map.AddClass(&QApplication::staticMetaObject, wrapperClass<TApplicationWrapper>());
    map.AddClass(&QWidget::staticMetaObject, wrapperClass<TWinControlWrapper>());
    map.AddClass(&TRectClass::staticMetaObject, wrapperClass<TRectPointWrapper>());
    map.AddClass(&TPointClass::staticMetaObject, wrapperClass<TRectPointWrapper>());
    map.AddClass(&QScreen::staticMetaObject, wrapperClass<TScreenWrapper>());
    map.AddClass(&QTabWidget::staticMetaObject, wrapperClass<TCustomTabControlWrapper>());
    map.AddClass(&QTableView::staticMetaObject, wrapperClass<TCustomGridWrapper>());
    map.AddClass(&QTableWidget::staticMetaObject, wrapperClass<TStringGridWrapper>());
    map.AddClass(&TStrings::staticMetaObject, wrapperClass<TStringsWrapper>());
    map.AddClass(&QMenuBar::staticMetaObject, wrapperClass<TMenuWrapper>());
    map.AddClass(&QMenu::staticMetaObject, wrapperClass<TMenuWrapper>());
    map.AddClass(&QAction::staticMetaObject, wrapperClass<TMenuItemWrapper>());
    map.AddClass(&QListView::staticMetaObject, wrapperClass<TCustomListboxWrapper>());
    map.AddClass(&QListWidget::staticMetaObject, wrapperClass<TCheckListBoxWrapper>());
    map.AddClass(&QPlainTextEdit::staticMetaObject, wrapperClass<TMemoWrapper>());
    map.AddClass(&QTextEdit::staticMetaObject, wrapperClass<TMemoWrapper>());
    map.AddClass(&QTreeWidget::staticMetaObject, wrapperClass<TCustomTreeViewWrapper>());
    map.AddClass(&TTreeNodes::staticMetaObject, wrapperClass<TTreeNodesWrapper>());
    map.AddClass(&TTreeNode::staticMetaObject, wrapperClass<TTreeNodeWrapper>());
    map.AddClass(&QTabBar::staticMetaObject, wrapperClass<TTabSetWrapper>());
}
