// SPDX-License-Identifier: MIT
#include "platform/instance_channel.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusReply>
#include <QElapsedTimer>
#include <QFile>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <QVariantMap>
#include <cerrno>
#include <cstring>

#include "platform/single_instance.h"
#include "render/trace.h"

namespace codalume {

namespace {

const QString serviceName = QStringLiteral("io.codalume.Codalume");
const QString objectPath = QStringLiteral("/io/codalume/Codalume");
const QString interfaceName = QStringLiteral("io.codalume.Codalume");
const QString tokenKey = QStringLiteral("activation-token");

// Answers on the wire: the socket's reply packet, the bus methods' string.
const QByteArray doneWord = "done";
const QByteArray busyWord = "busy";
const QByteArray refusedWord = "refused";

constexpr int answerTimeoutMs = 5000;
// The socket serves this many connections at once; more wait in the listening queue, so a
// flood of connections can neither use up the program's descriptors nor keep it busy.
constexpr int maxConnections = 16;
// A request follows its connect at once: a connection silent this long is answered "refused".
constexpr int idleMs = 2000;
// Out of descriptors, the socket is left alone this long before accepting is tried again.
constexpr int acceptRetryMs = 250;
// A request is the command and a token, one packet; anything longer is not ours.
constexpr size_t maxPacket = 1024;
constexpr int retryMs = 50;

QByteArray answerWord(InstanceAnswer answer) {
    return answer == InstanceAnswer::Busy ? busyWord : doneWord;
}

// Tokens are short printable ASCII (a UUID, or the startup id's "name_TIME123"); anything else
// is dropped rather than handed to the compositor.
QString cleanToken(const QString &token) {
    if (token.size() > 256) {
        return {};
    }
    for (const QChar c : token) {
        if (c.unicode() <= 0x20 || c.unicode() >= 0x7f) {
            return {};
        }
    }
    return token;
}

QString socketPath(const QString &folder) {
    return folder + QStringLiteral("/codalume.socket");
}

// Whether the process at the other end of the socket runs as this user.
bool peerIsThisUser(int fd) {
    struct ucred credentials {};
    socklen_t length = sizeof credentials;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) == 0 &&
           credentials.uid == ::geteuid();
}

// The uid of the process that owns `name` on `bus`, if any.
std::optional<uint> ownerUid(const QDBusConnection &bus, const QString &name) {
    const QDBusReply<uint> uid = bus.interface()->serviceUid(name);
    return uid.isValid() ? std::optional<uint>(uid.value()) : std::nullopt;
}

bool fillAddress(const QString &path, sockaddr_un *address) {
    const QByteArray native = QFile::encodeName(path);
    *address = {};
    address->sun_family = AF_UNIX;
    if (static_cast<size_t>(native.size()) >= sizeof address->sun_path) {
        errno = ENAMETOOLONG;
        return false;
    }
    std::memcpy(address->sun_path, native.constData(), static_cast<size_t>(native.size()));
    return true;
}

// The bus side: methods Show, Capture and Settings, each taking the platform data a{sv} (as
// org.freedesktop.Application does: "activation-token") and answering "done" or "busy".
class BusService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "io.codalume.Codalume")
  public:
    explicit BusService(InstanceHandler handler) : handler_(std::move(handler)) {}

  public slots:
    QString Show(const QVariantMap &platformData) {
        return answer(InstanceCommand::Show, platformData);
    }
    QString Capture(const QVariantMap &platformData) {
        return answer(InstanceCommand::Capture, platformData);
    }
    QString Settings(const QVariantMap &platformData) {
        return answer(InstanceCommand::Settings, platformData);
    }

  private:
    QString answer(InstanceCommand command, const QVariantMap &platformData) {
        // A session bus admits only its user (and root); a bus set up to let others in must
        // not let them drive this user's program.
        if (ownerUid(connection(), message().service()) != ::geteuid()) {
            sendErrorReply(QDBusError::AccessDenied,
                           QStringLiteral("Codalume answers only its own user"));
            return {};
        }
        const InstanceRequest request{command, cleanToken(platformData.value(tokenKey).toString())};
        return QString::fromLatin1(answerWord(handler_(request)));
    }

    InstanceHandler handler_;
};

