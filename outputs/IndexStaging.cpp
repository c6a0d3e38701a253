#include "outputs/IndexStaging.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <system_error>
#include <thread>

#include "catalogue/BeneathFolder.h"
#include "catalogue/ProgramState.h"
#include "catalogue/TextFile.h"
#include "outputs/IndexCommon.h"

namespace qv {

bool (*IndexCommitStepHook)(const std::string& path) = nullptr;
void (*IndexCommitSyncHook)(const std::string& path) = nullptr;

namespace {

namespace fs = std::filesystem;

// The commit, and what each instant of it leaves on disk for the recovery:
//   1. the manifest ("+" a new file, "-" an old file that the new set drops) is written into the staging
//      folder and made durable with every staged file;
//   2. the aside folder is made: from now on its presence means "a commit is under way";
//   3. every old file that the new set replaces or drops is moved into the aside folder;
//   4. every new file is moved from the staging folder into its place;
//   5. the marker "commit.done" is written into the staging folder: the new set stands;
//   6. the aside folder is removed, then the staging folder.
// Recovery: aside folder and marker: roll forward (remove what is left). Aside folder without marker:
// roll back by the manifest: a new file no longer in the staging folder was moved in, so it goes back
// there; every file in the aside folder goes back to its place. No aside folder: nothing of the old set
// was touched, the staging folder just goes. Every step is a single rename or removal, so a kill between
// two of them leaves one of these states, and the recovery itself can be cut short and run again.
constexpr char StagingName[] = "IndexNew.tmp";
constexpr char AsideName[] = "IndexOld.tmp";
constexpr char ManifestName[] = "commit.list";
constexpr char DoneName[] = "commit.done";

bool Step(const std::string& path) { return !IndexCommitStepHook || IndexCommitStepHook(path); }

// lstat's answer: 'f' something that is not a folder, 'd' a folder, 0 nothing (or unreadable).
char KindOf(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return 0;
    return S_ISDIR(st.st_mode) ? 'd' : 'f';
}

// Every move has an empty place to go to: one that is taken is not ours to replace.
bool MoveFile(const std::string& from, const std::string& to) {
    std::error_code ec;
    fs::create_directories(fs::path(to).parent_path(), ec);
    return RenameNoReplace(from, to);
}

// The file and its name on the disk, or no file.
bool WriteDurably(const std::string& path, const std::string& bytes) {
    return ReplaceFileContents(path, bytes) && SyncFolder(fs::path(path).parent_path().string());
}

// Only what the commit wrote or moved is waited for, never the rest of the file system: another program
// that is writing a video there at the time must not hold up the commit.
bool SyncOne(const std::string& path, bool folder) {
    if (IndexCommitSyncHook) IndexCommitSyncHook(path);
    return folder ? SyncFolder(path) : SyncFile(path);
}

// Each of the files below the base folder.
bool SyncFiles(const std::string& base, const std::vector<std::string>& names) {
    if (IndexCommitSyncHook)
        for (const std::string& name : names) IndexCommitSyncHook(PathIn(base, name));
    return AllAtOnce(names.size(), [&](size_t i) { return SyncFile(PathIn(base, names[i])); });
}

// Each folder below a base folder that holds one of the names, and every folder above it up to the base:
// the names in them, and the folders a move made.
bool SyncFoldersOf(const std::vector<std::string>& bases, const std::vector<std::string>& names) {
    std::set<std::string> folders{""};
    for (const std::string& name : names)
        for (fs::path up = fs::path(name).parent_path(); !up.empty(); up = up.parent_path())
            folders.insert(up.generic_string());
    for (const std::string& base : bases)
        for (const std::string& folder : folders) {
            const std::string path = folder.empty() ? base : PathIn(base, folder);
            if (KindOf(path) == 'd' && !SyncOne(path, true)) return false;
        }
    return true;
}

struct Manifest {
    std::vector<std::string> added;    // new files, in the order they move in
    std::vector<std::string> dropped;  // old files present that the new set does not have
    // Every name an old file may have.
    std::vector<std::string> All() const {
        std::vector<std::string> all = added;
        all.insert(all.end(), dropped.begin(), dropped.end());
        return all;
    }
};

std::string ManifestText(const Manifest& manifest) {
    std::string text;
    for (const std::string& name : manifest.added) text += "+" + name + "\n";
    for (const std::string& name : manifest.dropped) text += "-" + name + "\n";
    return text;
}

// The names of a manifest, each a plain name of a file of the set; false for anything else.
bool ParseManifest(const std::string& text, Manifest& manifest) {
    size_t from = 0;
    for (size_t end; (end = text.find('\n', from)) != std::string::npos; from = end + 1) {
        if (end == from) continue;
        const std::string name = text.substr(from + 1, end - from - 1);
        if ((text[from] != '+' && text[from] != '-') || !IsPlainRelativeName(name)) return false;
        (text[from] == '+' ? manifest.added : manifest.dropped).push_back(name);
    }
    return from == text.size();
}

// The file's bytes start on their way to the disk now, so that the commit waits less for them.
void StartWriteback(int fd) { ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE); }

// The bytes in a new file there, on their way to the disk.
bool WriteNewFile(const std::string& path, const std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wbe");
    bool good = file != nullptr;
    if (good && !bytes.empty()) good = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (file && std::fflush(file) != 0) good = false;
    if (good) StartWriteback(::fileno(file));
    if (file && std::fclose(file) != 0) good = false;
    return good;
}

void RemoveFolder(const std::string& path) { RemoveTree(path); }

// Far more than the names of any set.
constexpr size_t MostManifestBytes = 4 << 20;

// The roll-back of a cut commit, on the folders as opened: every name resolved beneath its folder, none
// through a link. What cannot be put back that way stays where it is, and so do the two folders.
class RollBack {
public:
    RollBack(int index, const std::string& indexFolder) : index_(index), indexFolder_(indexFolder) {}

