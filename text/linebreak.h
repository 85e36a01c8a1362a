#pragma once

#include <QStringView>

/// What ends a line that the document itself breaks: Enter, and the end
/// added after a file's unterminated last line.
///
/// A file whose line breaks are all lone LF (a Unix text file) keeps LF;
/// every other file, and every new document, has CR LF.
enum class LineBreak {
    CrLf,
    Lf,
};

inline QStringView lineBreakText(LineBreak lineBreak)
{
    return lineBreak == LineBreak::Lf ? QStringView(u"\n") : QStringView(u"\r\n");
}
