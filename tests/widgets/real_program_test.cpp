// The program itself on a real X server: settings typed in survive a restart.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

#include "support/run_command.h"
#include "support/temp_dir.h"

extern char** environ;

namespace corvane {
namespace {

using namespace std::chrono_literals;
using testing::ReadFile;
using testing::RunCommand;
using testing::TempDir;

// A child process that is killed if the test leaves before it has ended.
class Program {
 public:
  // Started in `cwd` (when given) with `args` after the program's name.
  explicit Program(const std::string& exe, std::vector<std::string> args = {},
                   const std::string& cwd = "") {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e)
      if (std::strncmp(*e, "QT_QPA_PLATFORM=", 16) != 0) env.emplace_back(*e);
    env.emplace_back("QT_QPA_PLATFORM=xcb");
    std::vector<char*> envp;
    for (std::string& s : env) envp.push_back(s.data());
    envp.push_back(nullptr);
    args.insert(args.begin(), exe);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    if (!cwd.empty()) ::posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
    if (::posix_spawn(&pid_, exe.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0)
      pid_ = -1;
    ::posix_spawn_file_actions_destroy(&actions);
  }
  ~Program() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  pid_t pid() const { return pid_; }

  // The main window's id, once it is on screen; 0 when it never appears.
  unsigned long Window() const {
    for (auto end = std::chrono::steady_clock::now() + 60s; std::chrono::steady_clock::now() < end;
         std::this_thread::sleep_for(100ms)) {
      std::string found = RunCommand("xdotool search --onlyvisible --pid " + std::to_string(pid_) +
                                     " --name 'Corvane By Halvek'");
      if (!found.empty()) return std::strtoul(found.c_str(), nullptr, 10);
    }
    return 0;
  }

  // Waits for the program to end; false (and the program killed) after half a minute.
  bool Ended(int* status) {
    for (auto end = std::chrono::steady_clock::now() + 30s; std::chrono::steady_clock::now() < end;
         std::this_thread::sleep_for(50ms)) {
      if (::waitpid(pid_, status, WNOHANG) == pid_) {
        pid_ = -1;
        return true;
      }
    }
    return false;
  }

 private:
  pid_t pid_ = -1;
};

// Asks the window to close, as a window manager's close button does.
void SendDeleteWindow(unsigned long window) {
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c) == 0) {
    auto atom = [c](const char* name) {
      xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
          c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
      xcb_atom_t a = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
      std::free(reply);
      return a;
    };
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = static_cast<xcb_window_t>(window);
    event.type = atom("WM_PROTOCOLS");
    event.data.data32[0] = atom("WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    // Wait for the server to take the request: one left unread when the
    // connection closes may be dropped.
    std::free(
        xcb_request_check(c, xcb_send_event_checked(c, 0, event.window, XCB_EVENT_MASK_NO_EVENT,
                                                    reinterpret_cast<const char*>(&event))));
  }
  xcb_disconnect(c);
}

// Replaces a field's text by clicking into it, selecting all and typing.
void TypeInto(unsigned long window, int x, int y, const std::string& text) {
  std::string w = std::to_string(window);
  RunCommand("xdotool mousemove --window " + w + " " + std::to_string(x) + " " + std::to_string(y) +
             " click 1");
  RunCommand("xdotool key ctrl+a");
  RunCommand("xdotool type --delay 20 '" + text + "'");
}

void Close(Program& program, unsigned long window) {
  // Let the window take in what was typed before it is asked to close.
  std::this_thread::sleep_for(500ms);
  SendDeleteWindow(window);
  int status = -1;
  ASSERT_TRUE(program.Ended(&status))
      << "the program did not end after its window was closed; its windows: "
      << RunCommand("sh -c 'for w in $(xdotool search --pid " + std::to_string(program.pid()) +
                    "); do xdotool getwindowname $w; done'");
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST(RealWindowProgram, KeepsItsSettingsAcrossARestart) {
  ASSERT_FALSE(RunCommand("xdotool version").empty()) << "xdotool is needed";
  TempDir dir;
  std::string exe = dir / "corvane";
  std::filesystem::copy_file(CORVANE_EXE, exe);
  const std::string ini = dir / "corvane.ini";
  const std::string typed = "[Settings]\nShredsAmount=25\nFileSpecific=*.txt\n";
  {
    Program program(exe);
    ASSERT_GT(program.pid(), 0);
    unsigned long window = program.Window();
    ASSERT_NE(window, 0u) << "the main window did not appear";
    EXPECT_FALSE(std::filesystem::exists(ini));
    // The icon really is in the program, so the window manager gets it,
    // in every size a taskbar or Alt+Tab may want.
    const std::string icons = RunCommand("xprop -id " + std::to_string(window) + " _NET_WM_ICON");
    for (const char* size : {"16 x 16", "48 x 48", "128 x 128"})
      EXPECT_NE(icons.find(size), std::string::npos) << size;
    RunCommand("xdotool windowfocus --sync " + std::to_string(window));
    TypeInto(window, 54, 249, "25");      // the number of shreds
    TypeInto(window, 258, 249, "*.txt");  // the file mask
    Close(program, window);
  }
  ASSERT_EQ(ReadFile(ini), typed);
  // The second run shows what the first one saved, and its close writes the
  // fields back: had they not been restored, the defaults would be in the file.
  // What follows "--" are files, for the toolkit too: were "-platform
  // offscreen" taken as its option, no window would show.
  dir.Write("-platform", "");
  dir.Write("offscreen", "");
  {
    Program program(exe, {"--", "-platform", "offscreen"}, dir.path());
    unsigned long window = program.Window();
    ASSERT_NE(window, 0u) << "the main window did not appear";
    Close(program, window);
  }
  EXPECT_EQ(ReadFile(ini), typed);
}

}  // namespace
}  // namespace corvane
