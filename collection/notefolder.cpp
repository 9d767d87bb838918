// SPDX-License-Identifier: GPL-3.0-or-later
#include "notefolder.h"

#include "notefilenames.h"
#include "qverror.h"
#include "qvfilename.h"
#include "textfilereader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <numeric>
#include <sys/stat.h>

namespace {

constexpr QStringView NoteExtension = u".vnt";

[[noreturn]] void failList(const QString &folder, int error)
{
    switch (error) {
    case ENOENT:
        throw QvError(TextFileReader::NotFound, QStringLiteral("Папка не найдена: %1").arg(folder));
    case EACCES:
    case EPERM:
        throw QvError(TextFileReader::AccessDenied,
                      QStringLiteral("Нет прав на чтение папки: %1").arg(folder));
    case ENOTDIR:
        throw QvError(TextFileReader::NotRegularFile,
                      QStringLiteral("Это не папка: %1").arg(folder));
    default:
        throw QvError(TextFileReader::InputOutputError,
                      QStringLiteral("Папка не читается: %1 (%2)")
                          .arg(folder, QString::fromLocal8Bit(std::strerror(error))));
    }
}

class Directory
{
public:
    explicit Directory(DIR *dir) : m_dir(dir) {}
    ~Directory()
    {
        if (m_dir != nullptr)
            ::closedir(m_dir);
    }
    Directory(const Directory &) = delete;
    Directory &operator=(const Directory &) = delete;
    [[nodiscard]] DIR *get() const { return m_dir; }

private:
    DIR *m_dir;
};

enum class EntryKind { Folder, LinkToFolder, File, Other };

// The entry's kind from the directory itself where it says, else from the inode.
EntryKind kindOf(int folderFd, const dirent &entry)
{
    struct stat info
    {
    };
    switch (entry.d_type) {
    case DT_DIR:
        return EntryKind::Folder;
    case DT_REG:
        return EntryKind::File;
    case DT_LNK:
        if (::fstatat(folderFd, entry.d_name, &info, 0) == 0 && S_ISDIR(info.st_mode))
            return EntryKind::LinkToFolder;
        return EntryKind::Other;
    case DT_UNKNOWN:
        if (::fstatat(folderFd, entry.d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            return EntryKind::Other;
        if (S_ISDIR(info.st_mode))
            return EntryKind::Folder;
        if (S_ISREG(info.st_mode))
            return EntryKind::File;
        if (S_ISLNK(info.st_mode) && ::fstatat(folderFd, entry.d_name, &info, 0) == 0 &&
            S_ISDIR(info.st_mode))
            return EntryKind::LinkToFolder;
        return EntryKind::Other;
    default:
        return EntryKind::Other;
    }
}

QStringView fileNameIn(const QString &path)
{
    return QStringView(path).sliced(path.lastIndexOf(u'/') + 1);
}

// The path of the entry `name` in the folder whose path ends in `prefix`, made in one piece: most
// names are ASCII, which Qt widens faster than a character at a time.
QString pathOf(const QString &prefix, const char *name)
{
    const QByteArrayView native(name);
    if (!std::all_of(native.begin(), native.end(), [](char c) { return (c & 0x80) == 0; }))
        return prefix + qvFileNameToText(native);
    QString path;
    path.reserve(prefix.size() + native.size());
    path.append(prefix);
    path.append(QLatin1StringView(native));
    return path;
}

} // namespace

bool isNoteFileName(QStringView name, bool everyLayout)
{
    return name.size() > NoteExtension.size() && !name.startsWith(u'.') &&
           hasNoteFileSuffix(name, everyLayout);
}

// Qt's collator has no numeric mode for the C locale, which a session without LANG runs in: the
// root collation orders as the C locale would, and numbers by their value.
QCollator NaturalCollator(const QLocale &locale)
{
    QCollator collator(locale.language() == QLocale::C ? QLocale(QLocale::English) : locale);
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

NaturalOrder::NaturalOrder(const QLocale &locale) : m_collator(NaturalCollator(locale)) {}

bool NaturalOrder::lessThan(const QString &a, const QString &b) const
{
    const QStringView nameA = fileNameIn(a);
    const QStringView nameB = fileNameIn(b);
    const int order = m_collator.compare(nameA, nameB);
    return order != 0 ? order < 0 : nameA < nameB;
}

void NaturalOrder::sort(QStringList &paths) const
{
    // A key per name, made once: comparing keys is far cheaper than collating names again at
    // every comparison of the sort.
    struct Keyed
    {
        QCollatorSortKey key;
        QStringView name; // where it lies in its path
    };
    std::vector<Keyed> keyed;
    keyed.reserve(paths.size());
    for (const QString &path : std::as_const(paths)) {
        const QStringView name = fileNameIn(path);
        // The collator takes a QString, which can lie over the path's own text: no copy.
        keyed.push_back({m_collator.sortKey(QString::fromRawData(name.data(), name.size())), name});
    }
    // Positions are sorted, not the keys and names themselves, which cost more to move about.
    std::vector<qsizetype> order(keyed.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        const int compared = keyed[size_t(a)].key.compare(keyed[size_t(b)].key);
        return compared != 0 ? compared < 0 : keyed[size_t(a)].name < keyed[size_t(b)].name;
    });
    QStringList sorted;
    sorted.reserve(paths.size());
    for (const qsizetype at : order)
        sorted.append(std::move(paths[at]));
    paths = std::move(sorted);
}

FolderListing listFolder(const QString &folder, const NaturalOrder &order, bool everyLayout)
{
    const Directory dir(::opendir(qvTextToFileName(folder).constData()));
    if (dir.get() == nullptr)
        failList(folder, errno);
    const QString prefix = folder.endsWith(u'/') ? folder : folder + u'/';

    FolderListing listing;
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(dir.get());
        if (entry == nullptr) {
            if (errno != 0)
                failList(folder, errno);
            break;
        }
        if (entry->d_name[0] == '.')
            continue; // hidden, and the folder itself and its parent
        const EntryKind kind = kindOf(::dirfd(dir.get()), *entry);
        switch (kind) {
        case EntryKind::Folder:
            listing.subfolders.append(pathOf(prefix, entry->d_name));
            break;
        case EntryKind::LinkToFolder:
            break;
        case EntryKind::File:
        case EntryKind::Other:
            if (QString path = pathOf(prefix, entry->d_name);
                isNoteFileName(QStringView(path).sliced(prefix.size()), everyLayout)) {
                if (kind == EntryKind::Other)
                    listing.notPlainFiles.insert(path);
                listing.notes.append(std::move(path));
            }
            break;
        }
    }
    order.sort(listing.notes);
    order.sort(listing.subfolders);
    return listing;
}
