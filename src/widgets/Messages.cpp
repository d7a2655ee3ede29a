#include "Messages.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {
Messages *installed = nullptr;
} // namespace

QString Messages::captionFor(Kind kind)
{
    switch (kind) {
    case Kind::Warning:
        return QStringLiteral("Warnung");
    case Kind::Error:
        return QStringLiteral("Fehler");
    case Kind::Information:
        return QStringLiteral("Informationen");
    case Kind::Confirmation:
        return QStringLiteral("Bestätigen");
    case Kind::InputCheck:
        return QStringLiteral("Eingabekontrolle");
    case Kind::AppMessage:
    case Kind::AppError:
        break;
    }
    return QGuiApplication::applicationDisplayName();
}

Messages &messages()
{
    static DesktopMessages desktop;
    return installed ? *installed : desktop;
}

void setMessages(Messages *m)
{
    installed = m;
}

namespace {

// Texts break their lines with "\n\r" as the program writes them.
void setTexts(QMessageBox &box, const QString &caption, const QString &text)
{
    box.setWindowTitle(caption);
    QString shown = text;
    shown.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
    box.setText(shown);
}

Messages::Answer askIn(QMessageBox &box, const Messages::Buttons &buttons)
{
    QPushButton *yes = box.addButton(buttons.yes, QMessageBox::YesRole);
    QPushButton *cancel = box.addButton(buttons.no, QMessageBox::RejectRole);
    box.setDefaultButton(buttons.yesIsDefault ? yes : cancel);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == yes ? Messages::Answer::Yes : Messages::Answer::Cancel;
}

} // namespace

Messages::Answer DesktopMessages::show(Kind kind, const QString &caption, const QString &text)
{
    QMessageBox box;
    setTexts(box, caption, text);
    switch (kind) {
    case Kind::Warning:
    case Kind::InputCheck:
        box.setIcon(QMessageBox::Warning);
        break;
    case Kind::Error:
    case Kind::AppError:
        box.setIcon(QMessageBox::Critical);
        break;
    case Kind::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Kind::Confirmation:
        box.setIcon(QMessageBox::Question);
        break;
    case Kind::AppMessage:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    if (kind == Kind::Confirmation)
        return askIn(box, Buttons());
    QPushButton *ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
    return Answer::Ok;
}

Messages::Answer DesktopMessages::ask(const QString &text, const Buttons &buttons)
{
    QMessageBox box;
    setTexts(box, captionFor(Kind::Confirmation), text);
    box.setIcon(QMessageBox::Question);
    return askIn(box, buttons);
}

QString DesktopMessages::getSaveFileName(const SaveDialog &dialog)
{
    QFileDialog fileDialog(QApplication::activeWindow(), dialog.title, dialog.directory);
    fileDialog.setAcceptMode(QFileDialog::AcceptSave);
    fileDialog.setFileMode(QFileDialog::AnyFile);
    // The form asks before it replaces a file, once the name is complete.
    fileDialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    fileDialog.setNameFilter(dialog.filterName + QStringLiteral(" (") + dialog.filterPattern + u')');
    fileDialog.setDefaultSuffix(dialog.defaultSuffix);
    fileDialog.selectFile(dialog.fileName);
    fileDialog.setSizeGripEnabled(true);
    if (fileDialog.exec() != QDialog::Accepted || fileDialog.selectedFiles().isEmpty())
        return QString();
    return fileDialog.selectedFiles().constFirst();
}

QString DesktopMessages::getOpenFileName(const OpenDialog &dialog)
{
    QFileDialog fileDialog(QApplication::activeWindow(), dialog.title, dialog.directory);
    fileDialog.setAcceptMode(QFileDialog::AcceptOpen);
    fileDialog.setFileMode(QFileDialog::ExistingFile);
    fileDialog.setNameFilters(dialog.filters);
    fileDialog.setSizeGripEnabled(true);
    if (fileDialog.exec() != QDialog::Accepted || fileDialog.selectedFiles().isEmpty())
        return QString();
    return fileDialog.selectedFiles().constFirst();
}
