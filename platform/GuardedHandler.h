#pragma once

#include <QObject>
#include <exception>
#include <type_traits>
#include <utility>

#include "CommError.h"
#include "Prompter.h"

// Runs one handler. A serial-control error ends the handler where it was raised and is shown
// in a message box with a stop icon, in the prompter's language; the program goes on.
// Exceptions never reach Qt's loop: any other exception is shown the same way. Returns whether
// the handler ran to its end.
template <class Handler>
bool RunGuarded(Prompter& prompter, Handler&& handler) {
    QString text;
    try {
        std::forward<Handler>(handler)();
        return true;
    } catch (const CommError& error) {
        text = error.Text(prompter.IsEnglish());
    } catch (const std::exception& error) {
        text = QString::fromLocal8Bit(error.what());
    }
    prompter.Message(
        {QStringLiteral("Vexa"), text, PromptButtons::Ok, PromptIcon::Stop, PromptAnswer::Ok});
    return false;
}

// Binds a handler to a notification through RunGuarded. The handler takes the signal's
// arguments, or none.
template <class Sender, class Signal, class Handler>
QMetaObject::Connection BindGuarded(Sender* sender, Signal signal, QObject* context,
                                    Prompter& prompter, Handler handler) {
    return QObject::connect(sender, signal, context, [&prompter, handler](auto&&... args) {
        RunGuarded(prompter, [&] {
            if constexpr (std::is_invocable_v<const Handler&, decltype(args)...>)
                handler(std::forward<decltype(args)>(args)...);
            else
                handler();
        });
    });
}
