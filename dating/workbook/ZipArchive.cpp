#include "ZipArchive.h"

#include <QDateTime>
#include <QSet>

#include <unzip.h>
#include <zip.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <limits>
#include <mutex>
#include <thread>

namespace {

// A file in memory as minizip's I/O functions see it: read from, or written to and grown.
struct MemoryFile {
    QByteArray* bytes = nullptr;
    qint64 at = 0;
};

voidpf openMemory(voidpf opaque, const void*, int) { return opaque; }

uLong readMemory(voidpf, voidpf stream, void* into, uLong size)
{
    auto* file = static_cast<MemoryFile*>(stream);
    const qint64 n = std::clamp<qint64>(file->bytes->size() - file->at, 0, qint64(size));
    std::memcpy(into, file->bytes->constData() + file->at, std::size_t(n));
    file->at += n;
    return uLong(n);
}

uLong writeMemory(voidpf, voidpf stream, const void* from, uLong size)
{
    auto* file = static_cast<MemoryFile*>(stream);
    const qint64 end = file->at + qint64(size);
    if (end > std::numeric_limits<qsizetype>::max()) // the browser's 32-bit sizes
        return 0;
    if (end > file->bytes->capacity())
        file->bytes->reserve(
            qsizetype(std::min<qint64>(std::max<qint64>(end, 2 * qint64(file->bytes->capacity())),
                                       std::numeric_limits<qsizetype>::max())));
    if (end > file->bytes->size())
        file->bytes->resize(end);
    std::memcpy(file->bytes->data() + file->at, from, size);
    file->at = end;
    return size;
}

ZPOS64_T tellMemory(voidpf, voidpf stream)
{
    return ZPOS64_T(static_cast<MemoryFile*>(stream)->at);
}

long seekMemory(voidpf, voidpf stream, ZPOS64_T offset, int origin)
{
    auto* file = static_cast<MemoryFile*>(stream);
    const qint64 base = origin == ZLIB_FILEFUNC_SEEK_SET   ? 0
                        : origin == ZLIB_FILEFUNC_SEEK_CUR ? file->at
                                                           : file->bytes->size();
    const qint64 to = base + qint64(offset);
    if (to < 0 || to > file->bytes->size())
        return -1;
    file->at = to;
    return 0;
}

int closeMemory(voidpf, voidpf) { return 0; }
int errorMemory(voidpf, voidpf) { return 0; }

zlib_filefunc64_def memoryFunctions(MemoryFile* file)
{
    zlib_filefunc64_def functions{};
    functions.zopen64_file = openMemory;
    functions.zread_file = readMemory;
    functions.zwrite_file = writeMemory;
    functions.ztell64_file = tellMemory;
    functions.zseek64_file = seekMemory;
    functions.zclose_file = closeMemory;
    functions.zerror_file = errorMemory;
    functions.opaque = file;
    return functions;
}

// A name that would climb out of a folder the archive was unpacked into, or name a drive.
bool unsafeName(QByteArrayView name)
{
    if (name.isEmpty() || name.startsWith('/') || name.startsWith('\\') ||
        (name.size() >= 2 && name[1] == ':'))
        return true;
    for (const QByteArray& part : name.toByteArray().replace('\\', '/').split('/')) {
        if (part == "..")
            return true;
    }
    return name.contains('\0');
}

constexpr uLong kChunk = 1 << 16;

} // namespace

struct ZipArchive::Handle {
    QByteArray bytes;
    MemoryFile file;
    unzFile zip = nullptr;
    QList<unz64_file_pos> places; // of entries_, in their order

    ~Handle()
    {
        if (zip)
            unzClose(zip);
    }
};

ZipArchive::ZipArchive(const QByteArray& file)
    : handle_(std::make_unique<Handle>())
{
    handle_->bytes = file;
    handle_->file.bytes = &handle_->bytes;
    zlib_filefunc64_def functions = memoryFunctions(&handle_->file);
    handle_->zip = unzOpen2_64("workbook", &functions);
    if (!handle_->zip) {
        problem_ = QStringLiteral("it is not a zip file that can be read");
        return;
    }
    unz_global_info64 global{};
    if (unzGetGlobalInfo64(handle_->zip, &global) != UNZ_OK || global.number_entry > kMostEntries) {
        problem_ = QStringLiteral("it holds more than %1 parts").arg(kMostEntries);
        return;
    }
    QSet<QByteArray> seen;
    for (int at = unzGoToFirstFile(handle_->zip); at == UNZ_OK;
         at = unzGoToNextFile(handle_->zip)) {
        unz_file_info64 info{};
        char name[1024];
        if (unzGetCurrentFileInfo64(handle_->zip, &info, name, sizeof name, nullptr, 0, nullptr,
                                    0) != UNZ_OK ||
            info.size_filename >= sizeof name) {
            problem_ = QStringLiteral("its list of parts is damaged");
            return;
        }
        const QByteArray entryName(name, qsizetype(info.size_filename));
        if (unsafeName(entryName) || seen.contains(entryName)) {
            problem_ = QStringLiteral("it holds a part named \"%1\", which no workbook has")
                           .arg(QString::fromUtf8(entryName).left(100));
            return;
        }
        if (info.flag & 1) {
            problem_ = QStringLiteral("its parts are encrypted");
            return;
        }
        seen.insert(entryName);
        unz64_file_pos place{};
        unzGetFilePos64(handle_->zip, &place);
        handle_->places.append(place);
        entries_.append({entryName, info.uncompressed_size, info.compressed_size});
        if (entries_.size() > kMostEntries) {
            problem_ = QStringLiteral("it holds more than %1 parts").arg(kMostEntries);
            return;
        }
    }
    if (entries_.isEmpty())
        problem_ = QStringLiteral("it is an empty zip file");
}

