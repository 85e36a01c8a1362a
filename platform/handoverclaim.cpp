#include "handoverclaim.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QUuid>

namespace {

const QString ClaimPrefix = QStringLiteral("claim-");

// A request's name becomes part of a file name: only a plain identifier,
// never a path, is accepted.
bool isRequest(const QString &name)
{
    const QUuid id = QUuid::fromString(name);
    return !id.isNull() && id.toString(QUuid::WithoutBraces) == name;
}

} // namespace

HandOverClaim::HandOverClaim(QString folder) : folder_(std::move(folder)) {}

QString HandOverClaim::sessionFolder()
{
    const QString session = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return session.isEmpty() ? session : session + QStringLiteral("/vidizizor");
}

QString HandOverClaim::newRequest()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

bool HandOverClaim::isCurrent(qint64 madeAt, qint64 now)
{
    return madeAt > now - KeptMs && madeAt < now + KeptMs;
}

HandOverClaim::Outcome HandOverClaim::claim(const QString &request) const
{
    if (folder_.isEmpty() || !isRequest(request) || !QDir().mkpath(folder_))
        return Outcome::Failed;
    QFile file(QDir(folder_).filePath(ClaimPrefix + request));
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return Outcome::Ours;
    return file.exists() ? Outcome::Theirs : Outcome::Failed;
}

void HandOverClaim::removeStale(qint64 now) const
{
    if (folder_.isEmpty())
        return;
    const QFileInfoList claims =
        QDir(folder_).entryInfoList({ClaimPrefix + u'*'}, QDir::Files | QDir::Hidden);
    for (const QFileInfo &claim : claims)
        // A minute beyond the requests' day, as the file system's clock may
        // run a little behind the program's.
        if (claim.lastModified().toMSecsSinceEpoch() < now - KeptMs - 60 * 1000)
            QFile::remove(claim.filePath());
}
