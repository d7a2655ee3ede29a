#include "ErrorGuard.h"

void showUncaughtError(const std::exception &error)
{
    messages().show(Messages::Kind::AppError, QString::fromUtf8(error.what()));
}
