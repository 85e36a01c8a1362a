// The application icon and the toolbar pictures, and the icon files made from
// the same drawings for Windows and for the desktop's icon theme.

#include "resources/pictures.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPixmap>
#include <QSet>
#include <QtEndian>
#include <QtTest>

namespace {

// The 16 colours of the VGA palette.
const QList<QRgb> vgaPalette = {
    0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080, 0xFF008080, 0xFFC0C0C0,
    0xFF808080, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00, 0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF,
};

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// The application icon's image at `size`, exactly as stored (not scaled).
QImage applicationImage(int size)
{
    return Pictures::applicationIcon()
        .pixmap(QSize(size, size))
        .toImage()
        .convertToFormat(QImage::Format_ARGB32);
}

// Compares two images pixel by pixel: transparent in both, or the same opaque colour.
// Returns an empty string when they match, else where they first differ.
QString firstDifference(const QImage &expected, const QImage &actual)
{
    if (expected.size() != actual.size())
        return QStringLiteral("size %1x%2 instead of %3x%4")
            .arg(actual.width())
            .arg(actual.height())
            .arg(expected.width())
            .arg(expected.height());
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x) {
            const QRgb e = expected.pixel(x, y);
            const QRgb a = actual.pixel(x, y);
            const bool same = qAlpha(e) == 0
                                  ? qAlpha(a) == 0
                                  : (qAlpha(a) == 255 && qRgb(qRed(a), qGreen(a), qBlue(a)) ==
                                                             qRgb(qRed(e), qGreen(e), qBlue(e)));
            if (!same)
                return QStringLiteral("pixel (%1, %2) is %3 instead of %4")
                    .arg(x)
                    .arg(y)
                    .arg(a, 8, 16, QLatin1Char('0'))
                    .arg(e, 8, 16, QLatin1Char('0'));
        }
    }
    return {};
}

struct IconDirectoryEntry
{
    int width = 0;
    int height = 0;
    int colours = 0;
    int planes = 0;
    int bitsPerPixel = 0;
    quint32 bytes = 0;
    quint32 last = 0; // file offset in an .ico file; resource id in an icon group
};

// Reads the directory shared by .ico files and icon group resources; entries
// are 16 bytes in a file and 14 in a group, where the resource id is 16 bits.
bool readIconDirectory(const QByteArray &data, int entrySize, QList<IconDirectoryEntry> &entries)
{
    const auto *bytes = reinterpret_cast<const uchar *>(data.constData());
    if (data.size() < 6 || qFromLittleEndian<quint16>(bytes) != 0 ||
        qFromLittleEndian<quint16>(bytes + 2) != 1)
        return false;
    const int count = qFromLittleEndian<quint16>(bytes + 4);
    if (data.size() < 6 + count * entrySize)
        return false;
    for (int i = 0; i < count; ++i) {
        const uchar *e = bytes + 6 + i * entrySize;
        IconDirectoryEntry entry;
        entry.width = e[0] == 0 ? 256 : e[0];
        entry.height = e[1] == 0 ? 256 : e[1];
        entry.colours = e[2];
        entry.planes = qFromLittleEndian<quint16>(e + 4);
        entry.bitsPerPixel = qFromLittleEndian<quint16>(e + 6);
        entry.bytes = qFromLittleEndian<quint32>(e + 8);
        entry.last = entrySize == 16 ? qFromLittleEndian<quint32>(e + 12)
                                     : qFromLittleEndian<quint16>(e + 12);
        entries.append(entry);
    }
    return true;
}

QString iconFile(const char *name)
{
    return QFINDTESTDATA(QStringLiteral("../resources/icons/") + QLatin1String(name));
}

} // namespace

class TestPictures : public QObject
{
    Q_OBJECT

private slots:
    void toolbarPicture_data();
    void toolbarPicture();
    void toolbarPictureAt32_data();
    void toolbarPictureAt32();
    void toolbarPicturesDiffer();
    void noPictureOutsideTheList_data();
    void noPictureOutsideTheList();

    void applicationIcon_data();
    void applicationIcon();

