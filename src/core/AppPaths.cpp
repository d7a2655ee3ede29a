#include "AppPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString folder(const QString &path)
{
    return path.endsWith(u'/') ? path : path + u'/';
}

} // namespace

#ifndef NEMBRA_SYSTEM_LIST_DIR
#define NEMBRA_SYSTEM_LIST_DIR "/usr/share/nembra/RefList/"
#endif

QString AppPaths::systemListDir()
{
    return QStringLiteral(NEMBRA_SYSTEM_LIST_DIR);
}

QString AppPaths::settingsFile() const
{
    return settingsDir + QStringLiteral("Nembra.ini");
}

QString AppPaths::listFile(const QString &name) const
{
    for (const QString &dir : listDirs)
        if (QFileInfo::exists(dir + name))
            return dir + name;
    return listDirs.value(0) + name;
}

AppPaths AppPaths::portable(const QString &appDir)
{
    const QString dir = folder(appDir);
    AppPaths p;
    p.settingsDir = dir;
    p.listDirs = {dir + QStringLiteral("RefList/")};
    p.dataDir = dir + QStringLiteral("Data/");
    p.draftDir = dir;
    return p;
}

AppPaths AppPaths::installedLayout(const QString &configDir, const QString &userDataDir, const QString &documentsDir,
                                   const QString &systemListDir)
{
    AppPaths p;
    p.installed = true;
    p.settingsDir = folder(configDir);
    p.listDirs = {folder(userDataDir) + QStringLiteral("RefList/"), folder(systemListDir)};
    p.dataDir = folder(documentsDir) + QStringLiteral("Nembra/");
    p.draftDir = folder(userDataDir);
    return p;
}

AppPaths AppPaths::detect(const QString &exeDir)
{
    const QString dir = folder(exeDir);
    const QFileInfo here(dir);
    if (QFileInfo(dir + QStringLiteral("RefList")).isDir() && here.isWritable())
        return portable(dir);
    return installedLayout(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation),
                           QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
                           QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
}

bool AppPaths::makeFolders() const
{
    bool ok = true;
    for (const QString &dir : {settingsDir, draftDir, dataDir})
        ok = QDir().mkpath(dir) && ok;
    return ok;
}
