#include "journalrecord.h"

#include "filedigest.h"

#include <QtEndian>

#include <algorithm>
#include <limits>

namespace {

using Kind = JournalRecord::Kind;
using Encoding = TextFileFormat::Encoding;

constexpr qint64 LengthBytes = 4;
constexpr qint64 CheckBytes = 8;

// Appends fixed-size little-endian fields.
class Fields
{
public:
    explicit Fields(QByteArray &out) : out_(out) {}

    template <typename T> void put(T value)
    {
        char bytes[sizeof(T)];
        qToLittleEndian(value, bytes);
        out_.append(bytes, sizeof(T));
    }
    void putBytes(QByteArrayView bytes)
    {
        put(quint32(bytes.size()));
        out_.append(bytes);
    }
    void putString(const QString &s)
    {
        putBytes(QByteArrayView(reinterpret_cast<const char *>(s.utf16()), s.size() * 2));
    }

private:
    QByteArray &out_;
};

// Takes fields back, failing on anything that runs past the end.
class Reader
{
public:
    explicit Reader(QByteArrayView bytes) : bytes_(bytes) {}

    bool ok() const { return ok_; }
    void fail() { ok_ = false; }
    bool atEnd() const { return at_ == bytes_.size(); }

    template <typename T> T take()
    {
        if (!ok_ || bytes_.size() - at_ < qint64(sizeof(T))) {
            ok_ = false;
            return T{};
        }
        const T value = qFromLittleEndian<T>(bytes_.data() + at_);
        at_ += sizeof(T);
        return value;
    }
    bool takeFlag()
    {
        const quint8 flag = take<quint8>();
        ok_ = ok_ && flag <= 1;
        return flag == 1;
    }
    qint64 takePosition()
    {
        const quint64 value = take<quint64>();
        ok_ = ok_ && value <= quint64(std::numeric_limits<qint64>::max() / 4);
        return qint64(value);
    }
    QByteArray takeBytes()
    {
        const quint32 size = take<quint32>();
        if (!ok_ || bytes_.size() - at_ < qint64(size)) {
            ok_ = false;
            return {};
        }
        QByteArray out(bytes_.data() + at_, qsizetype(size));
        at_ += size;
        return out;
    }
    QString takeString()
    {
        const QByteArray bytes = takeBytes();
        ok_ = ok_ && bytes.size() % 2 == 0;
        QString s(bytes.size() / 2, Qt::Uninitialized);
        for (qsizetype i = 0; ok_ && i < s.size(); ++i)
            s[i] = QChar(qFromLittleEndian<quint16>(bytes.constData() + 2 * i));
        return ok_ ? s : QString();
    }
    QByteArray rest()
    {
        QByteArray out(bytes_.data() + at_, bytes_.size() - at_);
        at_ = bytes_.size();
        return out;
    }

private:
    QByteArrayView bytes_;
    qint64 at_ = 0;
    bool ok_ = true;
};

void putFormat(Fields &fields, const TextFileFormat::FileFormat &format)
{
    fields.put(quint8(format.encoding.form()));
    fields.putBytes(format.encoding.codePageName());
    fields.put(quint8(format.encoding.hasMark()));
    fields.put(quint8(format.lineBreak));
}

TextFileFormat::FileFormat takeFormat(Reader &reader)
{
    const quint8 form = reader.take<quint8>();
    const QByteArray name = reader.takeBytes();
    const bool mark = reader.takeFlag();
    const quint8 lineBreak = reader.take<quint8>();
    TextFileFormat::FileFormat format;
    if (form > quint8(Encoding::Form::CodePage) || lineBreak > quint8(LineBreak::Lf)) {
        reader.fail();
        return format;
    }
    const auto encodingForm = Encoding::Form(form);
    // Each form has one way of being written: a Unicode form has no page's
    // name, a page no mark.
    if ((encodingForm == Encoding::Form::CodePage) ? mark : !name.isEmpty()) {
        reader.fail();
        return format;
    }
    format.encoding = encodingForm == Encoding::Form::CodePage
                          ? Encoding::codePage(name)
                          : Encoding::unicode(encodingForm, mark);
    format.lineBreak = LineBreak(lineBreak);
    return format;
}

void putIdentity(Fields &fields, const JournalIdentity &identity)
{
    fields.put(quint64(identity.stamp.device));
    fields.put(quint64(identity.stamp.inode));
    fields.put(qint64(identity.stamp.size));
    fields.put(qint64(identity.stamp.modifiedNs));
    fields.put(qint64(identity.stamp.changedNs));
    fields.put(qint64(identity.size));
    fields.put(quint64(identity.checksum));
}

JournalIdentity takeIdentity(Reader &reader)
{
    JournalIdentity identity;
    identity.stamp.device = reader.take<quint64>();
    identity.stamp.inode = reader.take<quint64>();
    identity.stamp.size = reader.take<qint64>();
    identity.stamp.modifiedNs = reader.take<qint64>();
    identity.stamp.changedNs = reader.take<qint64>();
    identity.size = reader.take<qint64>();
    identity.checksum = reader.take<quint64>();
    return identity;
}

void putBody(Fields &fields, const JournalRecord &record)
{
    switch (record.kind) {
    case Kind::Origin:
        fields.putString(record.origin.path);
        putFormat(fields, record.origin.format);
        fields.put(quint8(record.origin.keepsBase));
        fields.put(quint8(record.origin.identity.has_value()));
        if (record.origin.identity)
            putIdentity(fields, *record.origin.identity);
        break;
    case Kind::Identity:
        putIdentity(fields, record.identity);
        break;
    case Kind::Insert:
        fields.put(quint64(record.position));
        [[fallthrough]];
    case Kind::Base:
        fields.put(quint8(record.wide));
        break; // the text follows
    case Kind::Remove:
        fields.put(quint64(record.position));
        fields.put(quint64(record.count));
        break;
    case Kind::Format:
        putFormat(fields, record.format);
        break;
    }
}

bool takeBody(Reader &reader, JournalRecord &record)
{
    switch (record.kind) {
    case Kind::Origin:
        record.origin.path = reader.takeString();
        record.origin.format = takeFormat(reader);
        record.origin.keepsBase = reader.takeFlag();
        record.origin.identity.reset();
        if (reader.takeFlag())
            record.origin.identity = takeIdentity(reader);
        break;
    case Kind::Identity:
        record.identity = takeIdentity(reader);
        break;
    case Kind::Insert:
        record.position = reader.takePosition();
        [[fallthrough]];
    case Kind::Base:
        record.wide = reader.takeFlag();
        record.text = reader.rest();
        return reader.ok() && (!record.wide || record.text.size() % 2 == 0);
    case Kind::Remove:
        record.position = reader.takePosition();
        record.count = reader.takePosition();
        break;
    case Kind::Format:
        record.format = takeFormat(reader);
        break;
    default:
        return false;
    }
    return reader.ok() && reader.atEnd();
}

quint64 checkOf(const char *bytes, qint64 count)
{
    return FileDigest::blockOf(0, bytes, count);
}

} // namespace

