#include "tests/a11y/BellCounter.h"

#include <X11/XKBlib.h>

struct BellCounter::Connection {
    Display* display = nullptr;
    int eventBase = -1;
};

BellCounter::BellCounter() : m_connection(std::make_unique<Connection>()) {
    m_connection->display = XOpenDisplay(nullptr);
    int opcode = 0, error = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
    if (m_connection->display &&
        XkbQueryExtension(m_connection->display, &opcode, &m_connection->eventBase, &error, &major,
                          &minor))
        XkbSelectEvents(m_connection->display, XkbUseCoreKbd, XkbBellNotifyMask, XkbBellNotifyMask);
    else
        m_connection->eventBase = -1;
}

BellCounter::~BellCounter() {
    if (m_connection->display)
        XCloseDisplay(m_connection->display);
}

bool BellCounter::Works() const {
    return m_connection->display && m_connection->eventBase >= 0;
}

int BellCounter::Bells() {
    if (!Works())
        return m_bells;
    Display* display = m_connection->display;
    XSync(display, False);
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == m_connection->eventBase + XkbEventCode &&
            reinterpret_cast<XkbAnyEvent*>(&event)->xkb_type == XkbBellNotify)
            ++m_bells;
    }
    return m_bells;
}
