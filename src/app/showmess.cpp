#include "app/showmess.h"

#include <cstdio>

namespace {
MessageHandler &handler()
{
    static MessageHandler h;
    return h;
}
} // namespace

int ShowMess(const QString &text, int style)
{
    if (const MessageHandler &h = handler())
        return h(text, style);
    std::fprintf(stderr, "[%d] %s\n", style, text.toLocal8Bit().constData());
    return MessNo;
}

MessageHandler SetMessageHandler(MessageHandler h)
{
    MessageHandler previous = std::move(handler());
    handler() = std::move(h);
    return previous;
}
