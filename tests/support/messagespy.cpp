#include "messagespy.h"

MessageSpy::MessageSpy()
{
    m_previous = SetMessageHandler([this](const QString &text, int style) {
        m_messages.append({text, style});
        if (style == MessQuestion)
            return m_answers.isEmpty() ? MessNo : m_answers.takeFirst();
        return 0;
    });
}

MessageSpy::~MessageSpy()
{
    SetMessageHandler(std::move(m_previous));
}

QStringList MessageSpy::texts() const
{
    QStringList out;
    for (const Message &m : m_messages)
        out << m.text;
    return out;
}
