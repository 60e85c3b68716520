// The --trace file: one line per executed instruction, written as the machine runs.
#pragma once

#include <cstdint>
#include <string>

#include "base/atomic_file.h"
#include "base/regular_file.h"
#include "machine/failures.h"
#include "machine/slice.h"

namespace tolvan {

inline constexpr const char* kTraceWriteError = "Erreur pendant l'écriture de la trace";

// The first failed write ends the trace and is told once.
class TraceFile {
  public:
    [[nodiscard]] WriteStatus open(const std::string& name);
    bool active() const { return file_ != nullptr; }
    StepObserver observer() { return {&TraceFile::write_line, this}; }

    static void write_line(void* context, const Emulator& emulator, std::uint16_t address,
                           std::uint8_t opcode);

    // Flushes what is still buffered; the trace is complete only if this succeeds.
    void close();

    // A failed write, told once.
    Failures take_failure();

  private:
    void fail(int error_number);

    std::string name_;
    FileHandle file_;
    int failure_ = 0;
};

}  // namespace tolvan
