#include "BoundedWait.h"

BoundedWait::BoundedWait(int limitMs, Input input)
    : flags_(input == Input::Excluded ? QEventLoop::ExcludeUserInputEvents : QEventLoop::AllEvents)
{
    limit_.setSingleShot(true);
    connect(&limit_, &QTimer::timeout, this, [this] {
        expired_ = true;
        loop_.quit();
    });
    connect(&poll_, &QTimer::timeout, this, &BoundedWait::wake);
    limit_.start(qMax(0, limitMs));
}

BoundedWait &BoundedWait::pollEvery(int intervalMs)
{
    poll_.start(intervalMs);
    return *this;
}

void BoundedWait::wake()
{
    loop_.quit();
}

bool BoundedWait::until(const std::function<bool()> &done)
{
    while (!done()) {
        if (expired_)
            return false;
        loop_.exec(flags_);
    }
    return true;
}
