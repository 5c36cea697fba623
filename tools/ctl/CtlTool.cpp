#include "ctl/CtlTool.h"

#include "ctl/ConfigReadback.h"
#include "ctl/CtlCommandLine.h"
#include "ctl/JsonText.h"
#include "ctl/MouseSurvey.h"
#include "dryrun/DryRunSession.h"
#include "session/CoreSession.h"
#include "settings/AppDirSeed.h"
#include "sim/MemoryDecoder.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>

namespace zel::ctl {

namespace {

constexpr const char* kVersion = "1.0.0";

std::string hex16(unsigned value) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04X", value);
    return buf;
}

std::string hexBytes(const std::vector<std::uint8_t>& bytes) {
    std::string out;
    char buf[4];
    for (const std::uint8_t b : bytes) {
        std::snprintf(buf, sizeof buf, "%02X", static_cast<unsigned>(b));
        out += buf;
    }
    return out;
}

const char* kindName(ProductKind kind) {
    switch (kind) {
    case ProductKind::Pid1201:
        return "1201";
    case ProductKind::Pid1040:
        return "1040";
    case ProductKind::NotSeen:
        break;
    }
    return "none";
}

/// Warnings go to standard error with the language pack's text, and are counted.
class TerminalWarnings final : public WarningSink {
public:
    TerminalWarnings(std::ostream& err, const LanguagePack* pack) : m_err(err), m_pack(pack) {}
    void setPack(const LanguagePack* pack) { m_pack = pack; }
    void warn(Tip tip) override {
        tips.push_back(tip);
        std::string text = m_pack != nullptr ? m_pack->tipText(tip) : std::string();
        m_err << "zel-gmousectl: warning " << tipNumber(tip);
        if (!text.empty()) {
            m_err << ": " << text;
        }
        m_err << '\n';
    }
    std::vector<Tip> tips;

private:
    std::ostream& m_err;
    const LanguagePack* m_pack;
};

class TerminalMessages final : public MessageSink {
public:
    explicit TerminalMessages(std::ostream& err) : m_err(err) {}
    void message(const std::string& text) override { m_err << "zel-gmousectl: " << text << '\n'; }

private:
    std::ostream& m_err;
};

/// Answers every file question with the file named on the command line.
class NamedFile final : public FileChooser {
public:
    std::optional<std::string> chooseOpen(const FileRequest&) override { return file; }
    std::optional<std::string> chooseSave(const FileRequest&) override { return file; }
    std::optional<std::string> file;
};

class NoRepaint final : public RepaintSink {
public:
    void repaint() override {}
};

/// A progress line that a terminal overwrites in place; nothing elsewhere.
class ProgressLine {
public:
    ProgressLine(std::ostream& err, bool terminal, std::string what)
        : m_err(err), m_terminal(terminal), m_what(std::move(what)) {}
    ~ProgressLine() { finish(); }
    void block(std::uint16_t address) {
        ++m_blocks;
        if (m_terminal) {
            m_err << '\r' << m_what << ": block " << m_blocks << " at " << hex16(address)
                  << std::flush;
        }
    }
    void finish() {
        if (m_terminal && m_blocks > 0) {
            m_err << '\n';
        }
        m_blocks = 0;
    }

private:
    std::ostream& m_err;
    bool m_terminal;
    std::string m_what;
    int m_blocks = 0;
};

void decodedJson(JsonWriter& json, const sim::DecodedMemory& d) {
    json.value("profile", d.profile).value("fullHeader", d.fullHeader);
    json.beginArray("buttons");
    for (std::size_t p = 0; p < d.buttons.size(); ++p) {
        json.beginArray();
        for (std::size_t b = 1; b < d.buttons[p].size(); ++b) {
            const auto& button = d.buttons[p][b];
            json.beginObject()
                .value("button", static_cast<int>(b))
                .value("function", static_cast<int>(button.function))
                .value("react", button.reactEnable)
                .value("reactType", static_cast<int>(button.reactType))
                .endObject();
        }
        json.endArray();
    }
    json.endArray();
    json.beginObject("dpi")
        .value("level", d.dpiLevel)
        .value("enabled", static_cast<int>(d.dpiEnableBits));
    json.beginArray("codes");
    for (const int code : d.dpiCode) {
        json.element(code);
    }
    json.endArray().beginArray("colours");
    for (const auto& c : d.dpiColour) {
        json.beginArray().element(c[0]).element(c[1]).element(c[2]).endArray();
    }
    json.endArray().endObject();
    json.value("rapidFire", d.rapidFire)
        .value("reportInterval", d.reportInterval)
        .value("functionMask", d.functionMask);
    json.beginObject("lighting")
        .value("effect", d.effect)
        .value("flag", d.effectFlag)
        .value("speed", d.effectSpeed)
        .value("colourMask", static_cast<int>(d.colourMask))
        .value("brightness", d.brightness)
        .value("direction", d.direction)
        .value("symmetry", d.symmetry);
    json.beginArray("colours");
    for (const auto& c : d.userColour) {
        json.beginArray().element(c[0]).element(c[1]).element(c[2]).endArray();
    }
    json.endArray().endObject();
    json.beginArray("macroColours");
    for (std::size_t b = 2; b < d.macroColour.size(); ++b) {
        json.element(d.macroColour[b]);
    }
    json.endArray();
    json.beginObject("macroArea").value("end", d.macroEnd);
    json.beginArray("reserved");
    for (const int area : d.reservedAreas) {
        json.element(area);
    }
    json.endArray().value("mode", static_cast<int>(d.modeByte)).endObject();
    json.beginArray("directory");
    for (std::size_t p = 0; p < d.directory.size(); ++p) {
        for (std::size_t b = 1; b < d.directory[p].size(); ++b) {
            const auto& e = d.directory[p][b];
            if (!e.used) {
                continue;
            }
            json.beginObject()
                .value("profile", static_cast<int>(p))
                .value("button", static_cast<int>(b))
                .value("address", static_cast<int>(e.address))
                .value("steps", e.stepCount)
                .value("loop", e.loop)
                .value("hold", e.hold)
                .value("toggle", e.toggle)
                .value("repeat", e.repeat)
                .value("key", static_cast<int>(e.keyCode))
                .value("consumer", static_cast<int>(e.consumerUsage))
                .endObject();
        }
    }
    json.endArray();
    json.beginArray("macros");
    for (const auto& [address, macro] : d.macros) {
        json.beginObject()
            .value("address", static_cast<int>(address))
            .value("repeat", macro.repeat)
            .beginArray("steps");
        for (const sim::DecodedStep& s : macro.steps) {
            const char* kind = "release";
            switch (s.kind) {
            case sim::DecodedStepKind::Press:
                kind = "press";
                break;
            case sim::DecodedStepKind::Release:
                kind = "release";
                break;
            case sim::DecodedStepKind::Move:
                kind = "move";
                break;
            case sim::DecodedStepKind::Cpi:
                kind = "cpi";
                break;
            case sim::DecodedStepKind::Lighting:
                kind = "lighting";
                break;
            }
            json.beginObject()
                .value("kind", kind)
                .value("code", static_cast<int>(s.code))
                .value("delay", s.delay);
            if (s.kind == sim::DecodedStepKind::Move) {
                json.value("x", s.x).value("y", s.y);
            }
            if (s.kind == sim::DecodedStepKind::Cpi) {
                json.value("action", s.cpiAction).value("value", static_cast<int>(s.cpiValue));
            }
            if (s.kind == sim::DecodedStepKind::Lighting) {
                json.value("slot", static_cast<int>(s.light.address))
                    .value("lightKind", s.light.kind)
                    .value("entries", static_cast<int>(s.light.entries.size()));
            }
            json.endObject();
        }
        json.endArray().endObject();
    }
    json.endArray();
}

class CtlRun {
public:
    CtlRun(const CtlCommandLine& line, const CtlEnvironment& env, std::string appDir)
        : m_line(line), m_env(env), m_warnings(env.err, nullptr), m_messages(env.err),
          m_session(sessionOptions(appDir),
                    CoreSinks{m_warnings, m_messages, m_chooser, m_view, m_owner}),
          m_appDir(std::move(appDir)) {}

