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
    shown.append({kind, caption, text});
    if (onShow)
        onShow(shown.constLast());
    if (!answers.isEmpty())
        return answers.takeFirst();
    return kind == Kind::Confirmation ? Answer::Yes : Answer::Ok;
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
