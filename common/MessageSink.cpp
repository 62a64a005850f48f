#include "common/MessageSink.h"

#include <cstdio>

namespace {

MessageSink::Handler& Current()
{
    static MessageSink::Handler handler;
    return handler;
}

} // namespace

namespace MessageSink {

Handler SetHandler(Handler handler)
{
    Handler previous = std::move(Current());
    Current() = std::move(handler);
    return previous;
}

void Show(const QString& text)
{
    if (Current()) {
        Current()(text);
        return;
    }
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

} // namespace MessageSink
