#include "FormFont.h"

#include <QFileInfo>
#include <QFontDatabase>

bool loadFormFont()
{
    static const bool loaded = [] {
        for (const char *file : {TahomaFile, TahomaBoldFile})
            if (QFileInfo::exists(QString::fromLatin1(file)))
                QFontDatabase::addApplicationFont(QString::fromLatin1(file));
        return QFontDatabase::families().contains(QStringLiteral("Tahoma"));
    }();
    return loaded;
}

QFont formFont(int pointSize, int pixelSize)
{
    loadFormFont();
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    if (pixelSize > 0)
        font.setPixelSize(pixelSize);
    else
        font.setPointSize(pointSize);
    return font;
}
