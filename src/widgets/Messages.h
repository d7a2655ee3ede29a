#pragma once

#include <QString>
#include <QStringList>

// The one way the program shows message boxes and the save dialog. The program
// installs the boxes of the desktop; tests install a recorder that answers as
// programmed, so no logic ever waits on a real modal box under test.
class Messages {
public:
    enum class Kind {
        Warning,      // "Warnung", warning icon, "OK"
        Error,        // "Fehler", error icon, "OK"
        Information,  // "Informationen", information icon, "OK"
        Confirmation, // "Bestätigen", question icon, "&Ja" and "Abbrechen"
        InputCheck,   // "Eingabekontrolle", exclamation icon, "OK"
        AppMessage,   // application title, no icon, "OK"
        AppError,     // application title, error icon, "OK": errors no operation caught
    };
    enum class Answer {
        Ok,
        Yes,
        Cancel
    };

    struct SaveDialog {
        QString title;
        QString directory;
        QString filterName;
        QString filterPattern;
        QString defaultSuffix;
        QString fileName;
    };

    // A file to read: the filters as "Name (*.a *.b)", the first chosen.
    struct OpenDialog {
        QString title;
        QString directory;
        QStringList filters;
    };

    // A question of kind Confirmation whose buttons say what they do, and
    // whose default (what Enter presses) may be the cautious one.
    struct Buttons {
        QString yes = QStringLiteral("&Ja");
        QString no = QStringLiteral("Abbrechen");
        bool yesIsDefault = true;
    };

    virtual ~Messages() = default;

    // Texts break lines with "\n\r" as the program writes them; the box shows
    // them as line breaks.
    virtual Answer show(Kind kind, const QString &caption, const QString &text) = 0;

    // Yes for the first button, Cancel for the second (and for Esc).
    virtual Answer ask(const QString &text, const Buttons &buttons) = 0;

    // The chosen full path, or an empty text when the user cancelled.
    virtual QString getSaveFileName(const SaveDialog &dialog) = 0;
    // The chosen existing file, or an empty text when the user cancelled.
    virtual QString getOpenFileName(const OpenDialog &dialog) = 0;

    Answer show(Kind kind, const QString &text) { return show(kind, captionFor(kind), text); }
    static QString captionFor(Kind kind);
};

// The installed seam; the desktop boxes unless something else was installed.
Messages &messages();
// Installs m (not owned); nullptr restores the desktop boxes.
void setMessages(Messages *m);

class DesktopMessages : public Messages {
public:
    using Messages::show;
    Answer show(Kind kind, const QString &caption, const QString &text) override;
    Answer ask(const QString &text, const Buttons &buttons) override;
    QString getSaveFileName(const SaveDialog &dialog) override;
    QString getOpenFileName(const OpenDialog &dialog) override;
};
