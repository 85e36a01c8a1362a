#include "loadmemory.h"

#include "platform/memorygauge.h"

#include <QLocale>

#include <algorithm>

namespace {

// Kept free for the program's own work: windows, layouts, the file dialog.
constexpr qint64 Margin = qint64(64) << 20;

QString megabytes(qint64 bytes)
{
    return QLocale().toString((bytes + (1 << 20) - 1) >> 20);
}

} // namespace

LoadMemory::LoadMemory(const MemoryGauge &gauge)
    : account_([&gauge] { return gauge.available(); }, Margin)
{
}

qint64 LoadMemory::expectedBytes(qint64 fileSize)
{
    return fileSize + fileSize / 16 + (qint64(1) << 20);
}

std::shared_ptr<MemoryReservation> LoadMemory::reserve(qint64 fileSize, QString &refusal)
{
    const qint64 needed = expectedBytes(fileSize);
    const std::optional<qint64> left = account_.left();
    if (!fits(needed, left)) {
        refusal = QStringLiteral("Il file richiede circa %1 MB di memoria, ma il programma ne ha "
                                 "a disposizione solo %2 MB.")
                      .arg(megabytes(needed), megabytes(std::max<qint64>(*left, 0)));
        return nullptr;
    }
    return account_.reserve(needed);
}

std::optional<MemoryCharge> LoadMemory::chargePieces(qint64 bytes, QString &refusal)
{
    std::optional<MemoryCharge> charge = account_.charge(bytes);
    if (!charge) {
        const std::optional<qint64> left = account_.left();
        refusal = QStringLiteral("Il file richiede almeno %1 MB di memoria, ma il programma ne "
                                 "ha a disposizione solo %2 MB.")
                      .arg(megabytes(bytes), megabytes(std::max<qint64>(left.value_or(0), 0)));
    }
    return charge;
}

// Two bytes a character at most, and as much again while it is built.
std::optional<QString> LoadMemory::refusalFor(qint64 characters) const
{
    const std::optional<qint64> left = account_.left();
    const qint64 needed = 4 * characters;
    if (fits(needed, left))
        return std::nullopt;
    return QStringLiteral("Memoria insufficiente: il testo richiede circa %1 MB, ma il programma "
                          "ne ha a disposizione solo %2 MB.")
        .arg(megabytes(needed), megabytes(std::max<qint64>(*left, 0)));
}
