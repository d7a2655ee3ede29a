#include "ReferenceSystem.h"

namespace {

struct Code {
    const char *text;
    ReferenceSystem system;
};

ReferenceSystem firstContained(const QString &comboText, std::initializer_list<Code> order)
{
    for (const Code &code : order)
        if (comboText.contains(QLatin1String(code.text)))
            return code.system;
    return ReferenceSystem::None;
}

} // namespace

ReferenceSystem spatialReferenceSystem(const QString &comboText)
{
    using R = ReferenceSystem;
    return firstContained(comboText,
                          {{"GKr2", R::GKr2},
                           {"GKr3", R::GKr3},
                           {"GKr4", R::GKr4},
                           {"GKr5", R::GKr5},
                           {"QYX", R::QYX},
                           {"QQQ", R::QQQ},
                           {"LTLN", R::LTLN}});
}

ReferenceSystem gridSystem(const QString &comboText)
{
    return firstContained(comboText, {{"QYX", ReferenceSystem::QYX}, {"QQQ", ReferenceSystem::QQQ}});
}

int gaussKruegerStrip(ReferenceSystem system)
{
    switch (system) {
    case ReferenceSystem::GKr2:
        return 2;
    case ReferenceSystem::GKr3:
        return 3;
    case ReferenceSystem::GKr4:
        return 4;
    case ReferenceSystem::GKr5:
        return 5;
    default:
        return 0;
    }
}

QString notationExample(ReferenceSystem system)
{
    if (const int strip = gaussKruegerStrip(system))
        return QString::number(strip) + QStringLiteral("512345;5412345");
    switch (system) {
    case ReferenceSystem::LTLN:
        return QStringLiteral("49,45187N;6,66072E");
    case ReferenceSystem::QQQ:
        return QStringLiteral("5408/132");
    case ReferenceSystem::QYX:
        return QStringLiteral("5408/235");
    default:
        return QString();
    }
}
