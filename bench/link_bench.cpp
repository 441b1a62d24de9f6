// The training plan window on PostgreSQL across a link between sites: a TCP
// proxy between ORV and the server counts the statements ORV sends and the
// bytes both ways, and can hold back every piece for a one-way delay. Each
// action is measured at 0 and at 15 ms against a plain libpq read of the same
// rows over the same link.
#include "bench.h"

#include "data/changelog.h"
#include "data/connection.h"
#include "records/frmtrainingsplan.h"
#include "services/connectionrecipe.h"
#include "services/settings.h"
#include "ui/prompter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QUrl>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <deque>
#include <mutex>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

void runLinkBench(const QString &pgBase, long long rows);

namespace {

using namespace orv;
using Clock = std::chrono::steady_clock;

// Counts the statements in what a client sends: after the start-up message
// (and an SSL or GSS request before it) every message is a type byte and a
// length; a simple query ('Q') or an execute ('E') runs a statement.
class StatementCounter {
public:
    explicit StatementCounter(std::atomic<long long> &total) : statements(total) {}
    void feed(const char *p, size_t n)
    {
        while (n > 0) {
            if (m_skip > 0) {
                const size_t k = std::min(m_skip, n);
                if (m_textLeft > 0) {
                    m_text.append(p, std::min(k, m_textLeft));
                    m_textLeft -= std::min(k, m_textLeft);
                    if (m_textLeft == 0) {
                        for (char &c : m_text)
                            c = c == '\0' ? ' ' : c;
                        std::fprintf(stderr, "link: sent %.200s\n", m_text.c_str());
                    }
                }
                m_skip -= k;
                p += k;
                n -= k;
                continue;
            }
            m_head.push_back(*p++);
            --n;
            const size_t headSize = m_started ? 5 : 8;
            if (m_head.size() < headSize)
                continue;
            const auto be32 = [&](size_t at) {
                return (uint32_t(uint8_t(m_head[at])) << 24) | (uint32_t(uint8_t(m_head[at + 1])) << 16)
                       | (uint32_t(uint8_t(m_head[at + 2])) << 8) | uint32_t(uint8_t(m_head[at + 3]));
            };
            if (!m_started) {
                const uint32_t length = be32(0), code = be32(4);
                m_started = code != 80877103 && code != 80877104; // not an SSL or GSS request
                m_skip = length - 8;
            } else {
                if (m_head[0] == 'Q' || m_head[0] == 'E')
                    ++statements;
                m_skip = be32(1) - 4;
                // ORV_BENCH_LINK_TRACE=1 prints the text of each statement sent.
                if (m_trace && (m_head[0] == 'Q' || m_head[0] == 'P')) {
                    m_text.assign(1, m_head[0]);
                    m_textLeft = m_skip;
                }
            }
            m_head.clear();
        }
    }
    std::atomic<long long> &statements;

private:
    bool m_started = false;
    size_t m_skip = 0;
    const bool m_trace = qEnvironmentVariableIsSet("ORV_BENCH_LINK_TRACE");
    std::string m_text;
    size_t m_textLeft = 0;
    std::string m_head;
};

class LinkProxy {
public:
    LinkProxy(const std::string &host, int port) : m_host(host), m_port(port)
    {
        m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listen, reinterpret_cast<sockaddr *>(&a), sizeof a);
        ::listen(m_listen, 16);
        socklen_t len = sizeof a;
        ::getsockname(m_listen, reinterpret_cast<sockaddr *>(&a), &len);
        m_ownPort = ntohs(a.sin_port);
        m_acceptor = std::thread([this] { acceptLoop(); });
    }
    ~LinkProxy()
    {
        m_stop = true;
        ::shutdown(m_listen, SHUT_RDWR);
        ::close(m_listen);
        m_acceptor.join();
        for (std::thread &t : m_pumps)
            t.join();
    }
    int port() const { return m_ownPort; }
    void setDelay(int ms) { m_delayMs = ms; }
    struct Count {
        long long statements, up, down;
    };
    Count count() const { return {m_statements, m_up, m_down}; }

private:
    void acceptLoop()
    {
        while (!m_stop) {
            const int client = ::accept(m_listen, nullptr, nullptr);
            if (client < 0)
                return;
            const int server = ::socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in a{};
            a.sin_family = AF_INET;
            a.sin_port = htons(uint16_t(m_port));
            ::inet_pton(AF_INET, m_host.c_str(), &a.sin_addr);
            if (::connect(server, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0) {
                ::close(client);
                ::close(server);
                continue;
            }
            for (const int s : {client, server}) {
                const int one = 1;
                ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            }
            std::lock_guard lock(m_mutex);
            m_pumps.emplace_back([this, client, server] {
                StatementCounter counter(m_statements); // one a connection: each starts with its start-up message
                pump(client, server, m_up, &counter);
            });
            m_pumps.emplace_back([this, client, server] { pump(server, client, m_down, nullptr); });
        }
    }

    // One direction: what arrives waits out the delay in a queue, so the
    // link keeps its bandwidth and only adds the time of the way.
    void pump(int from, int to, std::atomic<long long> &bytes, StatementCounter *counter)
    {
        std::deque<std::pair<Clock::time_point, std::string>> line;
        std::vector<char> buf(1 << 16);
        bool open = true;
        while (!m_stop && (open || !line.empty())) {
            int wait = 100;
            if (!line.empty()) {
                const auto due = line.front().first + std::chrono::milliseconds(m_delayMs);
                wait = int(std::max<long long>(
                    0, std::chrono::duration_cast<std::chrono::milliseconds>(due - Clock::now()).count()));
            }
            pollfd p{from, short(open ? POLLIN : 0), 0};
            if (::poll(&p, 1, wait) > 0 && (p.revents & (POLLIN | POLLHUP | POLLERR))) {
                const ssize_t n = ::read(from, buf.data(), buf.size());
                if (n <= 0) {
                    open = false;
                } else {
                    bytes += n;
                    if (counter)
                        counter->feed(buf.data(), size_t(n));
                    line.emplace_back(Clock::now(), std::string(buf.data(), size_t(n)));
                }
            }
            while (!line.empty() && line.front().first + std::chrono::milliseconds(m_delayMs) <= Clock::now()) {
                const std::string &piece = line.front().second;
                for (size_t sent = 0; sent < piece.size();) {
                    const ssize_t k = ::write(to, piece.data() + sent, piece.size() - sent);
                    if (k <= 0) {
                        line.clear();
                        open = false;
                        break;
                    }
                    sent += size_t(k);
                }
                if (!line.empty())
                    line.pop_front();
            }
        }
        ::shutdown(to, SHUT_WR);
    }

    std::string m_host;
    int m_port;
    int m_listen = -1;
    int m_ownPort = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_delayMs{0};
    std::atomic<long long> m_up{0}, m_down{0}, m_statements{0};
    std::mutex m_mutex;
    std::thread m_acceptor;
    std::vector<std::thread> m_pumps;
};

class QuietPrompter : public ui::Prompter {
public:
    ui::Answer message(QWidget *, const QString &text, const QString &, ui::Icon, ui::Buttons, ui::Answer) override
    {
        std::printf("link: message box \"%s\"\n", qPrintable(text));
        return ui::Answer::Ok;
    }
    std::optional<QString> input(QWidget *, const QString &, const QString &, const QString &) override
    {
        return std::nullopt;
    }
    int runModal(QDialog &) override { return 0; }
    void beep() override {}
};

double seconds(const QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e9; }

} // namespace

