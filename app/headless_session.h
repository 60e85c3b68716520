// A headless run's machine: built as the window builds it, it carries out the actions of the
// command line one by one and prints what they ask for.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/trace_file.h"
#include "machine/display.h"
#include "machine/emulator.h"
#include "machine/failures.h"

namespace tolvan {

// The two ways of running: instruction steps that do not stop for the display, or whole
// execution slices.
enum class RunKind : std::uint8_t { kSteps, kSlices };

class HeadlessSession {
  public:
    // Powers the machine on; `symbols` name the addresses from then on.
    HeadlessSession(std::ostream& out, std::ostream& err, Symbols symbols);

    Emulator& emulator() { return *emulator_; }
    std::ostream& out() { return out_; }

    // Runs `count` steps or slices, stopping where the debugger stops; the --until target set
    // before it, if any, is the stop it aims at.
    Failures run(RunKind kind, std::uint64_t count);
    // The next run stops when PC reaches the address.
    void run_until(std::uint16_t address) { until_ = address; }
    void print_bytes(std::uint16_t from, std::uint16_t to);
    void poke(std::uint16_t address, const std::vector<std::uint8_t>& bytes);
    Failures press(KeyCode key);
    // Through the same queue as the window's keys; returns when every key has been taken and
    // released, or when the firmware has stopped taking them.
    Failures type(const std::string& text);
    // Load RAM, with the warning of the window's missing-images panel if the images are missing.
    Failures load_ram();
    Failures save_state(const std::string& path);
    Failures load_state(const std::string& path);
    // The machine `count` instructions earlier in its history; as far back as the history goes
    // when that is less, and then the run's exit status says so.
    Failures back(std::uint64_t count);
    // The most recent earlier moment at which PC was at the address; none sets the exit status.
    Failures reverse_until(std::uint16_t address);
    // Prints the instruction count, PC and value of the last write to the address; none sets
    // the exit status.
    Failures last_write(std::uint16_t address);
    // The previous file survives a failed write: the picture replaces it only once complete.
    Failures write_screenshot(const std::string& path);
    // Ends the trace so far, then traces into the file from here on.
    Failures trace_into(const std::string& path);
    Failures unassemble(std::uint16_t from, std::uint16_t to, const std::string& file,
                        bool source_format);

    // After a run that the debugger stopped: what stopped it and how the machine got there;
    // the machine runs on at the next run.
    void report_stop();
    // What went wrong while the machine was started, told once.
    Failures take_start_failures() { return std::move(start_failures_); }
    // What the trace lost since the last call.
    Failures take_trace_failure() { return trace_.take_failure(); }
    // Whether every target (--until, --back, --reverse-until, --last-write) was reached.
    bool all_reached() const { return !missed_target_; }
    // Ends the trace.
    Failures finish();

  private:
    // No instruction runs without the ROM images; the window shows that over its face, and a
    // run without them says so, with each image's name, expected size and folder.
    void warn_about_roms(PowerOnStatus roms);
    Failures run_steps(std::uint64_t count);
    Failures run_slices(std::uint64_t count);
    SliceResult slice();
    // One slice while typed keys wait; false once the firmware has taken none for a long while.
    bool typing_slice(Failures& failures);
    StepObserver observer() { return trace_.active() ? trace_.observer() : StepObserver{}; }
    std::string named_address(std::uint16_t address) const;
    // The LCD as the machine now shows it, after it was put back to another moment.
    void show_lcd();
    void miss(const std::string& what);

    std::ostream& out_;
    std::ostream& err_;
    std::unique_ptr<Emulator> emulator_ = std::make_unique<Emulator>();
    Display display_;
    TraceFile trace_;
    Failures start_failures_;
    int stalled_slices_ = 0;
    std::optional<std::uint16_t> until_;
    bool missed_target_ = false;
    std::uint64_t stops_reported_ = 0;
};

}  // namespace tolvan
