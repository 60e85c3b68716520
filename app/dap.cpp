#include "app/dap.h"

#include <poll.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <memory>

#include "app/headless.h"
#include "base/dap_framing.h"
#include "machine/commands.h"
#include "machine/debugger.h"
#include "machine/demo_firmware.h"
#include "machine/rom_check.h"
#include "machine/slice.h"
#include "resources/artwork.h"

namespace tolvan {

namespace {

constexpr std::size_t kReadChunk = 64 * 1024;

[[nodiscard]] bool send(const DapOutput& output) {
    return write_messages(STDOUT_FILENO, output.messages);
}

// The machine without a window: built as the headless program builds it.
struct WindowlessMachine {
    std::unique_ptr<Emulator> emulator = std::make_unique<Emulator>();
    Display display;
};

class WindowlessAdapter {
  public:
    explicit WindowlessAdapter(bool window_available) : window_available_(window_available) {}
    // Talks until the session ends, or until a launch asks for the window.
    [[nodiscard]] int run();
    // The folder of a launch that wants the window, entered; the session and the reader go on
    // in the window.
    const std::optional<MachineFolder>& window_folder() const { return window_folder_; }
    DapSession& session() { return session_; }
    MessageReader& reader() { return reader_; }

  private:
    // Reads what standard input holds; false at its end or on an error.
    [[nodiscard]] bool read_input();
    // Handles every complete message; false once the session or the output has ended.
    [[nodiscard]] bool handle_messages();
    [[nodiscard]] bool launch(const LaunchArguments& arguments);

    MessageReader reader_;
    DapSession session_;
    std::unique_ptr<WindowlessMachine> machine_;
    bool window_available_;
    std::optional<MachineFolder> window_folder_;
};

bool WindowlessAdapter::read_input() {
    std::array<char, kReadChunk> buffer;
    for (;;) {
        const ssize_t count = ::read(STDIN_FILENO, buffer.data(), buffer.size());
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return false;
        reader_.feed(std::string_view(buffer.data(), static_cast<std::size_t>(count)));
        return true;
    }
}

bool WindowlessAdapter::launch(const LaunchArguments& arguments) {
    const EnteredFolder entered = enter_launch_folder(arguments);
    DapOutput notes;
    for (const std::string& note : entered.notes) {
        notes.messages.push_back(session_.output_event(note));
    }
    if (!send(notes)) return false;
    if (!entered.folder) return send(session_.finish_launch(nullptr, nullptr, entered.error));
    if (!arguments.no_window) {
        if (!window_available_) {
            return send(session_.finish_launch(
                nullptr, nullptr, "this tolvan is built without the window: launch with noWindow"));
        }
        window_folder_ = entered.folder;
        return false;
    }
    machine_ = std::make_unique<WindowlessMachine>();
    WindowlessMachine& machine = *machine_;
    machine.display.case_bitmap = make_case_bitmap();
    machine.display.pixel_bitmap = make_pixel_bitmap();
    draw_case(machine.display);
    const PowerOnResult power_on = start_machine(*machine.emulator);
    DapOutput loaded;
    const SymbolFolderStatus symbols = load_symbol_files(*machine.emulator, ".");
    for (const std::string& failure : symbols.failures) {
        loaded.messages.push_back(
            session_.output_event("warning: " + failure + "; not loaded", "stderr"));
    }
    if (power_on.roms != PowerOnStatus::kOk) {
        loaded.messages.push_back(
            session_.output_event("warning: no instruction runs: ROM images missing or short in " +
                                      entered.folder->path.string(),
                                  "stderr"));
        for (const RomImageProblem& problem : rom_image_problems(entered.folder->path)) {
            loaded.messages.push_back(session_.output_event("  " + describe_problem(problem)));
        }
    }
    if (!send(loaded)) return false;
    return send(session_.finish_launch(machine.emulator.get(), &machine.display, {}));
}

bool WindowlessAdapter::handle_messages() {
    for (;;) {
        const Frame frame = reader_.next();
        if (frame.status == FrameStatus::kIncomplete) return true;
        const DapOutput output = frame.status == FrameStatus::kMessage
                                     ? session_.handle(frame.message)
                                     : session_.framing_error(frame);
        if (!send(output)) return false;
        if (output.launch && !launch(*output.launch)) return false;
        if (output.end) return false;
    }
}

int WindowlessAdapter::run() {
    for (;;) {
        const bool running = session_.machine_runs();
        pollfd input{STDIN_FILENO, POLLIN, 0};
        // A running machine only looks at the input between slices; a stopped one waits.
        const int ready = ::poll(&input, 1, running ? 0 : -1);
        if (ready < 0 && errno != EINTR) return kExitReportedError;
        if (ready > 0) {
            if (!read_input()) return kExitOk;  // the client closed the pipe: the session ends
            if (!handle_messages()) return kExitOk;
        }
        if (running && session_.machine_runs()) {
            const SliceResult slice = run_slice(*machine_->emulator, machine_->display);
            if (!send(session_.failures_output(slice.failures))) return kExitOk;
            if (!send(session_.poll())) return kExitOk;
        }
    }
}

}  // namespace

EnteredFolder enter_launch_folder(const LaunchArguments& arguments) {
    EnteredFolder entered;
    if (arguments.machine_folder) {
        std::error_code error;
        std::filesystem::current_path(*arguments.machine_folder, error);
        if (error) {
            entered.error = "machineFolder: cannot change to " + *arguments.machine_folder + ": " +
                            error.message();
            return entered;
        }
        entered.folder =
            MachineFolder{std::filesystem::current_path(error), FolderOrigin::kCommandLine};
        return entered;
    }
    const auto images = find_demo_images(program_directory());
    if (!images) {
        entered.error = "the demo firmware's ROM images are not installed beside " +
                        program_directory().string() + "; give machineFolder";
        return entered;
    }
    const auto folder = demo_folder(user_environment());
    if (!folder) {
        entered.error = "neither HOME nor XDG_DATA_HOME names a folder for the demo";
        return entered;
    }
    const DemoFolderSetup setup = prepare_demo_folder(*images, *folder);
    if (!setup.ok()) {
        entered.error = setup.failed_path + ": " + std::strerror(setup.error_number);
        return entered;
    }
    for (const std::string& image : setup.foreign_images) {
        entered.notes.push_back(image + " is not a demo image; it is left as it is");
    }
    if (const int error = enter_folder(*folder); error != 0) {
        entered.error = "cannot change to " + folder->string() + ": " + std::strerror(error);
        return entered;
    }
    entered.folder = MachineFolder{*folder, FolderOrigin::kDemo};
    return entered;
}

int run_dap(int argc, char** argv, DapWindowRunner window) {
    // A client that goes away shows as a failed write, not as a signal that kills the machine.
    std::signal(SIGPIPE, SIG_IGN);
    WindowlessAdapter adapter(window != nullptr);
    const int status = adapter.run();
    if (!adapter.window_folder()) return status;
    return window(argc, argv, *adapter.window_folder(), adapter.session(), adapter.reader());
}

}  // namespace tolvan
