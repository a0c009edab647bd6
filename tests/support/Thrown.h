#pragma once
// The message of the error that work threw, or an empty string when it ran
// to its end.
#include "base/TaveloError.h"

#include <QString>

#include <functional>

inline QString thrownMessage(const std::function<void()> &work)
{
    try {
        work();
        return QString();
    } catch (const TaveloError &e) {
        return e.message();
    }
}