    void windowsIconShowsTheApplicationIcon_data();
    void windowsIconShowsTheApplicationIcon();
    void windowsIconGroupNamesBothImages();
    void desktopIconShowsTheApplicationIcon_data();
    void desktopIconShowsTheApplicationIcon();
};

void TestPictures::toolbarPicture_data()
{
    QTest::addColumn<int>("index");
    const char *names[] = {"new page",  "open folder", "floppy disk", "printer",  "scissors",
                           "two pages", "clipboard",   "bold G",      "italic I", "underlined S",
                           "left",      "centred",     "right"};
    static_assert(std::size(names) == Pictures::imlCount);
    for (int i = 1; i <= Pictures::imlCount; ++i)
        QTest::addRow("%d %s", i, names[i - 1]) << i;
}

// Each picture is 16 x 16, drawn on silver, and shows that silver as transparent
// while every other pixel keeps its colour.
void TestPictures::toolbarPicture()
{
    QFETCH(int, index);

    const QImage drawn = Pictures::imlImage(index);
    QCOMPARE(drawn.size(), QSize(16, 16));
    QVERIFY(!drawn.hasAlphaChannel());

    int silver = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            silver += drawn.pixel(x, y) == Pictures::imlMaskColour;
    // The background shows around the drawing, which covers a fair part of the square.
    QCOMPARE(drawn.pixel(0, 15), Pictures::imlMaskColour);
    QVERIFY2(silver > 0 && 256 - silver >= 24,
             qPrintable(QStringLiteral("%1 drawn pixels").arg(256 - silver)));

    const QIcon icon = Pictures::imlIcons(index);
    QVERIFY(!icon.isNull());
    QVERIFY(icon.availableSizes().contains(QSize(16, 16)));
    const QImage shown =
        icon.pixmap(QSize(16, 16)).toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(shown.size(), QSize(16, 16));
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const QRgb d = drawn.pixel(x, y);
            const QRgb s = shown.pixel(x, y);
            if (d == Pictures::imlMaskColour) {
                QVERIFY2(qAlpha(s) == 0,
                         qPrintable(QStringLiteral("(%1, %2) not transparent").arg(x).arg(y)));
            } else {
                QVERIFY2(qAlpha(s) == 255 && (s & 0xFFFFFF) == (d & 0xFFFFFF),
                         qPrintable(QStringLiteral("(%1, %2) changed").arg(x).arg(y)));
            }
        }
    }
}

void TestPictures::toolbarPictureAt32_data()
{
    toolbarPicture_data();
}

// Each picture is also drawn at 32 x 32, for screens that scale the program
// up: the same drawing (every pixel of the small one shows in its place in
// the large one), masked the same way, and the one Qt picks at twice the size
// instead of enlarging the small one.
void TestPictures::toolbarPictureAt32()
{
    QFETCH(int, index);
    const QImage small = Pictures::imlImage(index);
    const QImage large = Pictures::imlImage(index, 32);
    QCOMPARE(large.size(), QSize(32, 32));
    QVERIFY(!large.hasAlphaChannel());
    int kept = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const QRgb colour = small.pixel(x, y);
            kept += large.pixel(2 * x, 2 * y) == colour ||
                    large.pixel(2 * x + 1, 2 * y) == colour ||
                    large.pixel(2 * x, 2 * y + 1) == colour ||
                    large.pixel(2 * x + 1, 2 * y + 1) == colour;
        }
    QVERIFY2(kept >= 250, qPrintable(QStringLiteral("%1 of 256 pixels kept").arg(kept)));

    const QIcon icon = Pictures::imlIcons(index);
    QVERIFY(icon.availableSizes().contains(QSize(32, 32)));
    const QImage shown =
        icon.pixmap(QSize(16, 16), 2.0).toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(shown.size(), QSize(32, 32));
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const QRgb drawn = large.pixel(x, y);
            const QRgb expected =
                drawn == Pictures::imlMaskColour ? qRgba(0, 0, 0, 0) : (drawn | 0xFF000000);
            QVERIFY2(shown.pixel(x, y) == expected,
                     qPrintable(QStringLiteral("(%1, %2) differs").arg(x).arg(y)));
        }
}

