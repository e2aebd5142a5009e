#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

// A zip file in memory, read through minizip: the parts of a workbook. It refuses what a hostile
// file could use against the reader: too many entries, names that climb out of the archive
// (".." or an absolute path) or come twice, encrypted entries, and parts that unpack to more
// than a limit, which is checked while unpacking, whatever the entry claims.
class ZipArchive {
public:
    struct Entry {
        QByteArray name;
        quint64 size = 0;           // unpacked, as claimed
        quint64 compressedSize = 0; // as stored
    };

    static constexpr qsizetype kMostEntries = 10000;
    static constexpr qint64 kLargestPart = qint64(256) << 20; // unpacked

    explicit ZipArchive(const QByteArray& file);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // False when the file is no zip, or one refused; problem() says why.
    bool isOpen() const { return problem_.isEmpty(); }
    const QString& problem() const { return problem_; }

    const QList<Entry>& entries() const { return entries_; }
    bool contains(QByteArrayView name) const;

    // The entry unpacked, at most `limit` bytes; none when it is missing, corrupt or larger
    // (problem() then says which).
    std::optional<QByteArray> read(QByteArrayView name, qint64 limit = kLargestPart);

private:
    friend class ZipWriter;
    struct Handle;
    std::unique_ptr<Handle> handle_;
    QList<Entry> entries_;
    QString problem_;
};

// A zip file written into memory through minizip: entries copied from another archive as they
// were stored (their packed bytes unchanged), and entries with new contents.
class ZipWriter {
public:
    ZipWriter();
    ~ZipWriter();
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    // The entry as `from` stores it: the same packed bytes, method, checksum and sizes.
    bool copy(ZipArchive& from, const ZipArchive::Entry& entry);
    // An entry with these contents, deflated at the fastest level (or stored, when `stored`:
    // OpenDocument's mimetype).
    bool add(QByteArrayView name, QByteArrayView contents, bool stored = false);
    // The same in parts, so that a large entry need not be held whole: begin(), write() as often
    // as there is more, then end(). The parts are packed while the next is made.
    bool begin(QByteArrayView name, bool stored = false);
    bool write(QByteArrayView contents);
    bool end();
    // The whole zip; empty when any step failed.
    QByteArray finish();

    // `from` written again in its order: the entries `replaced` names with their new contents,
    // every other one copied as it was stored. Empty when any step failed.
    static QByteArray rewrite(ZipArchive& from, const QHash<QByteArray, QByteArray>& replaced);

private:
    struct Packer;
    struct Handle;
    bool open(QByteArrayView name, bool stored);
    std::unique_ptr<Handle> handle_;
    bool failed_ = false;
};