    int run() {
        const bool listOnly =
            std::all_of(m_line.steps.begin(), m_line.steps.end(),
                        [](const CtlStep& s) { return s.command == CtlCommand::List; });
        if (m_session.hasSettings()) {
            m_session.loadSettings();
            if (!m_session.settingsProblem().empty()) {
                m_messages.message(m_session.settingsProblem() + "; the factory profiles are used");
            }
            m_session.createDevice();
            m_session.loadLanguage();
            m_warnings.setPack(&m_session.pack());
            m_session.loadMacros();
            m_session.loadPresets();
        } else if (listOnly) {
            m_session.createDevice();
        } else {
            m_env.err << "zel-gmousectl: no settings file in " << m_appDir
                      << " (give the data folder with --app-dir)\n";
            return static_cast<int>(CtlExit::NoSettings);
        }
        for (const CtlStep& step : m_line.steps) {
            const int status = runStep(step);
            if (status != static_cast<int>(CtlExit::Ok)) {
                return status;
            }
        }
        return static_cast<int>(CtlExit::Ok);
    }

private:
    CoreSessionOptions sessionOptions(const std::string& appDir) {
        CoreSessionOptions options;
        options.appDir = appDir;
        options.simulate = m_line.simulate;
        options.simulatedProduct = m_line.simulatedProduct;
        options.backend = m_env.backend;
        options.linkSleeper = m_env.sleeper;
        options.pointer = m_env.pointer;
        options.downloadHooks.onStep = [this](const ImageOp& op) {
            if (m_onStep) {
                m_onStep(op);
            }
        };
        return options;
    }

