// SPDX-License-Identifier: MIT
// codalume-grammar: the grammar highlighter's process. Debian 12 packages the grammar library
// (KSyntaxHighlighting) for Qt 5 only, which cannot share a process with the program's Qt 6,
// so this small Qt 5 program carries it and answers requests on standard input and output
// (render/grammar_protocol.h). It ends when its input ends.

#include <sys/prctl.h>
#include <unistd.h>
#include <KSyntaxHighlighting/AbstractHighlighter>
#include <KSyntaxHighlighting/Definition>
#include <KSyntaxHighlighting/Format>
#include <KSyntaxHighlighting/Repository>
#include <KSyntaxHighlighting/State>
#include <KSyntaxHighlighting/Theme>
#include <QByteArray>
#include <QDataStream>
#include <QString>
#include <QVector>
#include <cerrno>
#include <csignal>
#include <cstdio>

#include "render/grammar_protocol.h"

namespace {

namespace protocol = codalume::grammar_protocol;
namespace ksh = KSyntaxHighlighting;

struct Run {
    quint32 start;
    quint32 length;
    QRgb color;
};

// Collects the colour of every formatted range, merging neighbours of one colour and leaving
// out the normal colour, which the reply names once.
class RunCollector : public ksh::AbstractHighlighter {
  public:
    RunCollector(const ksh::Definition &definition, const ksh::Theme &theme) {
        setDefinition(definition);
        setTheme(theme);
        normal_ = theme.textColor(ksh::Theme::Normal);
    }

    QRgb normal() const { return normal_; }
    const QVector<Run> &runs() const { return runs_; }

    void highlight(const QString &text) {
        ksh::State state;
        const int size = text.size();
        int start = 0;
        for (int i = 0; i <= size; ++i) {
            const ushort unit = i < size ? text.at(i).unicode() : u'\n';
            if (unit != u'\n' && unit != u'\r' && unit != 0x2028 && unit != 0x2029) {
                continue;
            }
            if (i == size && start == size) {
                break;
            }
            lineStart_ = static_cast<quint32>(start);
            state = highlightLine(QStringView(text).mid(start, i - start), state);
            if (unit == u'\r' && i + 1 < size && text.at(i + 1) == u'\n') {
                ++i;
            }
            start = i + 1;
        }
    }

  protected:
    void applyFormat(int offset, int length, const ksh::Format &format) override {
        if (length <= 0) {
            return;
        }
        const QRgb color =
            format.hasTextColor(theme()) ? format.textColor(theme()).rgba() : normal_;
        if (color == normal_) {
            return;
        }
        const quint32 start = lineStart_ + static_cast<quint32>(offset);
        if (!runs_.isEmpty() && runs_.last().color == color &&
            runs_.last().start + runs_.last().length == start) {
            runs_.last().length += static_cast<quint32>(length);
            return;
        }
        runs_.append({start, static_cast<quint32>(length), color});
    }

