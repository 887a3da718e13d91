#include "LiveDisplay.h"

void LiveDisplay::Start(ConversationLine& line) {
    if (!m_resumed) line.StartLiveStream();
}