    int runStep(const CtlStep& step) {
        switch (step.command) {
        case CtlCommand::List:
            return list();
        case CtlCommand::Status:
            return status();
        case CtlCommand::Apply:
            return apply(step.profile);
        case CtlCommand::Read:
            return read(step.raw);
        case CtlCommand::Export:
            return exportTo(step.file);
        case CtlCommand::Import:
            return importFrom(step.file);
        }
        return static_cast<int>(CtlExit::Usage);
    }

    std::vector<SurveyedMouse> survey() {
        return surveyMice(m_session.backend(), m_session.description().deviceString);
    }

    /// Says why there is no mouse to talk to: none at all, or nodes that do not open.
    int noMouse() {
        const auto mice = survey();
        const auto closed = std::find_if(mice.begin(), mice.end(),
                                         [](const SurveyedMouse& m) { return !m.openable; });
        if (closed != mice.end()) {
            m_env.err << "zel-gmousectl: the mouse is there but cannot be opened ("
                      << closed->openProblem << ")\n"
                      << udevHint();
        } else {
            m_env.err << "zel-gmousectl: no mouse found\n";
        }
        return static_cast<int>(CtlExit::NoMouse);
    }

    bool connected() {
        if (m_session.state().connected.load()) {
            return true;
        }
        return m_session.connect();
    }

    int list() {
        const auto mice = survey();
        bool anyOpenable = false;
        if (m_line.json) {
            JsonWriter json;
            json.beginObject().beginArray("mice");
            for (const SurveyedMouse& m : mice) {
                json.beginObject()
                    .value("productId", "0x" + hex16(m.productId))
                    .value("productKind", kindName(m.kind))
                    .value("productString", m.productString)
                    .value("eventPath", m.eventPath)
                    .value("featurePath", m.featurePath)
                    .value("accepted", m.accepted)
                    .value("openable", m.openable);
                if (!m.openProblem.empty()) {
                    json.value("problem", m.openProblem);
                }
                json.endObject();
            }
            json.endArray().endObject();
            m_env.out << json.text() << '\n';
        }
        int number = 0;
        for (const SurveyedMouse& m : mice) {
            anyOpenable = anyOpenable || m.openable;
            if (m_line.json) {
                continue;
            }
            m_env.out << "mouse " << ++number << ": " << m.productString << " (product 0x"
                      << hex16(m.productId) << ", kind " << kindName(m.kind) << ")"
                      << (m.accepted ? "" : ", not this model's product string") << '\n'
                      << "  events:  " << (m.eventPath.empty() ? "-" : m.eventPath) << '\n'
                      << "  feature: " << (m.featurePath.empty() ? "-" : m.featurePath) << '\n';
            if (!m.openable) {
                m_env.out << "  cannot be used: "
                          << (m.openProblem.empty() ? "a collection is missing" : m.openProblem)
                          << '\n';
            }
        }
        if (mice.empty()) {
            m_env.err << "zel-gmousectl: no mouse found\n";
            return static_cast<int>(CtlExit::NoMouse);
        }
        if (!anyOpenable) {
            const auto closed = std::find_if(mice.begin(), mice.end(), [](const SurveyedMouse& m) {
                return !m.openProblem.empty();
            });
            if (closed != mice.end()) {
                m_env.err << udevHint();
            }
            return static_cast<int>(CtlExit::NoMouse);
        }
        return static_cast<int>(CtlExit::Ok);
    }