QByteArrayView JournalRecord::magic()
{
    return "Vidizizor journal 1\n";
}

QString JournalRecord::textString() const
{
    if (!wide)
        return QString::fromLatin1(text);
    QString s(text.size() / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < s.size(); ++i)
        s[i] = QChar(qFromLittleEndian<quint16>(text.constData() + 2 * i));
    return s;
}

void JournalRecord::setText(QStringView s)
{
    wide = std::any_of(s.begin(), s.end(), [](QChar c) { return c.unicode() > 0xFF; });
    if (!wide) {
        text = s.toLatin1();
        return;
    }
    text.resize(s.size() * 2);
    for (qsizetype i = 0; i < s.size(); ++i)
        qToLittleEndian(s[i].unicode(), text.data() + 2 * i);
}

void JournalRecord::setLatin1(QByteArrayView latin1)
{
    wide = false;
    text = latin1.toByteArray();
}

void JournalRecord::writeTo(QByteArray &out) const
{
    const qsizetype start = out.size();
    Fields fields(out);
    fields.put(quint32(0)); // the length, once known
    fields.put(quint8(kind));
    putBody(fields, *this);
    if (kind == Kind::Insert || kind == Kind::Base)
        out.append(text);
    qToLittleEndian(quint32(out.size() - start - LengthBytes), out.data() + start);
    fields.put(checkOf(out.constData() + start, out.size() - start));
}

std::optional<qint64> JournalRecord::lengthAt(QByteArrayView bytes)
{
    if (bytes.size() < LengthBytes)
        return std::nullopt;
    const qint64 body = qFromLittleEndian<quint32>(bytes.data());
    if (body < 1 || body > MaxLength)
        return std::nullopt;
    return LengthBytes + body + CheckBytes;
}

JournalRecord::Read JournalRecord::read(QByteArrayView bytes, JournalRecord &record, qint64 &length)
{
    if (bytes.size() < LengthBytes)
        return Read::Cut;
    const std::optional<qint64> total = lengthAt(bytes);
    if (!total)
        return Read::Damaged;
    if (bytes.size() < *total)
        return Read::Cut;
    const qint64 checked = *total - CheckBytes;
    if (qFromLittleEndian<quint64>(bytes.data() + checked) != checkOf(bytes.data(), checked))
        return Read::Damaged;
    Reader reader(bytes.sliced(LengthBytes, checked - LengthBytes));
    record = JournalRecord();
    record.kind = Kind(reader.take<quint8>());
    if (!takeBody(reader, record))
        return Read::Damaged;
    length = *total;
    return Read::Whole;
}
