// List-file decoding: any bytes decode, split into lines without line ends,
// and a text encoded as UTF-8 with its mark decodes to itself.
#include "FuzzInput.h"
#include "TextFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const DecodedText decoded = decodeText(bytes);
    for (const QString &line : splitLines(decoded.text))
        FUZZ_ASSERT(!line.contains(u'\r') && !line.contains(u'\n'));
    // Lone surrogates from broken UTF-16 have no UTF-8 form; all else does.
    bool surrogates = false;
    for (QChar c : decoded.text)
        surrogates = surrogates || c.isSurrogate();
    if (!surrogates) {
        const DecodedText again = decodeText(encodeText(decoded.text, TextEncoding::Utf8Bom));
        FUZZ_ASSERT(again.text == decoded.text);
    }
    return 0;
}
