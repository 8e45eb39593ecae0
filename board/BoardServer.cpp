#include "board/BoardServer.h"

#include <chrono>
#include <httplib.h>

#include "board/BoardJson.h"
#include "board/BoardPage.h"

namespace board {

namespace {

constexpr auto kKeepAliveWait = std::chrono::milliseconds(2000);

std::string Base64(std::string_view text) {
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::size_t i = 0;
    for (; i + 2 < text.size(); i += 3) {
        const unsigned v = (static_cast<unsigned char>(text[i]) << 16) |
                           (static_cast<unsigned char>(text[i + 1]) << 8) |
                           static_cast<unsigned char>(text[i + 2]);
        out += {kDigits[v >> 18], kDigits[(v >> 12) & 63], kDigits[(v >> 6) & 63], kDigits[v & 63]};
    }
    if (i + 1 == text.size()) {
        const unsigned v = static_cast<unsigned char>(text[i]) << 16;
        out += {kDigits[v >> 18], kDigits[(v >> 12) & 63], '=', '='};
    } else if (i + 2 == text.size()) {
        const unsigned v = (static_cast<unsigned char>(text[i]) << 16) |
                           (static_cast<unsigned char>(text[i + 1]) << 8);
        out += {kDigits[v >> 18], kDigits[(v >> 12) & 63], kDigits[(v >> 6) & 63], '='};
    }
    return out;
}

// The same time whichever byte differs first.
bool SameText(const std::string& a, const std::string& b) {
    unsigned char diff = a.size() == b.size() ? 0 : 1;
    for (std::size_t i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ (i < b.size() ? b[i] : 0));
    return diff == 0;
}

void Protect(httplib::Response& res) {
    // The page loads only its own files and talks only to its own server.
    res.set_header("Content-Security-Policy",
                   "default-src 'none'; script-src 'self'; style-src 'self'; connect-src 'self'; "
                   "img-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'");
    res.set_header("X-Content-Type-Options", "nosniff");
    res.set_header("Referrer-Policy", "no-referrer");
    res.set_header("Cache-Control", "no-store");
}

} // namespace

BoardServer::BoardServer(const BoardSettings& settings, Publisher& publisher)
    : m_settings(settings), m_publisher(publisher) {
    if (!settings.Loopback())
        m_expectedAuth = "Basic " + Base64(settings.authUser + ":" + settings.authPassword);
}

BoardServer::~BoardServer() = default;

std::string BoardServer::Address() const {
    const bool v6 = m_settings.listen.find(':') != std::string::npos;
    return std::string(m_settings.Loopback() ? "http" : "https") + "://" + (v6 ? "[" : "") +
           m_settings.listen + (v6 ? "]" : "") + ":" + std::to_string(m_settings.port) + "/";
}

bool BoardServer::Authorised(const std::string& header) const {
    return m_expectedAuth.empty() || SameText(header, m_expectedAuth);
}

bool BoardServer::Bind(std::string& error) {
    if (m_settings.Loopback()) {
        m_server = std::make_unique<httplib::Server>();
    } else {
        auto tls = std::make_unique<httplib::SSLServer>(m_settings.tlsCert.c_str(),
                                                        m_settings.tlsKey.c_str());
        if (!tls->is_valid()) {
            error = "cannot use the certificate " + m_settings.tlsCert + " with the key " +
                    m_settings.tlsKey;
            return false;
        }
        m_server = std::move(tls);
    }
    // Every page holds a thread for its event stream; a few more serve the files.
    const std::size_t threads = static_cast<std::size_t>(m_settings.maxViewers) + 8;
    m_server->new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
    m_server->set_keep_alive_timeout(5);
    m_server->set_read_timeout(10);
    m_server->set_write_timeout(10);
    m_server->set_payload_max_length(4096);
    Routes();
    if (!m_server->bind_to_port(m_settings.listen, m_settings.port)) {
        error =
            "cannot listen on " + m_settings.listen + " port " + std::to_string(m_settings.port);
        return false;
    }
    return true;
}

bool BoardServer::Serve() {
    return m_server->listen_after_bind();
}

void BoardServer::Stop() {
    if (m_server)
        m_server->stop();
}

double BoardServer::PushBytesPerSecond() const {
    const long long ms = m_viewerMs.load();
    return ms > 0 ? static_cast<double>(m_bytes.load()) * 1000.0 / static_cast<double>(ms) : 0.0;
}

void BoardServer::Routes() {
    using httplib::Request, httplib::Response;
    m_server->set_pre_routing_handler([this](const Request& req, Response& res) {
        if (Authorised(req.get_header_value("Authorization")))
            return httplib::Server::HandlerResponse::Unhandled;
        Protect(res);
        res.status = 401;
        res.set_header("WWW-Authenticate", "Basic realm=\"zelagent-board\", charset=\"UTF-8\"");
        res.set_content("authentication required\n", "text/plain; charset=utf-8");
        return httplib::Server::HandlerResponse::Handled;
    });

    for (const char* path : {"/", "/index.html", "/board.css", "/board.js"}) {
        m_server->Get(path, [](const Request& req, Response& res) {
            const PageFile* file = FindPageFile(req.path);
            Protect(res);
            res.set_content(file->body.data(), file->body.size(), std::string(file->contentType));
        });
    }

    m_server->Get("/events", [this](const Request& req, Response& res) {
        Protect(res);
        std::optional<long long> svc;
        if (req.has_param("svc") && !req.get_param_value("svc").empty()) {
            const std::string text = req.get_param_value("svc");
            if (text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) {
                res.status = 400;
                res.set_content("svc must be a service number\n", "text/plain; charset=utf-8");
                return;
            }
            svc = std::stoll(text);
        }
        if (m_viewers.fetch_add(1) >= m_settings.maxViewers) {
            m_viewers.fetch_sub(1);
            res.status = 503;
            res.set_content("too many pages open\n", "text/plain; charset=utf-8");
            return;
        }
        struct Viewer {
            long long turn = -1, dataSeq = -1;
            bool greeted = false;
            std::chrono::steady_clock::time_point since = std::chrono::steady_clock::now();
        };
        auto viewer = std::make_shared<Viewer>();
        res.set_header("X-Accel-Buffering", "no");
        res.set_chunked_content_provider(
            "text/event-stream",
            [this, viewer, svc](std::size_t, httplib::DataSink& sink) {
                std::string out;
                if (!viewer->greeted) {
                    out = "retry: 1000\n\n";
                    viewer->greeted = true;
                }
                const auto turn = m_publisher.WaitAfter(viewer->turn, kKeepAliveWait);
                if (m_publisher.Stopping())
                    return false;
                if (turn->number == viewer->turn || turn->number == 0) {
                    out += ":\n\n"; // keeps the connection, and finds a page that has gone
                } else if (!turn->ok) {
                    viewer->turn = turn->number;
                    out +=
                        "event: trouble\ndata: {\"reason\":" + JsonString(turn->trouble) + "}\n\n";
                } else {
                    viewer->turn = turn->number;
                    const auto key =
                        svc && !turn->full.count(svc) ? std::optional(kNoService) : svc;
                    const bool next =
                        viewer->dataSeq == turn->dataSeq - 1 && turn->delta.count(key);
                    const auto& frames = next ? turn->delta : turn->full;
                    const auto found = frames.find(key);
                    if (found != frames.end()) {
                        out += "event: board\ndata: " + found->second + "\n\n";
                        viewer->dataSeq = turn->dataSeq;
                    }
                }
                if (!sink.write(out.data(), out.size()))
                    return false;
                m_bytes += static_cast<long long>(out.size());
                return true;
            },
            [this, viewer](bool) {
                m_viewers.fetch_sub(1);
                m_viewerMs += std::chrono::duration_cast<std::chrono::milliseconds>(
                                  std::chrono::steady_clock::now() - viewer->since)
                                  .count();
            });
    });
}

} // namespace board
