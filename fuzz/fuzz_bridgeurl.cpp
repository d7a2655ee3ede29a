// The URLs of the bridge's scheme: any URL names a call or none, and every
// request the page encodes into the endpoint comes back as it was sent.
#include "BridgeCall.h"
#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QStringList texts = fuzzTexts(data, size, 2);
    if (const auto call = bridgeCallOf(QUrl(texts[0])))
        FUZZ_ASSERT(call->bridge > 0);
    // What encodeURIComponent makes of the request text.
    const QByteArray request = texts[1].toUtf8();
    const int bridge = 1 + int(size % 1000);
    const auto call = bridgeCallOf(QUrl(bridgeEndpoint(bridge) + QString::fromLatin1(request.toPercentEncoding())));
    FUZZ_ASSERT(call && call->bridge == bridge && call->request == request);
    return 0;
}
