#pragma once

#include <QString>

#include <functional>

// Where headless code sends the messages the operator must see (the system shows
// them in a message box with an OK button). The program installs a handler that
// shows a dialog; the command-line tool prints to stderr; tests capture them.
namespace MessageSink {

using Handler = std::function<void(const QString& text)>;

// Installs a handler and returns the previous one. An empty handler restores
// the default, which writes the text to stderr.
Handler SetHandler(Handler handler);

// Shows one message through the current handler.
void Show(const QString& text);

} // namespace MessageSink