    // False: something was left where it is.
    bool Run(int staging, int aside) {
        std::string text;
        const ReadBeneath read = staging >= 0
                                     ? ReadRegularFileBeneath(staging, ManifestName, text, MostManifestBytes)
                                     : ReadBeneath::Missing;
        Manifest manifest;
        if (read == ReadBeneath::Refused || (read == ReadBeneath::Read && !ParseManifest(text, manifest)))
            return false;
        if (read == ReadBeneath::Missing) return PutBackAsideFiles(aside);
        bool whole = true;
        for (const std::string& name : manifest.added) {
            const EntryKind staged = EntryKindBeneath(staging, name);
            if (staged == EntryKind::Refused) whole = false;
            if (staged != EntryKind::Missing) continue;
            switch (EntryKindBeneath(index_, name)) {
                case EntryKind::File:
                    Move(index_, name, staging, name);
                    break;
                case EntryKind::Missing:
                case EntryKind::Folder:
                    break;
                default:
                    whole = false;
            }
        }
        for (const std::string& name : manifest.All()) {
            const EntryKind kind = EntryKindBeneath(aside, name);
            if (kind == EntryKind::Missing) continue;
            if (kind != EntryKind::File || !Reachable(name)) {
                whole = false;
                continue;
            }
            Move(aside, name, index_, name);
        }
        return whole;
    }

private:
    // The file's place in the index folder is reached without a link.
    bool Reachable(const std::string& name) const {
        const EntryKind kind = EntryKindBeneath(index_, name);
        return kind != EntryKind::Refused && kind != EntryKind::Link;
    }

    void Move(int from, const std::string& fromName, int to, const std::string& toName) const {
        if (!MoveBeneath(from, fromName, to, toName))
            throw IndexRunError(CannotWriteText(PathIn(indexFolder_, to == index_ ? toName : fromName)));
    }