void runLinkBench(const QString &pgBase, long long rows)
{
    const data::ConnectionTarget direct = bench::generatedDatabase(QString(), pgBase, rows);
    const QUrl server(direct.location);
    LinkProxy proxy(server.host().toStdString(), server.port(5432));
    QUrl viaProxy(server);
    viaProxy.setHost(QStringLiteral("127.0.0.1"));
    viaProxy.setPort(proxy.port());
    const QString uri = viaProxy.toString();

    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    services::settings::write(QStringLiteral("Service"), QStringLiteral("Datenbank"), uri);
    QuietPrompter prompter;
    ui::Prompter::setInstance(&prompter);
    data::Connection other;
    other.open(direct);

    std::printf("link: %lld entries on PostgreSQL, through a proxy that counts and delays\n", rows);
    for (const int delay : {0, 15}) {
        proxy.setDelay(delay);
        auto measure = [&](const std::function<void()> &act) {
            const LinkProxy::Count before = proxy.count();
            QElapsedTimer t;
            t.start();
            act();
            const double s = seconds(t);
            const LinkProxy::Count after = proxy.count();
            return std::tuple{s, after.statements - before.statements, after.up + after.down - before.up - before.down};
        };
        // The floor: a plain libpq read of the same rows over the same link (its own connection).
        const auto [floorTime, floorStatements, floorBytes] = measure([&] { rawPostgresFloor(uri); });
        std::printf("link: %2d ms one way  libpq read of SELECT *        %7.3f s  %3lld statements  %9.1f kB\n", delay,
                    floorTime, floorStatements, double(floorBytes) / 1024);

        records::FrmTrainingsplan *form = nullptr;
        const auto [openTime, openStatements, openBytes] = measure([&] {
            form = new records::FrmTrainingsplan;
            form->load();
            auto *first = form->findChild<QLineEdit *>(QStringLiteral("txtFields(0)"));
            QElapsedTimer wait;
            wait.start();
            while (first && first->text().isEmpty() && wait.elapsed() < 60000)
                QCoreApplication::processEvents();
        });
        std::printf("link: %2d ms one way  training plan window opened   %7.3f s  %3lld statements  %9.1f kB  "
                    "ratio %5.2f  target <= 1.3\n",
                    delay, openTime, openStatements, double(openBytes) / 1024, openTime / floorTime);

        auto *remark = form->findChild<QLineEdit *>(QStringLiteral("txtFields(10)"));
        int n = 0;
        const auto save = [&] {
            remark->setText(QStringLiteral("Nachschulung %1 %2").arg(delay).arg(++n));
            form->saveRecord();
            QCoreApplication::processEvents();
        };
        const auto [aloneTime, aloneStatements, aloneBytes] = measure(save);
        std::printf("link: %2d ms one way  save, nobody else wrote       %7.3f s  %3lld statements  %9.1f kB  "
                    "target <= 6 statements and 20 kB\n",
                    delay, aloneTime, aloneStatements, double(aloneBytes) / 1024);
        // Another workstation changes one entry, then this window saves.
        const auto saveAfterOthersChange = [&](const char *what, const QString &remarkThere, long long offset) {
            other.exec(QStringLiteral("UPDATE Trainingsplan SET Bemerkung = ? WHERE ctid = (SELECT ctid FROM "
                                      "Trainingsplan OFFSET ? LIMIT 1)"),
                       {remarkThere, offset});
            const auto [time, statements, bytes] = measure(save);
            std::printf("link: %2d ms one way  %-29s %7.3f s  %3lld statements  %9.1f kB  target <= 50 kB\n", delay,
                        what, time, statements, double(bytes) / 1024);
        };
        saveAfterOthersChange("save after another's change", QStringLiteral("anderswo %1").arg(delay), rows / 2);

        // The day's clean-up while another program keeps a transaction open
        // (a long report, a session left idle): the first save after it reads
        // the table whole, the next ones go on by the log.
        {
            data::Connection elsewhere;
            elsewhere.open(direct);
            data::Transaction open(elsewhere);
            elsewhere.query(QStringLiteral("SELECT pg_current_xact_id()"))->next();
            other.exec(QStringLiteral("UPDATE Aenderung SET Zeit = now() - interval '25 hours'"));
            data::changelog::tidy(other);
            save();
            saveAfterOthersChange("save after the clean-up", QStringLiteral("nach Aufraeumen %1").arg(delay), rows / 3);
        }
        delete form;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    ui::Prompter::setInstance(nullptr);
    std::fflush(stdout);
}
