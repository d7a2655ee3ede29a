#pragma once

#include <QString>
#include <QStringList>

// Where the program's files are. One rule:
// - portable: the folder of the executable holds RefList/ and may be written
//   to; the settings file, the lists, the draft and Data/ all lie there;
// - lists beside a read-only program (a shared or network installation, a
//   folder in /opt): the lists of RefList/ beside the executable are the
//   lists used; what the program writes (settings, draft, CSV files) goes to
//   the user's folders, as installed. A Nembra.ini beside the executable is
//   the user's first settings file when the user has none yet;
// - installed: no RefList/ beside the executable. The settings file is
//   Nembra.ini in the user's configuration folder, the lists come from the
//   user's data folder (RefList/) or else from the installed samples, the
//   draft lies in the user's data folder, and the CSV files go to "Nembra" in
//   the documents folder.
// Every folder ends with a separator.
struct AppPaths {
    bool installed = false;
    QString settingsDir;
    QStringList listDirs; // searched in order for each reference list
    QString dataDir;      // where the CSV files are proposed
    QString draftDir;
    // A settings file copied to settingsFile() by makeFolders() when the user
    // has none yet; empty for none.
    QString settingsSeed;

    // The installed sample lists (set by the build from the install prefix).
    static QString systemListDir();

    QString settingsFile() const;
    // The first of listDirs that holds the file, else the path in the first.
    QString listFile(const QString &name) const;

    // Everything beside the executable, as the tests and run.sh use it.
    static AppPaths portable(const QString &appDir);
    static AppPaths installedLayout(const QString &configDir, const QString &userDataDir, const QString &documentsDir,
                                    const QString &systemListDir = AppPaths::systemListDir());
    // The layout for an executable in exeDir that the user may or may not
    // write to, with the user's folders given.
    static AppPaths forExecutable(const QString &exeDir, bool exeDirWritable, const QString &configDir,
                                  const QString &userDataDir, const QString &documentsDir,
                                  const QString &systemListDir = AppPaths::systemListDir());
    // The same with the folder's rights as they are and the user's folders
    // from QStandardPaths.
    static AppPaths detect(const QString &exeDir);
    // Makes the folders the program writes into and copies the settings seed
    // (user's folders only).
    bool makeFolders() const;
};