    int status() {
        if (!connected()) {
            return noMouse();
        }
        DeviceLink& link = m_session.link();
        const std::vector<std::uint8_t> reply = link.statusReport();
        const int profile = reply.size() > 6 ? (reply[6] >> 2) & 3 : 0;
        // The status report names the profile only; the DPI level is the one the mouse's
        // memory holds (set by the last download).
        const std::vector<std::uint8_t> dpi = link.readBlock(kDpiAddress, 1);
        const int dpiLevel = dpi.empty() ? 0 : (dpi[0] - kDpiLevelBase) & 7;
        if (m_line.json) {
            JsonWriter json;
            json.beginObject()
                .value("path", link.devicePath())
                .value("productKind", kindName(link.productKind()))
                .value("profile", profile)
                .value("dpiLevel", dpiLevel)
                .endObject();
            m_env.out << json.text() << '\n';
        } else {
            m_env.out << "mouse: " << link.devicePath() << " (kind " << kindName(link.productKind())
                      << ")\nprofile: " << profile << "\ndpi level: " << dpiLevel << '\n';
        }
        return static_cast<int>(CtlExit::Ok);
    }

    int apply(int profile) {
        if (profile >= 0) {
            m_session.manager().selectProfile(profile);
        }
        if (!connected()) {
            return noMouse();
        }
        // Apply saves the profiles first, so the file names the profile the mouse gets.
        if (!m_session.profiles().saveAllProfiles(m_session.folders().settingsFile(),
                                                  m_session.state().currentProfile.load())) {
            m_messages.message("the settings file could not be written");
        }
        const std::size_t warningsBefore = m_warnings.tips.size();
        ProgressLine progress(m_env.err, m_env.terminal, "apply");
        m_onStep = [&progress](const ImageOp& op) {
            if (const auto* write = std::get_if<BlockWrite>(&op)) {
                progress.block(write->address);
            }
        };
        const auto started = std::chrono::steady_clock::now();
        const DownloadResult result = m_session.runDownload();
        const auto elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started);
        m_onStep = {};
        progress.finish();
        if (result != DownloadResult::Completed) {
            m_env.err << "zel-gmousectl: the download stopped\n";
            return static_cast<int>(CtlExit::Refused);
        }
        if (!m_line.json) {
            char seconds[32];
            std::snprintf(seconds, sizeof seconds, "%.2f", elapsed.count());
            m_env.out << "applied profile " << m_session.state().currentProfile.load() << " to "
                      << m_session.link().devicePath() << " in " << seconds << " s";
            if (m_warnings.tips.size() > warningsBefore) {
                m_env.out << " with " << (m_warnings.tips.size() - warningsBefore) << " warning(s)";
            }
            m_env.out << '\n';
        }
        if (m_session.profiles().shared.softHardMacro == 1) {
            m_messages.message("software macros are on: their buttons play only while the "
                               "program runs");
        }
        return static_cast<int>(CtlExit::Ok);
    }

