// SPDX-License-Identifier: MIT
#include "render/trace.h"

#include <QLoggingCategory>
#include <charconv>
#include <cmath>
#include <cstring>

namespace codalume {

namespace {
bool toStandardError = false;
bool traceOn = true;
Q_LOGGING_CATEGORY(lcDiagnostics, "codalume.diagnostics", QtWarningMsg)
}  // namespace

void setTraceToStandardError(bool enabled) {
    toStandardError = enabled;
}

void setTraceEnabled(bool enabled) {
    traceOn = enabled;
}

void trace(const QString &line) {
    if (!traceOn) {
        return;
    }
    printLine(toStandardError ? stderr : stdout, line);
}

void printText(std::FILE *stream, const QString &text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}

void printLine(std::FILE *stream, const QString &line) {
    printText(stream, line + u'\n');
}

void printError(const QString &message) {
    printLine(stderr, QStringLiteral("codalume: ") + message);
}

void diagnostic(const QString &line) {
    qCInfo(lcDiagnostics).noquote() << line;
}

QString errnoText(int errorNumber) {
    char buffer[256] = {};
    return QString::fromLocal8Bit(::strerror_r(errorNumber, buffer, sizeof buffer));
}

QString formatNumber(double value) {
    if (std::isnan(value)) {
        return QStringLiteral("nan");
    }
    if (std::isinf(value)) {
        return value > 0 ? QStringLiteral("inf") : QStringLiteral("-inf");
    }
    // Fixed notation, never "1e+05": the largest double takes 309 digits, the smallest
    // fraction 327 characters.
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    QString text = QString::fromLatin1(buffer, static_cast<qsizetype>(result.ptr - buffer));
    if (!text.contains(u'.')) {
        text += QStringLiteral(".0");
    }
    return text;
}

QString formatPair(double x, double y) {
    return u'(' + formatNumber(x) + QStringLiteral(", ") + formatNumber(y) + u')';
}

}  // namespace codalume