    // Without the manifest (its folder removed by hand) only the aside folder tells what the commit did:
    // each file there goes back to its place, over the new file that may have moved there already.
    bool PutBackAsideFiles(int aside) const {
        std::vector<std::string> names;
        bool whole = RegularFilesBeneath(aside, names);
        for (const std::string& name : names) {
            const EntryKind kind = EntryKindBeneath(index_, name);
            if (kind != EntryKind::File && kind != EntryKind::Missing) {
                whole = false;
                continue;
            }
            if (kind == EntryKind::File) {
                const UniqueFd folder = ParentBeneath(index_, name, false);
                if (folder.ok()) ::unlinkat(folder.get(), std::string(LeafOf(name)).c_str(), 0);
            }
            Move(aside, name, index_, name);
        }
        return whole;
    }

    int index_;
    const std::string& indexFolder_;
};

}  // namespace

void RecoverIndexFolder(const std::string& indexFolder) {
    const UniqueFd index = OpenFolder(indexFolder);
    if (!index.ok()) return;
    const std::string staging = PathIn(indexFolder, StagingName);
    const std::string aside = PathIn(indexFolder, AsideName);
    // Either name as a link is not our folder: it stays, and so does the other one.
    const EntryKind stagingKind = EntryKindBeneath(index.get(), StagingName);
    const EntryKind asideKind = EntryKindBeneath(index.get(), AsideName);
    if (stagingKind == EntryKind::Link || asideKind == EntryKind::Link)
        throw IndexRunError(CannotRestoreText(stagingKind == EntryKind::Link ? staging : aside, indexFolder));
    // Only the marker the commit wrote, a regular file, says that the new set stands; anything else in its
    // place is not ours, and the old set goes back.
    if (asideKind == EntryKind::Folder &&
        EntryKindBeneath(index.get(), std::string(StagingName) + "/" + DoneName) != EntryKind::File) {
        const UniqueFd stagingFolder(stagingKind == EntryKind::Folder
                                         ? OpenBeneath(index.get(), StagingName, O_PATH | O_DIRECTORY)
                                         : -1);
        const UniqueFd asideFolder(OpenBeneath(index.get(), AsideName, O_RDONLY | O_DIRECTORY | O_NONBLOCK));
        if (!asideFolder.ok() ||
            !RollBack(index.get(), indexFolder).Run(stagingFolder.get(), asideFolder.get()))
            throw IndexRunError(CannotRestoreText(aside, indexFolder));
    }
    // The staging folder holds the marker: it goes last.
    RemoveEntryAt(index.get(), AsideName);
    if (EntryKindBeneath(index.get(), AsideName) == EntryKind::Missing)
        RemoveEntryAt(index.get(), StagingName);
}

IndexStaging::IndexStaging(const std::string& indexFolder)
    : indexFolder_(indexFolder), folder_(PathIn(indexFolder, StagingName)) {
    RecoverIndexFolder(indexFolder);
    std::error_code ec;
    if (!fs::create_directory(folder_, ec) || ec) throw IndexRunError(CannotWriteText(folder_));
}

IndexStaging::~IndexStaging() {
    Finish();
    try {
        RecoverIndexFolder(indexFolder_);
    } catch (...) {
        // What is left is recovered at the next run or start.
    }
}

std::string IndexStaging::Path(const std::string& relativeName) const {
    return PathIn(folder_, relativeName);
}

void IndexStaging::Write(const std::string& relativeName, const std::string& bytes) {
    const std::string path = Path(relativeName);
    std::error_code ec;
    fs::create_directories(fs::path(path).parent_path(), ec);
    if (!WriteNewFile(path, bytes)) throw IndexRunError(CannotWriteText(PathIn(indexFolder_, relativeName)));
    written_.push_back(relativeName);
}

void IndexStaging::WriteMany(const std::vector<std::pair<std::string, std::string>>& files) {
    std::set<fs::path> folders;
    for (const auto& [name, bytes] : files) folders.insert(fs::path(Path(name)).parent_path());
    std::error_code ec;
    for (const fs::path& folder : folders) fs::create_directories(folder, ec);
    std::vector<char> good(files.size(), 0);
    AllAtOnce(files.size(), [&](size_t i) {
        good[i] = WriteNewFile(Path(files[i].first), files[i].second);
        return true;
    });
    for (size_t i = 0; i < files.size(); ++i) {
        if (!good[i]) throw IndexRunError(CannotWriteText(PathIn(indexFolder_, files[i].first)));
        written_.push_back(files[i].first);
    }
}

