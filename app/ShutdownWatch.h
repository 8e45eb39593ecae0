// What ends the program from outside: SIGTERM, SIGINT and SIGHUP (sent at the end of
// a desktop session, by a service manager, by a closing terminal), and the X display
// going away. The first signal is delivered on the UI thread through the main loop,
// never inside a signal handler; any further one ends the process at once with 128 +
// its number. A lost display is reported from Xlib's I/O error handler, after which
// the process ends.
#pragma once

#include <functional>
#include <memory>
#include <vector>

class ShutdownWatch {
  public:
    // onSignal(signo) runs on the UI thread from the event loop (also inside nested
    // modal loops). onDisplayLost runs when the X connection breaks: no window may be
    // touched there, and the process ends with exit status 1 right after it.
    ShutdownWatch(std::function<void(int signo)> onSignal, std::function<void()> onDisplayLost);
    ~ShutdownWatch();
    ShutdownWatch(const ShutdownWatch&) = delete;
    ShutdownWatch& operator=(const ShutdownWatch&) = delete;

    static constexpr int kSignals[] = {2 /*SIGINT*/, 15 /*SIGTERM*/, 1 /*SIGHUP*/};

  private:
    static int OnSignal(void* data);
    static int OnDisplayIoError(void* display);

    std::function<void(int)> m_onSignal;
    std::function<void()> m_onDisplayLost;
    struct Source {
        ShutdownWatch* watch;
        int signo;
        unsigned id;
    };
    // GLib keeps a pointer to each source's data until the source is removed.
    std::vector<std::unique_ptr<Source>> m_sources;
    void* m_previousIoHandler = nullptr;
};
