// Modal message boxes. The SDL presenter shows a real box; where none can be shown (no display)
// it writes "CAPTION: TEXT" to standard error and takes the answer of the Escape key.
#pragma once

#include <functional>
#include <string>

enum class MessageBoxButtons { Ok, YesNo };
enum class MessageBoxIcon { Error, Warning, Information, Question };
enum class MessageBoxAnswer { Ok, Yes, No };

MessageBoxAnswer ShowMessageBox(const std::string& text, const std::string& caption,
                                MessageBoxButtons buttons, MessageBoxIcon icon);

// The answer that the Escape key gives: OK for an OK box, No for a Yes/No box.
MessageBoxAnswer EscapeAnswer(MessageBoxButtons buttons);

// Replaces how boxes are shown (the scripted backend and tests record and answer them); an
// empty function restores the SDL presenter.
using MessageBoxPresenter = std::function<MessageBoxAnswer(
    const std::string& text, const std::string& caption, MessageBoxButtons, MessageBoxIcon)>;
void SetMessageBoxPresenter(MessageBoxPresenter presenter);