// One connection to the socket, closed when this goes.
class Connection : public QObject {
  public:
    Connection(int fd, QObject *parent)
        : QObject(parent), fd_(fd), notifier_(new QSocketNotifier(fd, QSocketNotifier::Read)) {}
    ~Connection() override {
        notifier_.reset();  // before its descriptor closes
        ::close(fd_);
    }
    int fd() const { return fd_; }
    QSocketNotifier *notifier() const { return notifier_.get(); }

  private:
    int fd_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

// The socket side, for sessions without a bus: one SOCK_SEQPACKET packet each way, so no
// framing is needed. Each connection gets a moment to send its request.
class SocketServer : public QObject {
  public:
    explicit SocketServer(InstanceHandler handler) : handler_(std::move(handler)) {}
    QString path() const { return path_; }

    ~SocketServer() override {
        qDeleteAll(findChildren<Connection *>(Qt::FindDirectChildrenOnly));
        if (fd_ >= 0) {
            listener_.reset();
            ::close(fd_);
            ::unlink(QFile::encodeName(path_).constData());
        }
    }

    bool listen(QString *error) {
        const RuntimeFolder folder = runtimeFolder();
        if (folder.path.isEmpty()) {
            *error = folder.error;
            return false;
        }
        path_ = socketPath(folder.path);
        const QByteArray native = QFile::encodeName(path_);
        sockaddr_un address{};
        if (!fillAddress(path_, &address)) {
            *error = QStringLiteral("%1: %2").arg(path_, errnoText(errno));
            return false;
        }
        // The caller holds the single-instance lock: a socket left here belongs to an
        // instance that ended without removing it. Anything else is left alone.
        struct stat info {};
        if (::lstat(native.constData(), &info) == 0) {
            if (!S_ISSOCK(info.st_mode)) {
                *error = QStringLiteral("%1 exists and is not a socket").arg(path_);
                return false;
            }
            ::unlink(native.constData());
        }
        const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0) {
            *error = errnoText(errno);
            return false;
        }
        // Private from the moment it exists (its folder is private too).
        const mode_t previous = ::umask(0177);
        const bool bound =
            ::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
        ::umask(previous);
        if (!bound || ::listen(fd, 8) != 0) {
            *error = QStringLiteral("%1: %2").arg(path_, errnoText(errno));
            ::close(fd);
            return false;
        }
        fd_ = fd;
        listener_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
        connect(listener_.get(), &QSocketNotifier::activated, this, [this] { acceptAll(); });
        return true;
    }

  private:
    // The listening socket stays readable while connections wait: it is watched only while
    // they can be accepted, or the event loop would spin.
    void acceptAll() {
        while (connections_ < maxConnections) {
            const int client = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (client < 0) {
                if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                    listener_->setEnabled(false);
                    QTimer::singleShot(acceptRetryMs, this, [this] { resume(); });
                }
                return;
            }
            auto *connection = new Connection(client, this);
            ++connections_;
            connect(connection, &QObject::destroyed, this, [this] {
                --connections_;
                resume();
            });
            connect(connection->notifier(), &QSocketNotifier::activated, connection,
                    [this, connection] { serve(connection, false); });
            QTimer::singleShot(idleMs, connection, [this, connection] { serve(connection, true); });
        }
        listener_->setEnabled(false);
    }

    void resume() {
        if (listener_ && connections_ < maxConnections) {
            listener_->setEnabled(true);
        }
    }

    // At the deadline a connection is answered whatever it sent by then.
    void serve(Connection *connection, bool deadline) {
        if (!connection->notifier()->isEnabled()) {
            return;  // answered already
        }
        char packet[maxPacket];
        const ssize_t size = ::recv(connection->fd(), packet, sizeof packet, MSG_DONTWAIT);
        if (size < 0 && (errno == EAGAIN || errno == EINTR) && !deadline) {
            return;
        }
        // The file's mode keeps others out; should it not (a changed mode), the peer's
        // credentials still do. The request is read all the same: a socket closed with a
        // packet unread would reset the connection before the peer read the refusal.
        std::optional<InstanceRequest> request;
        if (peerIsThisUser(connection->fd()) && size > 0 &&
            static_cast<size_t>(size) < sizeof packet) {
            const QList<QByteArray> parts = QByteArray(packet, size).split('\n');
            if (const auto command = commandNamed(QString::fromLatin1(parts.value(0)))) {
                request =
                    InstanceRequest{*command, cleanToken(QString::fromLatin1(parts.value(1)))};
            }
        }
        // The handler only queues the work, so the answer goes out at once.
        const QByteArray word = request ? answerWord(handler_(*request)) : refusedWord;
        ::send(connection->fd(), word.constData(), word.size(), MSG_NOSIGNAL);
        connection->notifier()->setEnabled(false);
        connection->deleteLater();
    }

    InstanceHandler handler_;
    QString path_;
    int fd_ = -1;
    int connections_ = 0;
    std::unique_ptr<QSocketNotifier> listener_;
};

