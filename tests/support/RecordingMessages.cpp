#include "RecordingMessages.h"

RecordingMessages::RecordingMessages()
{
    setMessages(this);
}

RecordingMessages::~RecordingMessages()
{
    setMessages(nullptr);
}

Messages::Answer RecordingMessages::show(Kind kind, const QString &caption, const QString &text)
{
    shown.append({kind, caption, text, Buttons()});
    if (onShow)
        onShow(shown.constLast());
    if (!answers.isEmpty())
        return answers.takeFirst();
    return kind == Kind::Confirmation ? Answer::Yes : Answer::Ok;
}

Messages::Answer RecordingMessages::ask(const QString &text, const Buttons &buttons)
{
    shown.append({Kind::Confirmation, captionFor(Kind::Confirmation), text, buttons});
    if (onShow)
        onShow(shown.constLast());
    if (!answers.isEmpty())
        return answers.takeFirst();
    return Answer::Yes;
}

QString RecordingMessages::getSaveFileName(const SaveDialog &dialog)
{
    saveDialogs.append(dialog);
    return savePath;
}

QStringList RecordingMessages::texts() const
{
    QStringList result;
    for (const Shown &s : shown)
        result.append(s.text);
    return result;
}

QString RecordingMessages::getOpenFileName(const OpenDialog &dialog)
{
    openDialogs.append(dialog);
    return openPath;
}
