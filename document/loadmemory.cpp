#include "loadmemory.h"

#include "platform/memorygauge.h"

#include <QLocale>

#include <limits>

namespace {

// Kept free for the program's own work: windows, layouts, the file dialog.
constexpr qint64 Margin = qint64(64) << 20;

QString megabytes(qint64 bytes)
{
    return QLocale().toString((bytes + (1 << 20) - 1) >> 20);
}

} // namespace

LoadMemory::Reservation::Reservation(std::shared_ptr<qint64> reserved, qint64 bytes, qint64 limit)
    : reserved_(std::move(reserved)), bytes_(bytes),
      budget_(std::make_shared<std::atomic<qint64>>(limit))
{
    *reserved_ += bytes_;
}

LoadMemory::Reservation::~Reservation()
{
    *reserved_ -= bytes_;
}

qint64 LoadMemory::expectedBytes(qint64 fileSize)
{
    return fileSize + fileSize / 16 + (qint64(1) << 20);
}

std::optional<qint64> LoadMemory::left() const
{
    const std::optional<qint64> available = gauge_.available();
    if (!available)
        return std::nullopt;
    return *available - *reserved_ - Margin;
}

std::unique_ptr<LoadMemory::Reservation> LoadMemory::reserve(qint64 fileSize, QString &refusal)
{
    const qint64 needed = expectedBytes(fileSize);
    const std::optional<qint64> left = this->left();
    if (left && needed > *left) {
        refusal = QStringLiteral("Il file richiede circa %1 MB di memoria, ma il programma ne ha "
                                 "a disposizione solo %2 MB.")
                      .arg(megabytes(needed), megabytes(std::max<qint64>(*left, 0)));
        return nullptr;
    }
    return std::make_unique<Reservation>(reserved_, needed,
                                         left ? *left : std::numeric_limits<qint64>::max());
}

// Two bytes a character at most, and as much again while it is built.
std::optional<QString> LoadMemory::refusalFor(qint64 characters) const
{
    const std::optional<qint64> left = this->left();
    const qint64 needed = 4 * characters;
    if (!left || needed <= *left)
        return std::nullopt;
    return QStringLiteral("Memoria insufficiente: il testo richiede circa %1 MB, ma il programma "
                          "ne ha a disposizione solo %2 MB.")
        .arg(megabytes(needed), megabytes(std::max<qint64>(*left, 0)));
}
