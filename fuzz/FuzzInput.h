#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <QByteArray>
#include <QString>
#include <QStringList>

// Splits a fuzzer's input into texts at NUL bytes, so one input can carry
// several arguments.
inline QStringList fuzzTexts(const uint8_t *data, size_t size, int count)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QStringList parts;
    for (const QByteArray &part : bytes.split('\0'))
        parts.append(QString::fromUtf8(part));
    while (parts.size() < count)
        parts.append(QString());
    return parts;
}

// A property that must hold: a crash for the fuzzer when it does not.
#define FUZZ_ASSERT(condition, ...)                                                                                    \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "property failed: %s\n", #condition);                                                 \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (false)
