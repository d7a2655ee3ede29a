#pragma once

#include <stdexcept>

#include <QString>

// An error that ends the current operation; the application's error box shows
// its German text and the program goes on.
class NembraError : public std::runtime_error {
public:
    explicit NembraError(const QString &message)
        : std::runtime_error(message.toStdString())
    {
    }
    QString message() const { return QString::fromUtf8(what()); }
};
