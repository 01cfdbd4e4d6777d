// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace codalume {

// What another start of the program asks of the running tray program.
enum class InstanceCommand { Show, Capture, Settings };
QString commandName(InstanceCommand command);
std::optional<InstanceCommand> commandNamed(const QString &name);

struct InstanceRequest {
    InstanceCommand command = InstanceCommand::Show;
    // The activation token a launcher handed the asking process (Wayland's
    // XDG_ACTIVATION_TOKEN, or DESKTOP_STARTUP_ID), so that our window may take the focus.
    QString activationToken;
};

// The running program's answer: done (or under way), or ignored because it is busy.
enum class InstanceAnswer { Done, Busy };
using InstanceHandler = std::function<InstanceAnswer(const InstanceRequest &)>;

// The running program's side of the channel, per user: the name io.codalume.Codalume on the
// session bus, or, without a bus or with the name owned by another, the socket codalume.socket
// (mode 0600) in the private runtime folder beside the single-instance lock. Only processes of
// this user are answered: the bus connects only them, and the service checks the caller's uid
// all the same; the socket checks its peer's credentials. Likewise only a name owner or a
// socket peer of this user is asked.
class InstanceChannel : public QObject {
    Q_OBJECT
  public:
    explicit InstanceChannel(QObject *parent = nullptr);
    ~InstanceChannel() override;

    // Starts answering requests with `handler` on the main thread. False when no transport
    // could be set up; `problem` says why, or, when true, why the bus name is not ours.
    bool listen(InstanceHandler handler, QString *problem);

  private:
    struct Private;
    std::unique_ptr<Private> d_;
};

// The asking side. `NotRunning`: no program listens (yet). `Failed`: one listens but could
// not be asked or refused (error says why).
struct Delivery {
    enum class Status { Answered, NotRunning, Failed };
    Status status = Status::NotRunning;
    InstanceAnswer answer = InstanceAnswer::Done;
    QString error;
};

// How long a start of the program takes at most before it answers: the time a second start
// or a command waits for a program that is starting.
constexpr int instanceStartUpWaitMs = 20000;

// The activation token a launcher gave this process: XDG_ACTIVATION_TOKEN, else
// DESKTOP_STARTUP_ID (the older name, which some launchers on Wayland fill with a token).
QString launcherActivationToken();

// Asks the running program. While none listens, tries again for up to `waitMs` milliseconds
// (it may be starting), as long as `keepWaiting` agrees. Blocks; needs a QCoreApplication.
Delivery deliverToRunningInstance(const InstanceRequest &request, int waitMs = 0,
                                  const std::function<bool()> &keepWaiting = {});

}  // namespace codalume
