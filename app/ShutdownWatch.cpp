#include "app/ShutdownWatch.h"

#include <csignal>
#include <unistd.h>

#include <utility>

#include <gdk/gdk.h>
#include <glib-unix.h>
#ifdef GDK_WINDOWING_X11
#include <gdk/gdkx.h>
#endif

namespace {

// Xlib calls its I/O error handler with no user data: the one watch of the process.
ShutdownWatch* g_watch = nullptr;
std::function<void()>* g_displayLost = nullptr;

#ifdef GDK_WINDOWING_X11
int IoErrorHandler(Display*) {
    if (g_displayLost && *g_displayLost)
        (*g_displayLost)();
    _exit(1);
}
#endif

void ExitAtOnce(int signo) {
    _exit(128 + signo);
}

// From the first signal on, a further one ends the process in the signal handler
// itself: the first one's sign-out may keep the main loop busy for several seconds
// (a server that does not answer), and the loop is where GLib would deliver it.
void ExitOnFurtherSignals() {
    struct sigaction action = {};
    action.sa_handler = &ExitAtOnce;
    sigemptyset(&action.sa_mask);
    for (const int signo : ShutdownWatch::kSignals)
        sigaction(signo, &action, nullptr);
}

} // namespace

ShutdownWatch::ShutdownWatch(std::function<void(int)> onSignal, std::function<void()> onDisplayLost)
    : m_onSignal(std::move(onSignal)), m_onDisplayLost(std::move(onDisplayLost)) {
    for (const int signo : kSignals) {
        auto source = std::make_unique<Source>(Source{this, signo, 0});
        source->id = g_unix_signal_add(
            signo, reinterpret_cast<GSourceFunc>(&ShutdownWatch::OnSignal), source.get());
        m_sources.push_back(std::move(source));
    }
#ifdef GDK_WINDOWING_X11
    GdkDisplay* display = gdk_display_get_default();
    if (display && GDK_IS_X11_DISPLAY(display)) {
        g_watch = this;
        g_displayLost = &m_onDisplayLost;
        m_previousIoHandler = reinterpret_cast<void*>(XSetIOErrorHandler(IoErrorHandler));
    }
#endif
}

ShutdownWatch::~ShutdownWatch() {
    for (const auto& source : m_sources)
        g_source_remove(source->id);
#ifdef GDK_WINDOWING_X11
    if (g_watch == this) {
        XSetIOErrorHandler(reinterpret_cast<XIOErrorHandler>(m_previousIoHandler));
        g_watch = nullptr;
        g_displayLost = nullptr;
    }
#endif
}

int ShutdownWatch::OnSignal(void* data) {
    auto* source = static_cast<Source*>(data);
    ExitOnFurtherSignals();
    if (source->watch->m_onSignal)
        source->watch->m_onSignal(source->signo);
    return G_SOURCE_CONTINUE;
}