// A picture stored twice, or a list shifted by one, would put the wrong
// picture on a button.
void TestPictures::toolbarPicturesDiffer()
{
    QSet<QByteArray> seen;
    for (int i = 1; i <= Pictures::imlCount; ++i) {
        const QImage image = Pictures::imlImage(i);
        const QByteArray bytes(reinterpret_cast<const char *>(image.constBits()),
                               image.sizeInBytes());
        QVERIFY2(!seen.contains(bytes),
                 qPrintable(QStringLiteral("picture %1 repeats an earlier one").arg(i)));
        seen.insert(bytes);
    }
}

void TestPictures::noPictureOutsideTheList_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("0") << 0;
    QTest::newRow("-1") << -1;
    QTest::newRow("one past the end") << Pictures::imlCount + 1;
    QTest::newRow("minimum int") << std::numeric_limits<int>::min();
}

void TestPictures::noPictureOutsideTheList()
{
    QFETCH(int, index);
    QVERIFY(Pictures::imlIcons(index).isNull());
    QVERIFY(Pictures::imlImage(index).isNull());
}

void TestPictures::applicationIcon_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("32 x 32") << 32;
    QTest::newRow("16 x 16") << 16;
}

// A red pencil in the 16 VGA colours on a transparent background, at both sizes.
void TestPictures::applicationIcon()
{
    QFETCH(int, size);

    QVERIFY(Pictures::applicationIcon().availableSizes().contains(QSize(size, size)));
    const QImage image = applicationImage(size);
    QCOMPARE(image.size(), QSize(size, size));

    QHash<QRgb, int> counts;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) == 0)
                continue;
            QVERIFY2(qAlpha(pixel) == 255,
                     qPrintable(QStringLiteral("(%1, %2) half transparent").arg(x).arg(y)));
            QVERIFY2(vgaPalette.contains(pixel),
                     qPrintable(QStringLiteral("(%1, %2) is %3, not a VGA colour")
                                    .arg(x)
                                    .arg(y)
                                    .arg(pixel, 8, 16, QLatin1Char('0'))));
            ++counts[pixel];
        }
    }
    // Red is the pencil's colour: no colour but the black outline covers more.
    const int red = counts.value(0xFFFF0000);
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.key() != 0xFF000000)
            QVERIFY2(it.value() <= red, qPrintable(QStringLiteral("%1 covers more than red")
                                                       .arg(it.key(), 8, 16, QLatin1Char('0'))));
    }
    QVERIFY2(red >= size * size / 16, qPrintable(QStringLiteral("only %1 red pixels").arg(red)));

    // Diagonal, point to the lower left: the corners it does not cross are empty,
    // and the lower-left corner holds the dark point, not the eraser.
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(image.pixel(size - 1, size - 1)), 0);
    int pointDark = 0;
    for (int y = size - size / 4; y < size; ++y)
        for (int x = 0; x < size / 4; ++x)
            pointDark += image.pixel(x, y) == 0xFF000000;
    QVERIFY(pointDark > 0);
}

void TestPictures::windowsIconShowsTheApplicationIcon_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("resourceImage");
    QTest::newRow("32 x 32") << 32 << iconFile("vidizizor-32.dib");
    QTest::newRow("16 x 16") << 16 << iconFile("vidizizor-16.dib");
}

