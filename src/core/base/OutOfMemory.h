#pragma once
// An allocation that failed ends the job that asked for it, never the
// program: the edges of a job (the window's error guard, each command of
// tavelo-batch) ask here whether an error they caught is one.
#include <QException>

#include <exception>
#include <new>

// True for std::bad_alloc, thrown on this thread or carried out of a worker
// thread by Qt Concurrent.
inline bool isOutOfMemory(const std::exception &error)
{
    if (dynamic_cast<const std::bad_alloc *>(&error))
        return true;
    const auto *carried = dynamic_cast<const QUnhandledException *>(&error);
    if (!carried || !carried->exception())
        return false;
    try {
        std::rethrow_exception(carried->exception());
    } catch (const std::bad_alloc &) {
        return true;
    } catch (...) {
    }
    return false;
}
