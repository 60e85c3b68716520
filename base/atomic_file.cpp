#include "base/atomic_file.h"

#include "base/file_place.h"
#include "base/file_transaction.h"

namespace tolvan {

WriteStatus write_file_atomically(const std::string& path, std::string_view bytes) {
    FileTransaction transaction(directory_of(path));
    FilesStatus status = stage_file(transaction, path, bytes);
    if (status) status = commit_files(transaction);
    return {status.error_number};
}

}  // namespace tolvan
