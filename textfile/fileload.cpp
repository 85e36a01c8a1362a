#include "fileload.h"

#include "filereading.h"
#include "filesnapshot.h"

FileLoad::FileLoad(std::shared_ptr<FileSnapshot> snapshot, const ChunkBuilder &builder,
                   const Options &options)
    : snapshot_(std::move(snapshot)), builder_(builder), options_(options)
{
}

FileLoad::~FileLoad()
{
    if (reading_)
        reading_->queue().stop();
}

void FileLoad::start(std::function<void()> wake)
{
    reading_ = std::make_shared<FileReading>(snapshot_, builder_, options_, std::move(wake));
    reading_->start();
}

qint64 FileLoad::size() const
{
    return snapshot_->readsAtOffsets() ? snapshot_->stamp().size : 0;
}

std::optional<TextFileFormat::FileFormat> FileLoad::format() const
{
    return reading_ ? reading_->queue().format() : std::nullopt;
}

FileLoad::Ready FileLoad::take()
{
    return reading_ ? reading_->queue().take() : Ready();
}

bool FileLoad::isFinished() const
{
    return reading_ && reading_->queue().isFinished();
}

std::optional<QString> FileLoad::failure() const
{
    return reading_ ? reading_->queue().failure() : std::nullopt;
}

std::optional<LoadedFile> FileLoad::loadedFile() const
{
    return reading_ ? reading_->queue().loadedFile() : std::nullopt;
}

QString FileLoad::outOfMemoryReason()
{
    return FileReading::outOfMemoryReason();
}
