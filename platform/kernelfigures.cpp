#include "kernelfigures.h"

#include <QFile>
#include <QRegularExpression>

#include <algorithm>

namespace KernelFigures {

QByteArray read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(1 << 16) : QByteArray();
}

std::optional<qint64> number(const QByteArray &text)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

std::optional<qint64> kilobytes(const QByteArray &text, const char *name)
{
    const QRegularExpression line(QStringLiteral("^%1:\\s*(\\d+) kB").arg(QLatin1String(name)),
                                  QRegularExpression::MultilineOption);
    const QRegularExpressionMatch found = line.match(QString::fromLatin1(text));
    if (!found.hasMatch())
        return std::nullopt;
    return found.captured(1).toLongLong() * 1024;
}

std::optional<qint64> field(const QByteArray &text, const QByteArray &name)
{
    for (const QByteArray &line : text.split('\n')) {
        const QList<QByteArray> words = line.simplified().split(' ');
        if (words.size() == 2 && words.front() == name)
            return number(words.back());
    }
    return std::nullopt;
}

std::optional<qint64> least(std::initializer_list<std::optional<qint64>> figures)
{
    std::optional<qint64> result;
    for (const std::optional<qint64> &figure : figures)
        if (figure)
            result = result ? std::min(*result, *figure) : *figure;
    return result;
}

std::optional<qint64> leftBelow(std::optional<qint64> limit, std::optional<qint64> used)
{
    return limit && used ? std::optional<qint64>(*limit - *used) : std::nullopt;
}

} // namespace KernelFigures
