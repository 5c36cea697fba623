#include "ctl/CtlCommandLine.h"

#include <charconv>

namespace zel::ctl {

namespace {

std::optional<CtlCommand> commandNamed(const std::string& name) {
    if (name == "list") {
        return CtlCommand::List;
    }
    if (name == "status") {
        return CtlCommand::Status;
    }
    if (name == "apply") {
        return CtlCommand::Apply;
    }
    if (name == "read") {
        return CtlCommand::Read;
    }
    if (name == "export") {
        return CtlCommand::Export;
    }
    if (name == "import") {
        return CtlCommand::Import;
    }
    return std::nullopt;
}

std::optional<int> profileNumber(const std::string& text) {
    int value = -1;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 0 || value > 3) {
        return std::nullopt;
    }
    return value;
}

} // namespace

CtlCommandLine parseCtlCommandLine(const std::vector<std::string>& args) {
    CtlCommandLine line;
    std::optional<CtlStep> step;
    const auto fail = [&line](std::string why) {
        if (line.error.empty()) {
            line.error = std::move(why);
        }
    };
    const auto finish = [&] {
        if (!step) {
            return;
        }
        if ((step->command == CtlCommand::Export || step->command == CtlCommand::Import) &&
            step->file.empty()) {
            fail(std::string(step->command == CtlCommand::Export ? "export" : "import") +
                 " needs a FILE");
        }
        line.steps.push_back(*step);
        step.reset();
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            line.help = true;
        } else if (arg == "--version") {
            line.version = true;
        } else if (arg == "--json") {
            line.json = true;
        } else if (arg == "--simulate") {
            line.simulate = true;
        } else if (arg.rfind("--simulate=", 0) == 0) {
            line.simulate = true;
            const std::string id = arg.substr(11);
            if (id == "1201") {
                line.simulatedProduct = 0x1201;
            } else if (id != "1040") {
                fail("--simulate takes 1040 or 1201");
            }
        } else if (arg == "--app-dir" && i + 1 < args.size()) {
            line.appDir = args[++i];
        } else if (arg.rfind("--app-dir=", 0) == 0) {
            line.appDir = arg.substr(10);
        } else if (arg == "+") {
            finish();
        } else if (arg == "--raw" && step && step->command == CtlCommand::Read) {
            step->raw = true;
        } else if ((arg == "--profile" || arg == "-p") && step &&
                   step->command == CtlCommand::Apply) {
            const auto number = i + 1 < args.size() ? profileNumber(args[++i]) : std::nullopt;
            if (!number) {
                fail("--profile takes 0, 1, 2 or 3");
            } else {
                step->profile = *number;
            }
        } else if (arg.rfind("--profile=", 0) == 0 && step && step->command == CtlCommand::Apply) {
            const auto number = profileNumber(arg.substr(10));
            if (!number) {
                fail("--profile takes 0, 1, 2 or 3");
            } else {
                step->profile = *number;
            }
        } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
            fail("unknown option " + arg);
        } else if (!step) {
            const auto command = commandNamed(arg);
            if (!command) {
                fail("unknown command " + arg);
                continue;
            }
            step = CtlStep{};
            step->command = *command;
        } else if ((step->command == CtlCommand::Export || step->command == CtlCommand::Import) &&
                   step->file.empty()) {
            step->file = arg;
        } else {
            fail("unexpected argument " + arg);
        }
    }
    finish();
    if (line.steps.empty() && !line.help && !line.version) {
        fail("no command given");
    }
    return line;
}

std::string ctlUsage() {
    return R"(usage: zel-gmousectl [OPTIONS] COMMAND [ARGS] [+ COMMAND [ARGS]]...

Configures the ZEL gaming mouse from a terminal or a script, with the settings and
macros of the program's data folder.

Commands:
  list                 the mice found: hidraw paths of the event and the feature
                       collection, product kind and product string
  status               the active profile (the mouse's status report) and the DPI
                       level the mouse's memory holds
  apply [--profile N]  writes the whole configuration into the mouse, as Apply does;
                       --profile N (0..3) makes profile N the current one first
  read [--raw]         reads the configuration memory back and prints it decoded;
                       --raw prints the blocks as the dry run prints its writes
  export FILE          copies the settings file to FILE (a profile file)
  import FILE          replaces the settings file by the profile file FILE; a file
                       of another model is refused

Commands joined with "+" run in one session, one after the other (with --simulate
on one simulated mouse): zel-gmousectl --simulate apply + read --raw

Options:
  --json               list, status and read print JSON
  --app-dir DIR        the data folder (default: ZEL_GMOUSE_APPDIR, else the folder
                       the program uses)
  --simulate[=1040|1201]  the simulated mouse instead of a real one
  --help, --version

Exit status:
  0  done
  1  no mouse found, or its hidraw nodes cannot be opened
  2  wrong command line
  3  no settings file in the data folder
  4  refused or failed: a profile file of another model, a file that could not be
     written or read, a download stopped because the macro memory is full
)";
}

} // namespace zel::ctl
