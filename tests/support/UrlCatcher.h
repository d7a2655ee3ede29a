#pragma once

#include <QList>
#include <QObject>
#include <QUrl>

// Takes the URLs the program asks the desktop to open
// (QDesktopServices::setUrlHandler with the slot "open").
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened.append(url); }
};