Delivery failed(const QString &error) {
    return {Delivery::Status::Failed, InstanceAnswer::Done, error};
}

Delivery fromWord(const QByteArray &word) {
    if (word == doneWord) {
        return {Delivery::Status::Answered, InstanceAnswer::Done, {}};
    }
    if (word == busyWord) {
        return {Delivery::Status::Answered, InstanceAnswer::Busy, {}};
    }
    if (word == refusedWord) {
        return failed(QStringLiteral("the running Codalume refused the request"));
    }
    return failed(QStringLiteral("the running Codalume gave no answer"));
}

Delivery askBus(const QDBusConnection &bus, const InstanceRequest &request) {
    // On a bus that admits other users, one of them may own our name first: only an owner of
    // this user is asked, and by its unique name, so the name cannot change hands meanwhile.
    // Another one counts as no program; ours then listens on its socket.
    const QDBusReply<QString> owner = bus.interface()->serviceOwner(serviceName);
    if (!owner.isValid() || ownerUid(bus, owner.value()) != ::geteuid()) {
        return {};
    }
    QString method = commandName(request.command);
    method[0] = method[0].toUpper();
    QDBusMessage call =
        QDBusMessage::createMethodCall(owner.value(), objectPath, interfaceName, method);
    QVariantMap platformData;
    if (!request.activationToken.isEmpty()) {
        platformData.insert(tokenKey, request.activationToken);
    }
    call << platformData;
    const QDBusMessage reply = bus.call(call, QDBus::Block, answerTimeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        const QString name = reply.errorName();
        if (name == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
            name == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner")) {
            return {};
        }
        return failed(reply.errorMessage().isEmpty() ? name : reply.errorMessage());
    }
    return fromWord(reply.arguments().value(0).toString().toLatin1());
}

Delivery askSocket(const InstanceRequest &request) {
    const RuntimeFolder folder = runtimeFolder();
    if (folder.path.isEmpty()) {
        return failed(folder.error);
    }
    const QString path = socketPath(folder.path);
    sockaddr_un address{};
    if (!fillAddress(path, &address)) {
        return failed(QStringLiteral("%1: %2").arg(path, errnoText(errno)));
    }
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return failed(errnoText(errno));
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        if (errno == ENOENT || errno == ECONNREFUSED) {
            return {};
        }
        return failed(QStringLiteral("%1: %2").arg(path, errnoText(errno)));
    }
    // Never hand a request to a socket another user put there.
    if (!peerIsThisUser(fd)) {
        return failed(QStringLiteral("%1 belongs to another user").arg(path));
    }
    const QByteArray packet =
        commandName(request.command).toLatin1() + '\n' + request.activationToken.toLatin1();
    if (::send(fd, packet.constData(), packet.size(), MSG_NOSIGNAL) != packet.size()) {
        return failed(QStringLiteral("%1: %2").arg(path, errnoText(errno)));
    }
    pollfd waiting{fd, POLLIN, 0};
    if (::poll(&waiting, 1, answerTimeoutMs) <= 0) {
        return failed(QStringLiteral("the running Codalume gave no answer"));
    }
    char word[16];
    const ssize_t size = ::recv(fd, word, sizeof word, 0);
    return fromWord(size > 0 ? QByteArray(word, size) : QByteArray());
}

