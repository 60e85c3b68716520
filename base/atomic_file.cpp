#include "base/atomic_file.h"

#include "base/file_transaction.h"

namespace tolvan {

namespace {

std::string directory_of(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

}  // namespace

WriteStatus write_file_atomically(const std::string& path, std::string_view bytes) {
    FileTransaction transaction(directory_of(path));
    FilesStatus status = stage_file(transaction, path, bytes);
    if (status) status = commit_files(transaction);
    return {status.error_number};
}

}  // namespace tolvan
