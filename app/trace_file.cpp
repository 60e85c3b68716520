#include "app/trace_file.h"

#include <cerrno>
#include <cstdio>

#include "machine/state_description.h"

namespace tolvan {

WriteStatus TraceFile::open(const std::string& name) {
    OpenedFile opened = open_regular_file_for_writing(name);
    name_ = name;
    file_ = std::move(opened.file);
    return {opened.error_number};
}

void TraceFile::write_line(void* context, const Emulator& emulator, std::uint16_t address,
                           std::uint8_t opcode) {
    auto& trace = *static_cast<TraceFile*>(context);
    if (!trace.file_) return;
    const int written = std::fprintf(trace.file_.get(), "%04X %02X %s T=%d\n", address, opcode,
                                     registers_text(emulator.cpu).c_str(), emulator.cpu.cycle_cost);
    if (written < 0) trace.fail(errno);
}

void TraceFile::close() {
    if (file_ && std::fclose(file_.release()) != 0) failure_ = errno;
}

Failures TraceFile::take_failure() {
    if (failure_ == 0) return {};
    const int error_number = failure_;
    failure_ = 0;
    return failure(kTraceWriteError, describe_failure(name_, {error_number}));
}

void TraceFile::fail(int error_number) {
    failure_ = error_number;
    file_.reset();
}

}  // namespace tolvan