// The .ico file, and the icon resources that the Windows resource script puts
// in the executable, hold the same 16-colour pictures as the program's icon.
void TestPictures::windowsIconShowsTheApplicationIcon()
{
    QFETCH(int, size);
    QFETCH(QString, resourceImage);

    QByteArray ico = readFile(iconFile("vidizizor.ico"));
    QList<IconDirectoryEntry> entries;
    QVERIFY(readIconDirectory(ico, 16, entries));
    QCOMPARE(entries.size(), 2);
    const auto entry =
        std::find_if(entries.begin(), entries.end(),
                     [size](const IconDirectoryEntry &e) { return e.width == size; });
    QVERIFY(entry != entries.end());
    QCOMPARE(entry->height, size);
    QCOMPARE(entry->colours, 16);
    QCOMPARE(entry->bitsPerPixel, 4);
    QCOMPARE(entry->planes, 1);
    QVERIFY(qint64(entry->last) + entry->bytes <= ico.size());

    // The image inside the .ico file is byte for byte the icon resource.
    const QByteArray image = ico.mid(entry->last, entry->bytes);
    QCOMPARE(image, readFile(resourceImage));
    QVERIFY(image.size() > 40 + 16 * 4);
    // A 4-bit image with its 16-colour palette, colour bits and mask bits.
    const auto *header = reinterpret_cast<const uchar *>(image.constData());
    QCOMPARE(qFromLittleEndian<quint32>(header), 40u);
    QCOMPARE(qFromLittleEndian<qint32>(header + 4), size);
    QCOMPARE(qFromLittleEndian<qint32>(header + 8), 2 * size);
    QCOMPARE(qFromLittleEndian<quint16>(header + 14), quint16(4));
    const int colourBytes = size * ((size * 4 + 31) / 32 * 4);
    const int maskBytes = size * ((size + 31) / 32 * 4);
    QCOMPARE(image.size(), 40 + 16 * 4 + colourBytes + maskBytes);

    // An independent reader sees the same picture, transparency included.
    QBuffer buffer(&ico);
    QImageReader reader(&buffer, "ico");
    QCOMPARE(reader.imageCount(), 2);
    QImage decoded;
    for (int i = 0; i < reader.imageCount(); ++i) {
        QVERIFY(reader.jumpToImage(i));
        const QImage candidate = reader.read();
        if (candidate.width() == size)
            decoded = candidate.convertToFormat(QImage::Format_ARGB32);
    }
    const QString difference = firstDifference(applicationImage(size), decoded);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

// The executable's icon group 1 lists the 32 x 32 image as resource 30001 and
// the 16 x 16 image as 30002, each with its true size in bytes.
void TestPictures::windowsIconGroupNamesBothImages()
{
    const QByteArray group = readFile(iconFile("vidizizor-group.bin"));
    QList<IconDirectoryEntry> entries;
    QVERIFY(readIconDirectory(group, 14, entries));
    QCOMPARE(group.size(), 6 + 2 * 14);
    QCOMPARE(entries.size(), 2);

    const struct
    {
        int size;
        quint32 id;
        const char *file;
    } expected[] = {{32, 30001, "vidizizor-32.dib"}, {16, 30002, "vidizizor-16.dib"}};
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(entries[i].width, expected[i].size);
        QCOMPARE(entries[i].height, expected[i].size);
        QCOMPARE(entries[i].colours, 16);
        QCOMPARE(entries[i].bitsPerPixel, 4);
        QCOMPARE(entries[i].last, expected[i].id);
        QCOMPARE(qint64(entries[i].bytes), readFile(iconFile(expected[i].file)).size());
    }

    // The resource script names the same files under the same ids.
    const QByteArray script = readFile(QFINDTESTDATA("../resources/vidizizor.rc.in"));
    QVERIFY(script.contains("\n30001 3 \"@VIDIZIZOR_ICONS_DIR@/vidizizor-32.dib\""));
    QVERIFY(script.contains("\n30002 3 \"@VIDIZIZOR_ICONS_DIR@/vidizizor-16.dib\""));
    QVERIFY(script.contains("\n1 14 \"@VIDIZIZOR_ICONS_DIR@/vidizizor-group.bin\""));
}

void TestPictures::desktopIconShowsTheApplicationIcon_data()
{
    applicationIcon_data();
}

// The PNG files installed into the icon theme show the program's own icon.
void TestPictures::desktopIconShowsTheApplicationIcon()
{
    QFETCH(int, size);
    const QString path = iconFile(size == 32 ? "vidizizor-32.png" : "vidizizor-16.png");
    QVERIFY(!path.isEmpty());
    const QImage png(path, "png");
    QVERIFY(!png.isNull());
    const QString difference =
        firstDifference(applicationImage(size), png.convertToFormat(QImage::Format_ARGB32));
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
