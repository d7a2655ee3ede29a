#pragma once

#include <QProcess>
#include <QString>

// Makes a file immutable for the life of the object (chattr +i): then not
// even root can replace it, which is how tests make a write fail whose
// target already exists. ok() is false where the file system cannot do it.
class ImmutableFile {
public:
    explicit ImmutableFile(QString path)
        : path_(std::move(path))
    {
        ok_ = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path_}) == 0;
    }
    ~ImmutableFile()
    {
        if (ok_)
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), path_});
    }
    ImmutableFile(const ImmutableFile &) = delete;
    ImmutableFile &operator=(const ImmutableFile &) = delete;
    bool ok() const { return ok_; }

private:
    QString path_;
    bool ok_ = false;
};