ZipArchive::~ZipArchive() = default;

bool ZipArchive::contains(QByteArrayView name) const
{
    return std::any_of(entries_.begin(), entries_.end(),
                       [name](const Entry& entry) { return entry.name == name; });
}

std::optional<QByteArray> ZipArchive::read(QByteArrayView name, qint64 limit)
{
    const auto entry = std::find_if(entries_.begin(), entries_.end(),
                                    [name](const Entry& e) { return e.name == name; });
    if (!handle_->zip || entry == entries_.end())
        return std::nullopt;
    unz64_file_pos place = handle_->places[entry - entries_.begin()];
    if (unzGoToFilePos64(handle_->zip, &place) != UNZ_OK ||
        unzOpenCurrentFile(handle_->zip) != UNZ_OK) {
        problem_ = QStringLiteral("its part %1 cannot be read").arg(QString::fromUtf8(name));
        return std::nullopt;
    }
    QByteArray contents;
    contents.reserve(
        qsizetype(std::min<quint64>({entry->size, quint64(limit) + 1, quint64(64) << 20})));
    int n = 0;
    do {
        const qsizetype kept = contents.size();
        contents.resize(kept + qsizetype(kChunk));
        n = unzReadCurrentFile(handle_->zip, contents.data() + kept, kChunk);
        contents.resize(kept + std::max(n, 0));
        if (contents.size() > limit) {
            unzCloseCurrentFile(handle_->zip);
            problem_ = QStringLiteral("its part %1 unpacks to more than %2 MiB")
                           .arg(QString::fromUtf8(name))
                           .arg(limit >> 20);
            return std::nullopt;
        }
    } while (n > 0);
    if (unzCloseCurrentFile(handle_->zip) != UNZ_OK || n < 0) {
        problem_ = QStringLiteral("its part %1 is damaged").arg(QString::fromUtf8(name));
        return std::nullopt;
    }
    return contents;
}

#if !defined(__EMSCRIPTEN__) || defined(__EMSCRIPTEN_PTHREADS__)
#define TARNWICK_PACKER_THREAD 1
#endif

// An entry written in parts is deflated by a thread of its own, so that the next part is made
// while the last is packed; two parts wait at most. The browser's worker has no threads: there
// each part is packed in turn.
struct ZipWriter::Packer {
#ifdef TARNWICK_PACKER_THREAD
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<QByteArray> waiting;
    bool ending = false;
    bool failed = false;
    std::thread thread;

    explicit Packer(zipFile zip)
        : thread([this, zip] { run(zip); })
    {
    }

    void run(zipFile zip)
    {
        std::unique_lock lock(mutex);
        while (true) {
            changed.wait(lock, [this] { return ending || !waiting.empty(); });
            if (waiting.empty())
                return;
            const QByteArray part = std::move(waiting.front());
            lock.unlock();
            const bool ok = packInto(zip, part);
            lock.lock();
            waiting.pop_front();
            failed = failed || !ok;
            changed.notify_all();
        }
    }

    bool add(QByteArrayView part)
    {
        std::unique_lock lock(mutex);
        changed.wait(lock, [this] { return failed || waiting.size() < 2; });
        if (!failed)
            waiting.push_back(part.toByteArray());
        changed.notify_all();
        return !failed;
    }

    // Waits for the parts still waiting; false when one could not be packed.
    bool end()
    {
        {
            const std::lock_guard lock(mutex);
            ending = true;
            changed.notify_all();
        }
        thread.join();
        return !failed;
    }
#else
    zipFile zip;
    explicit Packer(zipFile into)
        : zip(into)
    {
    }
    bool add(QByteArrayView part) { return packInto(zip, part); }
    bool end() { return true; }
#endif

    static bool packInto(zipFile zip, QByteArrayView contents)
    {
        constexpr qsizetype kPiece = qsizetype(1) << 20; // minizip takes an unsigned size
        for (qsizetype at = 0; at < contents.size(); at += kPiece) {
            const QByteArrayView piece =
                contents.sliced(at, std::min(contents.size() - at, kPiece));
            if (zipWriteInFileInZip(zip, piece.data(), unsigned(piece.size())) != ZIP_OK)
                return false;
        }
        return true;
    }
};

struct ZipWriter::Handle {
    QByteArray bytes;
    MemoryFile file;
    zipFile zip = nullptr;
    std::optional<Packer> packer; // while an entry is written in parts

