#pragma once

#include <QFont>
#include <QWidget>

// Tahoma where installed; else a sans-serif of the same metrics, so the texts
// fit the positions the forms are laid out for. Size in points, or in pixels
// when pixelSize is given.
inline void applyFormFont(QWidget *window, int pointSize, int pixelSize = 0)
{
    QFont font = window->font();
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    if (pixelSize > 0)
        font.setPixelSize(pixelSize);
    else
        font.setPointSize(pointSize);
    window->setFont(font);
}