  private:
    QRgb normal_ = 0;
    quint32 lineStart_ = 0;
    QVector<Run> runs_;
};

QByteArray failure(const QString &reason) {
    QByteArray reply;
    QDataStream out(&reply, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_5_15);
    out << quint8(protocol::failed) << reason;
    return reply;
}

QByteArray highlight(const ksh::Repository &repository, QDataStream &in) {
    QString name;
    QString themeName;
    QString text;
    in >> name >> themeName >> text;
    if (in.status() != QDataStream::Ok) {
        return failure(QStringLiteral("malformed highlight request"));
    }
    // "None" is plain text: the library has no definition of that name, and highlighting with
    // no definition gives the theme's normal colour throughout.
    const ksh::Definition definition = repository.definitionForName(name);
    if (!definition.isValid() && name != QLatin1String("None")) {
        return failure(QStringLiteral("no grammar is named '%1'").arg(name));
    }
    const ksh::Theme theme = repository.theme(themeName);
    if (!theme.isValid() || theme.name() != themeName) {
        return failure(QStringLiteral("no theme is named '%1'").arg(themeName));
    }
    RunCollector collector(definition, theme);
    collector.highlight(text);
    QByteArray reply;
    QDataStream out(&reply, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_5_15);
    out << quint8(protocol::ok) << quint32(collector.normal()) << quint32(collector.runs().size());
    for (const Run &run : collector.runs()) {
        out << run.start << run.length << quint32(run.color);
    }
    return reply;
}

QByteArray definitions(const ksh::Repository &repository) {
    QByteArray reply;
    QDataStream out(&reply, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_5_15);
    const QVector<ksh::Definition> all = repository.definitions();
    out << quint8(protocol::ok) << quint32(all.size());
    for (const ksh::Definition &definition : all) {
        out << definition.name() << definition.section() << quint8(definition.isHidden() ? 1 : 0)
            << quint32(definition.extensions().size());
        for (const QString &pattern : definition.extensions()) {
            out << pattern;
        }
    }
    return reply;
}

QByteArray themes(const ksh::Repository &repository) {
    QByteArray reply;
    QDataStream out(&reply, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_5_15);
    const QVector<ksh::Theme> all = repository.themes();
    out << quint8(protocol::ok) << quint32(all.size());
    for (const ksh::Theme &theme : all) {
        out << theme.name();
    }
    return reply;
}

QByteArray answer(const ksh::Repository &repository, const QByteArray &request) {
    QDataStream in(request);
    in.setVersion(QDataStream::Qt_5_15);
    quint8 command = 0;
    in >> command;
    switch (command) {
        case protocol::highlight:
            return highlight(repository, in);
        case protocol::definitions:
            return definitions(repository);
        case protocol::themes:
            return themes(repository);
        default:
            return failure(QStringLiteral("unknown request %1").arg(command));
    }
}

// Moves exactly `size` bytes with `move` (a read or a write of part of them); false at the end
// of the input or on an error.
template <typename Byte, typename Move>
bool moveFully(Byte *data, size_t size, Move move) {
    while (size > 0) {
        const ssize_t n = move(data, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool readFully(char *data, size_t size) {
    return moveFully(data, size,
                     [](char *at, size_t left) { return ::read(STDIN_FILENO, at, left); });
}

bool writeFully(const char *data, size_t size) {
    return moveFully(data, size,
                     [](const char *at, size_t left) { return ::write(STDOUT_FILENO, at, left); });
}

quint32 bigEndian(const unsigned char *bytes) {
    return quint32(bytes[0]) << 24 | quint32(bytes[1]) << 16 | quint32(bytes[2]) << 8 |
           quint32(bytes[3]);
}

// The library reports broken definition files and the like on standard error; they are no
// concern of the program's user, who sees its own messages there.
void quiet(QtMsgType type, const QMessageLogContext &, const QString &message) {
    if (type == QtFatalMsg || qEnvironmentVariableIsSet("CODALUME_QT_MESSAGES")) {
        std::fprintf(stderr, "codalume-grammar: %s\n", message.toLocal8Bit().constData());
    }
}

}  // namespace

int main(int argc, char **argv) {
    // Gone with the program even if it is killed and cannot close our input.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    std::signal(SIGPIPE, SIG_IGN);
    qInstallMessageHandler(quiet);
    if (argc > 1) {
        std::fprintf(stderr, "usage: %s (requests on standard input)\n", argv[0]);
        return 2;
    }
    // Our own theme is compiled in beside the library's themes (resources/themes).
    const ksh::Repository repository;
    for (;;) {
        unsigned char header[4];
        if (!readFully(reinterpret_cast<char *>(header), sizeof header)) {
            return 0;
        }
        const quint32 size = bigEndian(header);
        if (size > protocol::maxFrameBytes) {
            std::fprintf(stderr, "codalume-grammar: a request of %u bytes is too large\n", size);
            return 1;
        }
        QByteArray request(static_cast<int>(size), Qt::Uninitialized);
        if (!readFully(request.data(), size)) {
            return 0;
        }
        const QByteArray reply = answer(repository, request);
        const quint32 length = static_cast<quint32>(reply.size());
        const unsigned char lengthBytes[4] = {
            static_cast<unsigned char>(length >> 24), static_cast<unsigned char>(length >> 16),
            static_cast<unsigned char>(length >> 8), static_cast<unsigned char>(length)};
        if (!writeFully(reinterpret_cast<const char *>(lengthBytes), 4) ||
            !writeFully(reply.constData(), reply.size())) {
            return 0;
        }
    }
}
