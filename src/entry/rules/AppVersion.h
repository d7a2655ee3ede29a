#pragma once

#include <cstdint>

#include <QString>

// The file version as "major.minor.release.build" from its two 32-bit halves.
QString formatFileVersion(std::uint32_t mostSignificant, std::uint32_t leastSignificant);

// The version compiled into the program from the build's project version;
// empty when the build carries none.
QString GetAppVersion();

// The program-wide version text: set when the observation form is created,
// read by the About box.
QString &appVersionText();
