#pragma once

#include <QFont>
#include <QWidget>

// The forms are laid out for Tahoma 8 pt. Linux has no Tahoma, but Debian's
// fonts-wine ships a font of the same name and metrics outside fontconfig's
// path: loadFormFont makes it known to the program when it is there. Without
// it a sans-serif of similar width stands in.
inline constexpr auto TahomaFile = "/usr/share/wine/fonts/tahoma.ttf";
inline constexpr auto TahomaBoldFile = "/usr/share/wine/fonts/tahomabd.ttf";

// Loads the Tahoma-compatible font (once); true when Tahoma is available.
bool loadFormFont();

// The program's font at pointSize, or at pixelSize pixels when given.
QFont formFont(int pointSize, int pixelSize = 0);

// Gives a window the program's font.
inline void applyFormFont(QWidget *window, int pointSize, int pixelSize = 0)
{
    window->setFont(formFont(pointSize, pixelSize));
}
