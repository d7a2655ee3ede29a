#include "AppPaths.h"

#include <QDir>
#include <QFile>
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

AppPaths AppPaths::forExecutable(const QString &exeDir, bool exeDirWritable, const QString &configDir,
                                 const QString &userDataDir, const QString &documentsDir, const QString &systemListDir)
{
    const QString dir = folder(exeDir);
    const bool listsHere = QFileInfo(dir + QStringLiteral("RefList")).isDir();
    if (listsHere && exeDirWritable)
        return portable(dir);
    AppPaths p = installedLayout(configDir, userDataDir, documentsDir, systemListDir);
    if (listsHere) {
        p.listDirs.prepend(dir + QStringLiteral("RefList/"));
        if (QFileInfo(dir + QStringLiteral("Nembra.ini")).isFile())
            p.settingsSeed = dir + QStringLiteral("Nembra.ini");
    }
    return p;
}

AppPaths AppPaths::detect(const QString &exeDir)
{
    return forExecutable(exeDir, QFileInfo(folder(exeDir)).isWritable(),
                         QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation),
                         QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
                         QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
}

bool AppPaths::makeFolders() const
{
    bool ok = true;
    for (const QString &dir : {settingsDir, draftDir, dataDir})
        ok = QDir().mkpath(dir) && ok;
    // Copied, never moved or linked: the shared file stays as it is.
    if (!settingsSeed.isEmpty() && !QFileInfo::exists(settingsFile()) && QFile::copy(settingsSeed, settingsFile()))
        QFile::setPermissions(settingsFile(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    return ok;
}
