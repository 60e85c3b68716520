#include "app/trace_file.h"

#include <cerrno>
#include <cstdio>

#include "base/file_place.h"
#include "machine/state_description.h"

namespace tolvan {

WriteStatus TraceFile::open(const std::string& name) {
    name_ = name;
    transaction_ = std::make_unique<FileTransaction>(directory_of(name));
    const FilesStatus status = stage_stream(*transaction_, name, file_);
    if (!status) transaction_.reset();
    return {status.error_number};
}

void TraceFile::write_line(void* context, const Emulator& emulator, std::uint16_t address,
                           std::uint8_t opcode) {
    auto& trace = *static_cast<TraceFile*>(context);
    if (!trace.file_) return;
    const int written = std::fprintf(trace.file_, "%04X %02X %s T=%d\n", address, opcode,
                                     registers_text(emulator.cpu).c_str(), emulator.cpu.cycle_cost);
    if (written < 0) trace.fail(errno);
}

void TraceFile::close() {
    if (!transaction_) return;
    const FilesStatus status = commit_files(*transaction_);
    transaction_.reset();
    file_ = nullptr;
    if (!status) failure_ = status.error_number;
}

Failures TraceFile::take_failure() {
    if (failure_ == 0) return {};
    const int error_number = failure_;
    failure_ = 0;
    return failure(kTraceWriteError, describe_failure(name_, {error_number}));
}

void TraceFile::fail(int error_number) {
    failure_ = error_number;
    transaction_.reset();
    file_ = nullptr;
}

}  // namespace tolvan
