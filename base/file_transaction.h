// Replacing several files together, so that after a failure or a crash at any moment each of
// them holds either all its old contents or all its new ones, and either every file of the set
// has its new contents or none has.
//
// Every new content first goes, complete, into a temporary file of the transaction's journal
// folder; only when all of them are on the disk is a journal naming them written, its last line
// being the commit mark. Then each file takes its new contents:
// - by renaming the temporary file over it, where that gives the same file as before;
// - by writing it in place, where a rename would change it or cannot be done: a file with other
//   hard links, one whose owner or group differs from what a new file would get, one in a folder
//   that the process may not write or in a sticky folder, one on another file system. Its space
//   is reserved before the commit, so that a full disk fails while every old byte is still
//   there; owner, group and mode stay.
// Only then is the journal removed. Whoever next takes the folder's journal (a later
// transaction, or recover_files at the start of a program) finishes a committed journal from
// its temporary files and throws away an uncommitted one, and removes temporary files that no
// live transaction holds. Transactions on one journal folder take turns: each holds an advisory
// lock on the folder while it commits or recovers.
//
// The journal folder is the one given where the process may create files there; otherwise the
// user's state folder (XDG_STATE_HOME, or ~/.local/state) holds the journal and temporary files
// for it. Where neither can be written, the files are still written (in place) but a crash in
// the middle can leave some of them new and others old.
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "base/regular_file.h"
#include "base/write_status.h"

namespace tolvan {

struct StagedFile {
    std::string path;       // as the caller named it, for messages
    std::string target;     // the file that the name leads to, symbolic links followed
    std::string temporary;  // empty for a temporary file without a name
    int descriptor = -1;    // the temporary file, open and locked until the transaction ends
    FileHandle stream;      // for contents written piece by piece
    bool in_place = false;
    mode_t mode = 0;  // for a file that takes the temporary file's place
};

struct FileTransaction {
    explicit FileTransaction(std::string journal_folder);
    ~FileTransaction();  // throws away whatever was staged and not committed
    FileTransaction(const FileTransaction&) = delete;
    FileTransaction& operator=(const FileTransaction&) = delete;

    std::string folder;  // whose journal this is
    std::string home;    // where the journal and temporary files go; empty when nowhere
    std::vector<StagedFile> files;
};

// Adds a file and its complete new contents. Refused, and nothing kept, where a plain write
// would be refused too: an existing file that the process may not write, a new file in a folder
// where it may not create one, anything but a regular file.
[[nodiscard]] FilesStatus stage_file(FileTransaction& transaction, const std::string& path,
                                     std::string_view bytes);
// Adds a file whose contents are written piece by piece to the stream returned; they count
// only when the transaction commits.
[[nodiscard]] FilesStatus stage_stream(FileTransaction& transaction, const std::string& path,
                                       std::FILE*& stream);
// Every staged file takes its new contents, or (when the failure comes before the commit mark)
// none does. A failure after the commit mark is finished by the next recovery of the folder.
[[nodiscard]] FilesStatus commit_files(FileTransaction& transaction);

// What a program does before it reads files that a transaction of this journal folder may have
// been writing when the program last stopped.
[[nodiscard]] FilesStatus recover_files(const std::string& journal_folder);

}  // namespace tolvan
