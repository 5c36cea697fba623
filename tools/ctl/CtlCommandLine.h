#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zel::ctl {

/// Exit statuses of zel-gmousectl.
enum class CtlExit : int {
    Ok = 0,
    NoMouse = 1,    ///< no mouse found, or its nodes cannot be opened
    Usage = 2,      ///< the command line is wrong
    NoSettings = 3, ///< the AppDir holds no settings file
    Refused = 4,    ///< a profile file was refused, a file could not be written, or the
                    ///< download stopped (macro memory full)
};

enum class CtlCommand { List, Status, Apply, Read, Export, Import };

/// One command of the command line with its own options.
struct CtlStep {
    CtlCommand command = CtlCommand::List;
    int profile = -1; ///< apply --profile N (0..3), -1 without
    bool raw = false; ///< read --raw
    std::string file; ///< export / import FILE
};

struct CtlCommandLine {
    std::optional<std::string> appDir;
    bool simulate = false;
    std::uint16_t simulatedProduct = 0x1040;
    bool json = false;
    bool help = false;
    bool version = false;
    /// The commands in order; several are joined with "+" and share one session (and
    /// with --simulate one simulated mouse).
    std::vector<CtlStep> steps;
    /// Why the command line was refused ("" when it was not).
    std::string error;
};

/// Reads the arguments after the program name. Options before, between and after the
/// commands apply to the whole run.
CtlCommandLine parseCtlCommandLine(const std::vector<std::string>& args);

/// The text of --help.
std::string ctlUsage();

} // namespace zel::ctl
