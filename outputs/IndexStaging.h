#pragma once
// How a new index set takes the place of the old one in the index folder: whole or not at all, also when
// the run fails or the program is killed in the middle. Paths are UTF-8; names are relative to the index
// folder ("SPEED/Index/00.ztx").
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace qv {

// A folder beside the index files in which a run writes its whole new set; Commit puts it in place.
class IndexStaging {
public:
    // Recovers what an interrupted commit left first (RecoverIndexFolder); IndexRunError naming what could
    // not be restored or made.
    explicit IndexStaging(const std::string& indexFolder);
    // However the run ends: the staging folder goes, and a commit cut short by an exception is undone.
    ~IndexStaging();
    IndexStaging(const IndexStaging&) = delete;
    IndexStaging& operator=(const IndexStaging&) = delete;

    // Path in the staging folder of a file of the set.
    std::string Path(const std::string& relativeName) const;
    // Writes the bytes there; IndexRunError naming the final file when that fails.
    void Write(const std::string& relativeName, const std::string& bytes);
    // Write for each file, several at once (making many files is slow on some file systems); the first
    // failure in the list's order is the one reported.
    void WriteMany(const std::vector<std::pair<std::string, std::string>>& files);
    // A file that something else made at Path(relativeName) is committed too; a written one is dropped.
    void Adopt(const std::string& relativeName);
    void Forget(const std::string& relativeName);
    // A file of the old set that the new one does not have: it goes with the old set (a folder of that name
    // is not ours and stays).
    void Drop(const std::string& relativeName);
    // Every written file in place of its old self and every dropped file gone: all of it, or after a
    // failure (IndexRunError naming the final file that could not be replaced or taken away) nothing.
    // Shows nothing: once begun it runs to its end. The staging folder and the old files are removed on
    // another thread after the new set stands; Finish (or the destructor) waits for that.
    void Commit();
    void Finish();

private:
    std::string indexFolder_;
    std::string folder_;
    std::vector<std::string> written_;
    std::vector<std::string> dropped_;
    std::jthread tidy_;
};

// An interrupted commit finished (when all its new files were in place) or undone, then the staging
// folders removed. Looks at two names in the index folder, nothing more. IndexRunError naming an old file
// that could not be put back: the folders stay for the next try. The manifest's names are taken only as
// plain names below the index folder and reached without following a link; what cannot be put back so
// stays where it is, with both folders, and IndexRunError names the folder.
void RecoverIndexFolder(const std::string& indexFolder);

// Tests: called before each change that a commit makes on disk, with the path it concerns; false makes
// the change fail as if the disk had refused it.
extern bool (*IndexCommitStepHook)(const std::string& path);
// Tests: called with each file or folder that a commit makes durable, before it does.
extern void (*IndexCommitSyncHook)(const std::string& path);

}  // namespace qv