    int read(bool raw) {
        if (!connected()) {
            return noMouse();
        }
        ProgressLine progress(m_env.err, m_env.terminal, "read");
        const ConfigReadback back = readConfiguration(
            m_session.link(), m_session.link().productKind() == ProductKind::Pid1201,
            [&progress](const BlockWrite& block) { progress.block(block.address); });
        progress.finish();
        if (raw) {
            if (m_line.json) {
                JsonWriter json;
                json.beginObject().beginArray("blocks");
                for (const BlockWrite& block : back.blocks) {
                    json.beginObject()
                        .value("address", static_cast<int>(block.address))
                        .value("bytes", hexBytes(block.bytes))
                        .endObject();
                }
                json.endArray().endObject();
                m_env.out << json.text() << '\n';
            } else {
                for (const BlockWrite& block : back.blocks) {
                    m_env.out << dryrun::formatBlockWrite(block) << '\n';
                }
            }
            return static_cast<int>(CtlExit::Ok);
        }
        const sim::DecodedMemory decoded = sim::decodeMemory(back.image);
        if (m_line.json) {
            JsonWriter json;
            json.beginObject();
            decodedJson(json, decoded);
            json.endObject();
            m_env.out << json.text() << '\n';
        } else {
            for (const std::string& text : sim::describeMemory(decoded)) {
                m_env.out << text << '\n';
            }
        }
        return static_cast<int>(CtlExit::Ok);
    }

    int exportTo(const std::string& file) {
        m_chooser.file = file;
        const std::size_t before = m_warnings.tips.size();
        m_session.manager().exportProfiles();
        if (m_warnings.tips.size() > before) {
            return static_cast<int>(CtlExit::Refused);
        }
        m_env.out << "exported the profiles to " << file << '\n';
        return static_cast<int>(CtlExit::Ok);
    }

    int importFrom(const std::string& file) {
        m_chooser.file = file;
        const std::size_t before = m_warnings.tips.size();
        m_session.manager().importProfiles();
        if (m_warnings.tips.size() > before) {
            return static_cast<int>(CtlExit::Refused);
        }
        m_env.out << "imported the profiles from " << file << " (the mouse gets them with apply)\n";
        return static_cast<int>(CtlExit::Ok);
    }

    /// The DPI byte of the configuration memory holds 0x18 + the DPI level.
    static constexpr std::uint16_t kDpiAddress = 0x18;
    static constexpr int kDpiLevelBase = 0x18;

    const CtlCommandLine& m_line;
    const CtlEnvironment& m_env;
    TerminalWarnings m_warnings;
    TerminalMessages m_messages;
    NamedFile m_chooser;
    NoRepaint m_view;
    InlineOwnerTasks m_owner;
    std::function<void(const ImageOp&)> m_onStep;
    CoreSession m_session;
    std::string m_appDir;
};

std::string findAppDir(const CtlCommandLine& line, const CtlEnvironment& env) {
    AppDirChoice choice;
    choice.option = line.appDir;
    choice.environment = env.appDirFromEnvironment;
    choice.executableFolder = env.executableFolder;
    if (!choice.option && !choice.environment) {
        const std::string dataHome = env.dataHome.empty() ? userDataHome() : env.dataHome;
        if (const auto located = locateAppDir(env.executableFolder, dataHome)) {
            return *located;
        }
    }
    return resolveAppDir(choice);
}

} // namespace

std::string udevHint() {
    return "zel-gmousectl: the udev rule that lets the logged-in user open the mouse seems "
           "to be missing.\n"
           "  Install 70-zel-gmouse.rules into /etc/udev/rules.d (the package does this), "
           "then run\n"
           "  udevadm control --reload-rules && udevadm trigger, and plug the mouse in "
           "again.\n";
}

int runCtl(const std::vector<std::string>& args, const CtlEnvironment& environment) {
    const CtlCommandLine line = parseCtlCommandLine(args);
    if (line.help) {
        environment.out << ctlUsage();
        return static_cast<int>(CtlExit::Ok);
    }
    if (line.version) {
        environment.out << "zel-gmousectl " << kVersion << '\n';
        return static_cast<int>(CtlExit::Ok);
    }
    if (!line.error.empty()) {
        environment.err << "zel-gmousectl: " << line.error << "\n"
                        << "Try 'zel-gmousectl --help'.\n";
        return static_cast<int>(CtlExit::Usage);
    }
    CtlRun run(line, environment, findAppDir(line, environment));
    return run.run();
}

} // namespace zel::ctl
