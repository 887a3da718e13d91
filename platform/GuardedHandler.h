#pragma once

#include <QObject>
#include <utility>

#include "CommError.h"
#include "Prompter.h"

// Runs one handler. A serial-control error ends the handler where it was raised and is shown
// in a message box with a stop icon; the program goes on. Exceptions never reach Qt's loop.
template <class Handler>
void RunGuarded(Prompter& prompter, Handler&& handler) {
    try {
        std::forward<Handler>(handler)();
    } catch (const CommError& error) {
        prompter.Message({QStringLiteral("Vexa"), error.Text(), PromptButtons::Ok,
                          PromptIcon::Stop, PromptAnswer::Ok});
    }
}

// Binds a handler to a notification through RunGuarded.
template <class Sender, class Signal, class Handler>
QMetaObject::Connection BindGuarded(Sender* sender, Signal signal, QObject* context,
                                    Prompter& prompter, Handler handler) {
    return QObject::connect(sender, signal, context,
                            [&prompter, handler](auto&&...) { RunGuarded(prompter, handler); });
}
