#pragma once

#include <QString>

/// Takes text in pieces, as a decoder produces it.
class TextSink
{
public:
    virtual ~TextSink() = default;

    /// Characters below U+0100, one byte each.
    virtual void appendLatin1(const char *text, qsizetype size) = 0;
    virtual void append(QStringView text) = 0;
};

/// Collects the pieces in a string.
class StringSink : public TextSink
{
public:
    explicit StringSink(QString &out) : out_(out) {}

    void appendLatin1(const char *text, qsizetype size) override
    {
        out_.append(QLatin1StringView(text, size));
    }
    void append(QStringView text) override { out_.append(text); }

private:
    QString &out_;
};