    ~Handle()
    {
        if (packer)
            packer->end();
        if (zip)
            zipClose(zip, nullptr);
    }
};

ZipWriter::ZipWriter()
    : handle_(std::make_unique<Handle>())
{
    handle_->file.bytes = &handle_->bytes;
    zlib_filefunc64_def functions = memoryFunctions(&handle_->file);
    handle_->zip = zipOpen2_64("workbook", APPEND_STATUS_CREATE, nullptr, &functions);
    failed_ = !handle_->zip;
}

ZipWriter::~ZipWriter() = default;

bool ZipWriter::copy(ZipArchive& from, const ZipArchive::Entry& entry)
{
    const qsizetype index = std::find_if(from.entries_.begin(), from.entries_.end(),
                                         [&](const auto& e) { return e.name == entry.name; }) -
                            from.entries_.begin();
    if (failed_ || index >= from.entries_.size())
        return !(failed_ = true);
    unzFile source = from.handle_->zip;
    unz64_file_pos place = from.handle_->places[index];
    unz_file_info64 info{};
    int method = 0;
    int level = 0;
    if (unzGoToFilePos64(source, &place) != UNZ_OK ||
        unzGetCurrentFileInfo64(source, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
        unzOpenCurrentFile2(source, &method, &level, 1) != UNZ_OK)
        return !(failed_ = true);

    zip_fileinfo times{};
    times.dosDate = info.dosDate;
    times.internal_fa = info.internal_fa;
    times.external_fa = info.external_fa;
    const int zip64 = info.uncompressed_size >= 0xffffffffU ? 1 : 0;
    bool ok = zipOpenNewFileInZip2_64(handle_->zip, entry.name.constData(), &times, nullptr, 0,
                                      nullptr, 0, nullptr, method, level, 1, zip64) == ZIP_OK;
    QByteArray chunk(qsizetype(kChunk), Qt::Uninitialized);
    int n = 0;
    while (ok && (n = unzReadCurrentFile(source, chunk.data(), kChunk)) > 0)
        ok = zipWriteInFileInZip(handle_->zip, chunk.constData(), unsigned(n)) == ZIP_OK;
    ok = unzCloseCurrentFile(source) == UNZ_OK && ok && n == 0;
    ok = zipCloseFileInZipRaw64(handle_->zip, info.uncompressed_size, info.crc) == ZIP_OK && ok;
    failed_ = failed_ || !ok;
    return ok;
}

bool ZipWriter::add(QByteArrayView name, QByteArrayView contents, bool stored)
{
    if (!open(name, stored))
        return false;
    failed_ = !Packer::packInto(handle_->zip, contents);
    return end();
}

bool ZipWriter::begin(QByteArrayView name, bool stored)
{
    if (open(name, stored))
        handle_->packer.emplace(handle_->zip);
    return !failed_;
}

bool ZipWriter::open(QByteArrayView name, bool stored)
{
    if (failed_)
        return false;
    const QDateTime now = QDateTime::currentDateTime();
    zip_fileinfo times{};
    times.tmz_date.tm_year = uInt(now.date().year());
    times.tmz_date.tm_mon = uInt(now.date().month() - 1);
    times.tmz_date.tm_mday = uInt(now.date().day());
    times.tmz_date.tm_hour = uInt(now.time().hour());
    times.tmz_date.tm_min = uInt(now.time().minute());
    times.tmz_date.tm_sec = uInt(now.time().second());
    const QByteArray entryName = name.toByteArray();
    // Zip64 is written for every entry whose size is not known first; no part nears 4 GiB.
    failed_ = zipOpenNewFileInZip64(handle_->zip, entryName.constData(), &times, nullptr, 0,
                                    nullptr, 0, nullptr, stored ? 0 : Z_DEFLATED,
                                    stored ? 0 : Z_BEST_SPEED, 0) != ZIP_OK;
    return !failed_;
}

bool ZipWriter::write(QByteArrayView contents)
{
    failed_ = failed_ || !handle_->packer || !handle_->packer->add(contents);
    return !failed_;
}

bool ZipWriter::end()
{
    if (handle_->packer) {
        failed_ = !handle_->packer->end() || failed_;
        handle_->packer.reset();
    }
    failed_ = zipCloseFileInZip(handle_->zip) != ZIP_OK || failed_;
    return !failed_;
}

QByteArray ZipWriter::finish()
{
    if (!handle_->zip)
        return {};
    failed_ = zipClose(handle_->zip, nullptr) != ZIP_OK || failed_;
    handle_->zip = nullptr;
    return failed_ ? QByteArray() : handle_->bytes;
}

QByteArray ZipWriter::rewrite(ZipArchive& from, const QHash<QByteArray, QByteArray>& replaced)
{
    ZipWriter out;
    for (const ZipArchive::Entry& entry : from.entries()) {
        const auto contents = replaced.constFind(entry.name);
        if (contents != replaced.constEnd())
            out.add(entry.name, *contents);
        else
            out.copy(from, entry);
    }
    return out.finish();
}
