#include "Interruption.h"

#include "TerminationSignals.h"

void Interruption::Request() {
    m_bRequested = true;
    emit Requested();
}

void Interruption::CatchSignals() {
    auto* termination = new TerminationSignals(this);
    connect(termination, &TerminationSignals::Requested, this, [this](int) { Request(); });
}