// The bus when there is one; the socket too, where a program without a bus connection may
// listen.
Delivery askOnce(const InstanceRequest &request) {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        Delivery delivery = askBus(bus, request);
        if (delivery.status != Delivery::Status::NotRunning) {
            return delivery;
        }
    }
    return askSocket(request);
}

}  // namespace

QString commandName(InstanceCommand command) {
    switch (command) {
        case InstanceCommand::Show:
            return QStringLiteral("show");
        case InstanceCommand::Capture:
            return QStringLiteral("capture");
        case InstanceCommand::Settings:
            return QStringLiteral("settings");
    }
    return {};
}

std::optional<InstanceCommand> commandNamed(const QString &name) {
    for (const InstanceCommand command :
         {InstanceCommand::Show, InstanceCommand::Capture, InstanceCommand::Settings}) {
        if (commandName(command) == name) {
            return command;
        }
    }
    return std::nullopt;
}

struct InstanceChannel::Private {
    std::unique_ptr<BusService> bus;
    std::unique_ptr<SocketServer> socket;
};

InstanceChannel::InstanceChannel(QObject *parent)
    : QObject(parent), d_(std::make_unique<Private>()) {}

InstanceChannel::~InstanceChannel() {
    if (d_->bus) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterService(serviceName);
        bus.unregisterObject(objectPath);
    }
}

bool InstanceChannel::listen(InstanceHandler handler, QString *problem) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    QString busError;
    if (bus.isConnected()) {
        auto service = std::make_unique<BusService>(handler);
        const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> registered =
            bus.interface()->registerService(serviceName,
                                             QDBusConnectionInterface::DontQueueService,
                                             QDBusConnectionInterface::DontAllowReplacement);
        if (registered.isValid() &&
            registered.value() == QDBusConnectionInterface::ServiceRegistered &&
            bus.registerObject(objectPath, service.get(), QDBusConnection::ExportAllSlots)) {
            d_->bus = std::move(service);
            return true;
        }
        bus.unregisterService(serviceName);
        const QDBusReply<QString> owner = bus.interface()->serviceOwner(serviceName);
        const std::optional<uint> uid =
            owner.isValid() ? ownerUid(bus, owner.value()) : std::nullopt;
        busError =
            uid ? QStringLiteral("the name %1 on the session bus is taken (by uid %2)")
                      .arg(serviceName)
                      .arg(*uid)
                : QStringLiteral("cannot own the name %1 on the session bus").arg(serviceName);
    }
    auto socket = std::make_unique<SocketServer>(std::move(handler));
    QString socketError;
    if (socket->listen(&socketError)) {
        *problem = busError.isEmpty() ? QString()
                                      : QStringLiteral("%1; other starts reach this one through %2")
                                            .arg(busError, socket->path());
        d_->socket = std::move(socket);
        return true;
    }
    *problem = busError.isEmpty() ? socketError : busError + "; " + socketError;
    return false;
}

QString launcherActivationToken() {
    const QString token = qEnvironmentVariable("XDG_ACTIVATION_TOKEN");
    return cleanToken(token.isEmpty() ? qEnvironmentVariable("DESKTOP_STARTUP_ID") : token);
}

Delivery deliverToRunningInstance(const InstanceRequest &request, int waitMs,
                                  const std::function<bool()> &keepWaiting) {
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        Delivery delivery = askOnce(request);
        if (delivery.status != Delivery::Status::NotRunning || clock.elapsed() >= waitMs ||
            (keepWaiting && !keepWaiting())) {
            return delivery;
        }
        QThread::msleep(retryMs);
    }
}

}  // namespace codalume

#include "instance_channel.moc"