void IndexStaging::Adopt(const std::string& relativeName) {
    if (const int fd = ::open(Path(relativeName).c_str(), O_RDONLY | O_CLOEXEC); fd >= 0) {
        StartWriteback(fd);
        ::close(fd);
    }
    written_.push_back(relativeName);
}

void IndexStaging::Forget(const std::string& relativeName) {
    std::erase(written_, relativeName);
    std::error_code ec;
    fs::remove(Path(relativeName), ec);
}

void IndexStaging::Drop(const std::string& relativeName) { dropped_.push_back(relativeName); }

void IndexStaging::Commit() {
    Manifest manifest;
    manifest.added = written_;
    // A folder in a file's place is not ours to move, nor a file reached through a link.
    const UniqueFd index = OpenFolder(indexFolder_);
    auto movable = [&index](const std::string& name) {
        const EntryKind kind = EntryKindBeneath(index.get(), name);
        return kind != EntryKind::Folder && kind != EntryKind::Refused;
    };
    for (const std::string& name : written_)
        if (KindOf(Path(name)) != 'f' || !movable(name))
            throw IndexRunError(CannotWriteText(PathIn(indexFolder_, name)));
    for (const std::string& name : dropped_)
        if (KindOf(PathIn(indexFolder_, name)) == 'f' && movable(name) &&
            std::ranges::find(written_, name) == written_.end() &&
            std::ranges::find(manifest.dropped, name) == manifest.dropped.end())
            manifest.dropped.push_back(name);

    const std::string manifestPath = Path(ManifestName);
    const std::string aside = PathIn(indexFolder_, AsideName);
    // The new files' bytes and names are on the disk before the first of them is put in place.
    if (!Step(manifestPath) || !SyncFiles(folder_, manifest.added) ||
        !SyncFoldersOf({folder_}, manifest.added) || !WriteDurably(manifestPath, ManifestText(manifest)))
        throw IndexRunError(CannotWriteText(manifestPath));
    std::error_code ec;
    if (!Step(aside) || !fs::create_directory(aside, ec) || ec || !SyncFolder(indexFolder_))
        throw IndexRunError(CannotWriteText(aside));

    // Undone on disk by the recovery, which reads only what is there; then reported.
    auto fail = [this](const std::string& target) {
        try {
            RecoverIndexFolder(indexFolder_);
        } catch (const IndexRunError&) {
            // The next run or start tries again; the user learns which file stopped this one.
        }
        throw IndexRunError(CannotWriteText(target));
    };
    for (const std::string& name : manifest.All()) {
        const std::string target = PathIn(indexFolder_, name);
        if (KindOf(target) == 'f' && (!Step(target) || !MoveFile(target, PathIn(aside, name)))) fail(target);
    }
    for (const std::string& name : manifest.added) {
        const std::string target = PathIn(indexFolder_, name);
        if (!Step(target) || !MoveFile(Path(name), target)) fail(target);
    }
    const std::string done = Path(DoneName);
    // Every move on the disk before the marker says that the new set stands.
    if (!SyncFoldersOf({indexFolder_, aside, folder_}, manifest.All()) || !Step(done) ||
        !WriteDurably(done, ""))
        fail(done);

    // The new set stands. What is left goes on another thread while the run shows its end (some disks
    // make each removed file wait for its blocks to be discarded), or at the next recovery if a removal
    // fails.
    written_.clear();
    dropped_.clear();
    auto tidy = [aside, folder = folder_] {
        if (Step(aside)) RemoveFolder(aside);
        if (KindOf(aside) == 0 && Step(folder)) RemoveFolder(folder);
    };
    try {
        tidy_ = std::jthread(tidy);
    } catch (const std::system_error&) {
        tidy();
    }
}

void IndexStaging::Finish() {
    if (tidy_.joinable()) tidy_.join();
}

}  // namespace qv
