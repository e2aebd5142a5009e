// Checks the layout of the application icon and the window pictures as they
// are shipped in the resources: a Windows loader is unforgiving about a
// wrong directory entry or a bitmap that is a few bytes short, so the icon
// is taken apart here byte by byte.

#include <QtCore/QByteArray>
#include <QtCore/QFile>
#include <QtCore/QList>
#include <QtCore/QString>
#include <QtCore/QtEndian>
#include <QtTest/QtTest>

#include <algorithm>

namespace {

constexpr int kEntryCount = 20;
constexpr int kDirHeaderSize = 6;
constexpr int kDirEntrySize = 16;
const QByteArray kPngSignature("\x89PNG\r\n\x1a\n", 8);

enum Storage { Png, Bmp };

// Reads a resource, or the same file from the source tree when the test was
// built without the resources compiled in.
QByteArray readAsset(const QString& resourcePath, const QString& relativePath)
{
    QFile file(resourcePath);
    if (!file.exists()) {
#ifdef TARNWICK_ASSETS_DIR
        file.setFileName(QStringLiteral(TARNWICK_ASSETS_DIR) + QLatin1Char('/') + relativePath);
        qInfo("resource %s not compiled in, reading %s", qPrintable(resourcePath),
              qPrintable(file.fileName()));
#else
        Q_UNUSED(relativePath);
#endif
    }
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

quint16 le16(const QByteArray& d, qsizetype at)
{
    return qFromLittleEndian<quint16>(d.constData() + at);
}

quint32 le32(const QByteArray& d, qsizetype at)
{
    return qFromLittleEndian<quint32>(d.constData() + at);
}

qint32 le32s(const QByteArray& d, qsizetype at)
{
    return qFromLittleEndian<qint32>(d.constData() + at);
}

quint32 be32(const QByteArray& d, qsizetype at)
{
    return qFromBigEndian<quint32>(d.constData() + at);
}

quint32 crc32(const char* data, qsizetype len)
{
    quint32 crc = 0xffffffffu;
    for (qsizetype i = 0; i < len; ++i) {
        crc ^= quint8(data[i]);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

struct DirEntry {
    int width = 0; // as stored: 0 stands for 256
    int height = 0;
    int colourCount = 0;
    int reserved = 0;
    int planes = 0;
    int bitCount = 0;
    quint32 bytes = 0;
    quint32 offset = 0;
};

} // namespace

class TestIcon : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void directoryHeader();
    void entriesDoNotOverlap();
    void entry_data();
    void entry();
    void pictures_data();
    void pictures();
    void desktopIconPng();

private:
    QByteArray m_ico;
    QList<DirEntry> m_entries;
};

void TestIcon::initTestCase()
{
    m_ico = readAsset(QStringLiteral(":/icons/tarnwick.ico"), QStringLiteral("tarnwick.ico"));
    QVERIFY2(!m_ico.isEmpty(), "tarnwick.ico could not be read");
    QVERIFY2(m_ico.size() >= kDirHeaderSize, "tarnwick.ico is shorter than its header");

    const int count = le16(m_ico, 4);
    QVERIFY2(m_ico.size() >= kDirHeaderSize + count * kDirEntrySize,
             "tarnwick.ico is shorter than its directory");
    for (int i = 0; i < count; ++i) {
        const qsizetype at = kDirHeaderSize + qsizetype(i) * kDirEntrySize;
        DirEntry e;
        e.width = quint8(m_ico[at]);
        e.height = quint8(m_ico[at + 1]);
        e.colourCount = quint8(m_ico[at + 2]);
        e.reserved = quint8(m_ico[at + 3]);
        e.planes = le16(m_ico, at + 4);
        e.bitCount = le16(m_ico, at + 6);
        e.bytes = le32(m_ico, at + 8);
        e.offset = le32(m_ico, at + 12);
        m_entries.append(e);
    }
}

void TestIcon::directoryHeader()
{
    QCOMPARE(le16(m_ico, 0), quint16(0)); // reserved
    QCOMPARE(le16(m_ico, 2), quint16(1)); // 1 = icon, 2 = cursor
    QCOMPARE(int(le16(m_ico, 4)), kEntryCount);
    QCOMPARE(m_entries.size(), kEntryCount);
}

void TestIcon::entriesDoNotOverlap()
{
    QList<QPair<quint64, quint64>> spans;
    for (const DirEntry& e : std::as_const(m_entries))
        spans.append({e.offset, quint64(e.offset) + e.bytes});
    std::sort(spans.begin(), spans.end());
    const quint64 dirEnd = kDirHeaderSize + quint64(m_entries.size()) * kDirEntrySize;
    quint64 previousEnd = dirEnd;
    for (const auto& span : std::as_const(spans)) {
        QVERIFY2(span.first >= previousEnd,
                 qPrintable(QStringLiteral("image data at offset %1 overlaps the directory "
                                           "or the image before it")
                                .arg(span.first)));
        previousEnd = span.second;
    }
}

void TestIcon::entry_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("bpp");
    QTest::addColumn<int>("storage");

    struct Row {
        int size;
        int bpp;
        Storage storage;
    };
    QList<Row> rows = {{256, 4, Png}, {256, 8, Png}, {256, 32, Png}};
    for (int bpp : {4, 8})
        for (int size : {48, 32, 24, 16})
            rows.append({size, bpp, Bmp});
    for (int size : {128, 96, 80, 72, 64, 48, 32, 24, 16})
        rows.append({size, 32, Bmp});
    QCOMPARE(rows.size(), kEntryCount);

    for (int i = 0; i < rows.size(); ++i) {
        const Row& r = rows.at(i);
        const QByteArray name =
            QStringLiteral("entry %1: %2px %3bpp stored as %4")
                .arg(i + 1)
                .arg(r.size)
                .arg(r.bpp)
                .arg(r.storage == Png ? QStringLiteral("PNG") : QStringLiteral("BMP"))
                .toLatin1();
        QTest::newRow(name.constData()) << i << r.size << r.bpp << int(r.storage);
    }
}

void TestIcon::entry()
{
    QFETCH(int, index);
    QFETCH(int, size);
    QFETCH(int, bpp);
    QFETCH(int, storage);

    QVERIFY2(index < m_entries.size(), "the directory has fewer entries than expected");
    const DirEntry e = m_entries.at(index);

    // directory record
    const int sizeByte = size >= 256 ? 0 : size;
    QCOMPARE(e.width, sizeByte);
    QCOMPARE(e.height, sizeByte);
    QCOMPARE(e.colourCount, bpp == 4 ? 16 : 0);
    QCOMPARE(e.reserved, 0);
    QCOMPARE(e.planes, 1);
    QCOMPARE(e.bitCount, bpp);

    // the image data must lie wholly inside the file, after the directory
    QVERIFY2(e.bytes > 0, "entry has no image data");
    QVERIFY(quint64(e.offset) >= kDirHeaderSize + quint64(m_entries.size()) * kDirEntrySize);
    QVERIFY2(quint64(e.offset) + e.bytes <= quint64(m_ico.size()),
             qPrintable(QStringLiteral("data at %1 + %2 runs past the end of the %3-byte file")
                            .arg(e.offset)
                            .arg(e.bytes)
                            .arg(m_ico.size())));
    const QByteArray data = m_ico.mid(e.offset, e.bytes);

    if (storage == Png) {
        QVERIFY2(data.startsWith(kPngSignature), "PNG entry lacks the PNG signature");
        QVERIFY(data.size() >= 8 + 25);
        QCOMPARE(be32(data, 8), quint32(13));
        QCOMPARE(data.mid(12, 4), QByteArray("IHDR"));
        QCOMPARE(be32(data, 16), quint32(size));
        QCOMPARE(be32(data, 20), quint32(size));
        const int bitDepth = quint8(data[24]);
        const int colourType = quint8(data[25]);
        QCOMPARE(be32(data, 29), crc32(data.constData() + 12, 4 + 13));
        if (bpp == 32) {
            QCOMPARE(colourType, 6); // RGBA
            QCOMPARE(bitDepth, 8);
        } else {
            QCOMPARE(colourType, 3); // palette
            QCOMPARE(bitDepth, bpp);
        }

        // walk the chunks: each must fit, carry a good CRC, and the stream
        // must end with IEND exactly at the end of the entry
        qsizetype at = 8;
        bool sawIend = false;
        int paletteBytes = -1;
        while (at + 12 <= data.size()) {
            const quint32 len = be32(data, at);
            QVERIFY2(quint64(at) + 12 + len <= quint64(data.size()),
                     "PNG chunk runs past the end of the entry");
            const QByteArray type = data.mid(at + 4, 4);
            QCOMPARE(be32(data, at + 8 + len), crc32(data.constData() + at + 4, 4 + len));
            if (type == "PLTE")
                paletteBytes = int(len);
            at += 12 + len;
            if (type == "IEND") {
                sawIend = true;
                break;
            }
        }
        QVERIFY2(sawIend, "PNG entry has no IEND chunk");
        QCOMPARE(at, data.size());
        if (bpp == 32)
            QCOMPARE(paletteBytes, -1);
        else
            QCOMPARE(paletteBytes, 3 * (1 << bpp));
    } else {
        QVERIFY2(!data.startsWith(kPngSignature), "BMP entry holds a PNG");
        QVERIFY(data.size() >= 40);
        QCOMPARE(le32(data, 0), quint32(40)); // BITMAPINFOHEADER
        QCOMPARE(le32s(data, 4), qint32(size));
        QCOMPARE(le32s(data, 8), qint32(2 * size)); // XOR image plus AND mask
        QCOMPARE(le16(data, 12), quint16(1));
        QCOMPARE(int(le16(data, 14)), bpp);
        QCOMPARE(le32(data, 16), quint32(0)); // BI_RGB, uncompressed

        const quint32 clrUsed = le32(data, 32);
        const qint64 paletteEntries = clrUsed ? clrUsed : (bpp <= 8 ? (1 << bpp) : 0);
        if (bpp == 32)
            QCOMPARE(clrUsed, quint32(0)); // true colour carries no palette
        else
            QVERIFY(paletteEntries <= (1 << bpp));
        const qint64 xorStride = ((qint64(size) * bpp + 31) / 32) * 4;
        const qint64 andStride = ((qint64(size) + 31) / 32) * 4;
        const qint64 expected = 40 + 4 * paletteEntries + xorStride * size + andStride * size;
        QCOMPARE(qint64(data.size()), expected);
    }
}

void TestIcon::pictures_data()
{
    QTest::addColumn<QString>("resource");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");

    QTest::newRow("side picture is a 188x500 GIF")
        << QStringLiteral(":/images/Image1.gif") << QStringLiteral("Image1.gif") << 188 << 500;
    QTest::newRow("main window emblem is a 72x72 GIF")
        << QStringLiteral(":/images/Image3_main.gif") << QStringLiteral("Image3_main.gif") << 72
        << 72;
    QTest::newRow("about box emblem is a 64x64 GIF")
        << QStringLiteral(":/images/Image3_about.gif") << QStringLiteral("Image3_about.gif") << 64
        << 64;
}

void TestIcon::pictures()
{
    QFETCH(QString, resource);
    QFETCH(QString, file);
    QFETCH(int, width);
    QFETCH(int, height);

    const QByteArray gif = readAsset(resource, file);
    QVERIFY2(!gif.isEmpty(), qPrintable(resource + QStringLiteral(" could not be read")));
    QVERIFY(gif.size() >= 14);
    const QByteArray magic = gif.left(6);
    QVERIFY2(magic == "GIF89a" || magic == "GIF87a", magic.constData());
    QCOMPARE(int(le16(gif, 6)), width);
    QCOMPARE(int(le16(gif, 8)), height);
    QCOMPARE(quint8(gif.back()), quint8(0x3b)); // trailer
}

void TestIcon::desktopIconPng()
{
    // Installed for the desktop from the source tree; the program itself does not carry it.
    QFile file(QStringLiteral(TARNWICK_ASSETS_DIR "/icons/hicolor/256x256/apps/tarnwick.png"));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    const QByteArray png = file.readAll();
    QVERIFY(png.startsWith(kPngSignature));
    QVERIFY(png.size() >= 8 + 25);
    QCOMPARE(png.mid(12, 4), QByteArray("IHDR"));
    QCOMPARE(be32(png, 16), quint32(256));
    QCOMPARE(be32(png, 20), quint32(256));
    QCOMPARE(int(quint8(png[24])), 8); // bit depth
    QCOMPARE(int(quint8(png[25])), 6); // RGBA
}

QTEST_APPLESS_MAIN(TestIcon)

#include "tst_icon.moc"
