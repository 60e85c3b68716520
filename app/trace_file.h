// The --trace file: one line per executed instruction, written as the machine runs.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "base/file_transaction.h"
#include "machine/failures.h"
#include "machine/slice.h"

namespace tolvan {

inline constexpr const char* kTraceWriteError = "Erreur pendant l'écriture de la trace";

// The trace replaces its file only once it is complete, when it is closed: a trace that fails
// (a full disk, the file size limit) or is cut short leaves the previous file as it was. The
// first failed write ends the trace and is told once.
class TraceFile {
  public:
    [[nodiscard]] WriteStatus open(const std::string& name);
    bool active() const { return file_ != nullptr; }
    StepObserver observer() { return {&TraceFile::write_line, this}; }

    static void write_line(void* context, const Emulator& emulator, std::uint16_t address,
                           std::uint8_t opcode);

    // Flushes what is still buffered and puts the trace in its file's place; the trace is
    // complete only if this succeeds.
    void close();

    // A failed write, told once.
    Failures take_failure();

  private:
    void fail(int error_number);

    std::string name_;
    std::unique_ptr<FileTransaction> transaction_;
    std::FILE* file_ = nullptr;  // belongs to the transaction
    int failure_ = 0;
};

}  // namespace tolvan
