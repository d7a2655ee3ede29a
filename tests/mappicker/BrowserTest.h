#pragma once

#include <memory>

#include <dlfcn.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineView>

#include "MapService.h"
#include "Wrappers.h"

// Helpers of the tests that run a real browser view (under Xvfb).
namespace BrowserTest {

// Before the application object: the program's schemes, no sandbox (tests
// run as root), and a browser that reaches nothing outside the machine.
inline void prepare()
{
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
            "--disable-background-networking --disable-component-update "
            "--no-proxy-server --disable-gpu");
    MapService::registerSchemes();
    // The browser's tile cache goes into a folder of the test's own.
    static QTemporaryDir cache;
    qputenv("XDG_CACHE_HOME", cache.path().toLocal8Bit());
    // Mesa's software GL driver, which Xvfb's GLX loads, stays loaded to the
    // end: unloaded at exit, what it holds would show as leaks of a module
    // that is gone and cannot be named.
    for (const char *driver : {"/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", "/usr/lib/dri/swrast_dri.so"})
        if (dlopen(driver, RTLD_NOW | RTLD_NODELETE))
            break;
}

// After it: tiles from a port on this machine where nothing listens.
inline void offline()
{
    MapService::Config &c = MapService::config();
    c.satellite.url = QStringLiteral("http://127.0.0.1:9/sat/{z}/{x}/{y}");
    c.street.url = QStringLiteral("http://127.0.0.1:9/street/{z}/{x}/{y}");
}

// Evaluates script in the page's main world and waits for its value.
inline QVariant eval(QWebEnginePage *page, const QString &script, int timeoutMs = 5000)
{
    // Shared with the callback, which a page may call late (or from its
    // destructor, after its renderer died) when this wait gave up.
    struct Outcome {
        QVariant value;
        bool done = false;
        QPointer<QEventLoop> loop;
    };
    auto outcome = std::make_shared<Outcome>();
    QEventLoop loop;
    outcome->loop = &loop;
    page->runJavaScript(script, [outcome](const QVariant &v) {
        outcome->value = v;
        outcome->done = true;
        if (outcome->loop)
            outcome->loop->quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (!outcome->done)
        loop.exec();
    outcome->loop = nullptr;
    return outcome->value;
}

// Waits until script evaluates to true in the page.
inline bool waitFor(QWebEnginePage *page, const QString &condition, int timeoutMs = 10000)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        if (eval(page, condition).toBool())
            return true;
        QTest::qWait(20);
    }
    return false;
}

} // namespace BrowserTest

// The main of a browser test: the schemes before the application object of
// type App, the tiles offline and the bridge's classes registered after it,
// as the program starts.
#define NEMBRA_BROWSER_TEST_MAIN(App, TestClass)                                                                       \
    int main(int argc, char *argv[])                                                                                   \
    {                                                                                                                  \
        BrowserTest::prepare();                                                                                        \
        App app(argc, argv);                                                                                           \
        BrowserTest::offline();                                                                                        \
        registerWrappers(ClassMap());                                                                                  \
        TestClass test;                                                                                                \
        return QTest::qExec(&test, argc, argv);                                                                        \
    }
