// Dispatch of message boxes to the installed handler, or to stderr without one.
#include "platform/MessageBox.h"

#include <cstdio>
#include <memory>
#include <mutex>
#include <utility>

namespace platform {
namespace {

constexpr unsigned kButtonMask = 0xF;
constexpr unsigned kYesNoCancel = 0x3;

std::mutex handlerMutex;
// Shared so a box being shown keeps its handler alive while another one is installed.
std::shared_ptr<const MessageBoxHandler> currentHandler;
thread_local MessageBoxHandler threadHandler;

int AnswerOnStderr(const MessageBoxRequest& request) {
    std::fprintf(stderr, "[%s] %s\n", request.caption.c_str(), request.text.c_str());
    std::fflush(stderr);
    const unsigned buttons = request.style & kButtonMask;
    return (buttons == MB_YESNO || buttons == kYesNoCancel) ? IDYES : IDOK;
}

} // namespace

int ShowMessageBox(const MessageBoxRequest& request) {
    if (threadHandler) {
        // A copy: the handler may replace itself while its box is shown.
        const MessageBoxHandler handler = threadHandler;
        return handler(request);
    }
    std::shared_ptr<const MessageBoxHandler> handler;
    {
        std::lock_guard lock(handlerMutex);
        handler = currentHandler;
    }
    // The handler runs unlocked: a box blocks its thread until it is dismissed.
    if (handler)
        return (*handler)(request);
    return AnswerOnStderr(request);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    auto next = handler ? std::make_shared<const MessageBoxHandler>(std::move(handler))
                        : std::shared_ptr<const MessageBoxHandler>();
    std::shared_ptr<const MessageBoxHandler> previous;
    {
        std::lock_guard lock(handlerMutex);
        previous = std::exchange(currentHandler, std::move(next));
    }
    return previous ? *previous : MessageBoxHandler();
}

MessageBoxHandler SetThreadMessageBoxHandler(MessageBoxHandler handler) {
    return std::exchange(threadHandler, std::move(handler));
}

} // namespace platform
