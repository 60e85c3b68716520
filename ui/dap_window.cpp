#include "ui/dap_window.h"

#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <array>
#include <cerrno>

#include "ui/debugger_window.h"
#include "ui/main_window.h"

namespace tolvan {

namespace {

constexpr std::size_t kReadChunk = 64 * 1024;

// Carries messages between standard input and output and the session, in the event loop.
class DapLink : public QObject {
  public:
    DapLink(MainWindow& window, DapSession& session, MessageReader& reader)
        : window_(window),
          session_(session),
          reader_(reader),
          input_(STDIN_FILENO, QSocketNotifier::Read) {
        connect(&input_, &QSocketNotifier::activated, this, &DapLink::read_input);
        connect(&window_, &MainWindow::slice_ran, this, [this] { send(session_.poll()); });
    }

    // The launch that waited for the window, then what the client sent meanwhile.
    void start() {
        if (!send(session_.finish_launch(&window_.emulator(), &window_.display(), {}))) return;
        handle_messages();
    }

    // The window was closed by the user: the client hears that the machine is gone.
    void window_closed() {
        if (!ended_) send(session_.machine_ended());
        ended_ = true;
    }

  private:
    bool send(const DapOutput& output) {
        if (ended_) return false;
        if (!write_messages(STDOUT_FILENO, output.messages)) {
            end();
            return false;
        }
        if (output.end) end();
        return !ended_;
    }

    void end() {
        ended_ = true;
        input_.setEnabled(false);
        QApplication::quit();
    }

    void read_input() {
        std::array<char, kReadChunk> buffer;
        ssize_t count = 0;
        do {
            count = ::read(STDIN_FILENO, buffer.data(), buffer.size());
        } while (count < 0 && errno == EINTR);
        if (count <= 0) {
            // The client has closed its end: nothing more will come.
            end();
            return;
        }
        reader_.feed(std::string_view(buffer.data(), static_cast<std::size_t>(count)));
        handle_messages();
    }

    void handle_messages() {
        while (!ended_) {
            const Frame frame = reader_.next();
            if (frame.status == FrameStatus::kIncomplete) return;
            const std::uint64_t stops = window_.emulator().debugger.stop_count;
            const DapOutput output = frame.status == FrameStatus::kMessage
                                         ? session_.handle(frame.message)
                                         : session_.framing_error(frame);
            // A step runs outside the slices: the LCD it drew, and the stop in the debugger's
            // window, show now.
            window_.show_lcd();
            DebuggerWindow* debugger = window_.debugger_window();
            if (debugger && window_.emulator().debugger.stop_count != stops) {
                SliceResult stopped;
                stopped.stopped = true;
                debugger->after_slice(stopped);
            }
            if (!send(output)) return;
        }
    }

    MainWindow& window_;
    DapSession& session_;
    MessageReader& reader_;
    QSocketNotifier input_;
    bool ended_ = false;
};

}  // namespace

int run_dap_window(int argc, char** argv, const MachineFolder& folder, DapSession& session,
                   MessageReader& reader) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tolvan"));
    QApplication::setDesktopFileName(QStringLiteral("tolvan"));
    MainWindow window;
    window.set_machine_folder(folder);
    window.show();
    window.emulator().control.slice_busy = false;
    DapLink link(window, session, reader);
    QObject::connect(&application, &QApplication::lastWindowClosed, &link,
                     [&link] { link.window_closed(); });
    link.start();
    const int status = QApplication::exec();
    link.window_closed();
    return status;
}

}  // namespace tolvan
