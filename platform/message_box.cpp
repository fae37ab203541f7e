#include "platform/message_box.h"

#include <SDL.h>

#include <cstdio>

namespace {

MessageBoxPresenter& Presenter() {
    // Never destroyed: shutdown at process exit may still report a failure.
    static MessageBoxPresenter* const presenter = new MessageBoxPresenter;
    return *presenter;
}

Uint32 SdlFlags(MessageBoxIcon icon) {
    switch (icon) {
        case MessageBoxIcon::Error:
            return SDL_MESSAGEBOX_ERROR;
        case MessageBoxIcon::Warning:
            return SDL_MESSAGEBOX_WARNING;
        case MessageBoxIcon::Information:
        case MessageBoxIcon::Question:
            break;
    }
    return SDL_MESSAGEBOX_INFORMATION;
}

MessageBoxAnswer ShowWithSdl(const std::string& text, const std::string& caption,
                             MessageBoxButtons buttons, MessageBoxIcon icon) {
    const SDL_MessageBoxButtonData ok[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT,
         static_cast<int>(MessageBoxAnswer::Ok), "OK"}};
    const SDL_MessageBoxButtonData yesNo[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, static_cast<int>(MessageBoxAnswer::Yes), "Yes"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, static_cast<int>(MessageBoxAnswer::No), "No"}};
    const bool isOk = buttons == MessageBoxButtons::Ok;
    SDL_MessageBoxData data{};
    data.flags = SdlFlags(icon);
    data.title = caption.c_str();
    data.message = text.c_str();
    data.numbuttons = isOk ? 1 : 2;
    data.buttons = isOk ? ok : yesNo;
    int pressed = -1;
    if (SDL_ShowMessageBox(&data, &pressed) != 0 || pressed < 0) {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        return EscapeAnswer(buttons);
    }
    return static_cast<MessageBoxAnswer>(pressed);
}

}  // namespace

MessageBoxAnswer EscapeAnswer(MessageBoxButtons buttons) {
    return buttons == MessageBoxButtons::Ok ? MessageBoxAnswer::Ok : MessageBoxAnswer::No;
}

MessageBoxAnswer ShowMessageBox(const std::string& text, const std::string& caption,
                                MessageBoxButtons buttons, MessageBoxIcon icon) {
    if (Presenter()) {
        return Presenter()(text, caption, buttons, icon);
    }
    return ShowWithSdl(text, caption, buttons, icon);
}

void SetMessageBoxPresenter(MessageBoxPresenter presenter) {
    Presenter() = std::move(presenter);
}
