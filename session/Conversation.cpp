#include "Conversation.h"

#include <QDebug>

#include "CommandFrames.h"
#include "ControllerAnswer.h"
#include "ISessionListener.h"

void Conversation::NoteEcho(const QByteArray& echo, const QByteArray& sent,
                            ConversationLine& line) {
    if (!EchoCarriesOtherValue(echo, sent)) return;
    qDebug().nospace() << "The controller echoed " << echo << " to " << sent
                       << ": it answered with another value";
    if (m_otherValue == 0) m_otherValue = echo[1];
    line.News().OnEchoWithOtherValue(echo[1], LeadingDigits(QByteArrayView(echo).sliced(2)));
}
