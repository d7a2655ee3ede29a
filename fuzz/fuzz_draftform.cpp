// Restoring a draft into the form: any draft the file reader accepts goes
// into the form without a crash, and what the form then holds, restored
// once more, stays as it is.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "DozadiRad.h"
#include "FuzzInput.h"
#include "Messages.h"

namespace {

// Answers every box without showing it.
class SilentMessages : public Messages {
public:
    using Messages::show;
    Answer show(Kind, const QString &, const QString &) override { return Answer::Ok; }
    Answer ask(const QString &, const Buttons &) override { return Answer::Cancel; }
    QString getSaveFileName(const SaveDialog &) override { return QString(); }
    QString getOpenFileName(const OpenDialog &) override { return QString(); }
};

TForm1 *form = nullptr;

} // namespace

// The application and the form once, before the first input.
extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(*argc, *argv);
    static SilentMessages silent;
    setMessages(&silent);
    static QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("RefList"));
    QDir(dir.path()).mkpath(QStringLiteral("Data"));
    const auto write = [&](const char *name, const QByteArray &bytes) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
    };
    write("RefList/TaxList.txt", "Abies alba\r\nAchillea millefolium\r\n");
    write("RefList/QuarnelList.txt", "M\xfcller, Hans\r\nB\xf6hm, K\xe4the\r\n");
    form = new TForm1(AppPaths::portable(dir.path()));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto draft = Draft::fromBytes(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!draft)
        return 0;
    form->restoreDraft(*draft);
    const RecordDraft held = form->captureDraft();
    form->restoreDraft(held);
    const RecordDraft again = form->captureDraft();
    FUZZ_ASSERT(again == held);
    return 0;
}
