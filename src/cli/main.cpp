// quilm-cli: the headless tool on Quilm's engine.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#ifndef QUILM_CLI_FRONT
#include <QGuiApplication>
#endif
#include <cstdio>
#include <memory>
#include <vector>

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "base/MFileName.h"
#include "base/MInterrupt.h"
#include "cli/CdgFrameCommand.h"
#include "cli/CdgInfoCommand.h"
#ifndef QUILM_CLI_FRONT
#include "audio/MLibraryLog.h"
#include "cli/CdgDemoCommand.h"
#include "cli/DemoCommand.h"
#include "cli/ExportCommand.h"
#include "cli/PlayCommand.h"
#include "cli/ProjectInfoCommand.h"
#include "cli/ProjectNewCommand.h"
#include "cli/ProjectRenderCommand.h"
#include "cli/SetCommand.h"
#include "log/MLogSetup.h"
#endif

namespace {

std::vector<std::unique_ptr<CliCommand>> Commands() {
    std::vector<std::unique_ptr<CliCommand>> commands;
    commands.push_back(std::make_unique<CdgInfoCommand>());
    commands.push_back(std::make_unique<CdgFrameCommand>());
#ifndef QUILM_CLI_FRONT
    commands.push_back(std::make_unique<CdgDemoCommand>());
    commands.push_back(std::make_unique<DemoCommand>());
    commands.push_back(std::make_unique<ProjectNewCommand>());
    commands.push_back(std::make_unique<ProjectInfoCommand>());
    commands.push_back(std::make_unique<SetCommand>());
    commands.push_back(std::make_unique<ProjectRenderCommand>());
    commands.push_back(std::make_unique<ExportCommand>());
    commands.push_back(std::make_unique<PlayCommand>());
#endif
    return commands;
}

void PrintUsage(const std::vector<std::unique_ptr<CliCommand>>& commands, FILE* to) {
    std::fputs("Usage: quilm-cli COMMAND [ARGS...]\n\nCommands:\n", to);
    for (const auto& c : commands) {
        std::fprintf(to, "  %-12s %s\n", c->Name().toLocal8Bit().constData(),
                     c->Summary().toLocal8Bit().constData());
    }
    std::fputs("\nRun 'quilm-cli COMMAND --help' for the arguments of a command.\n", to);
}

#ifdef QUILM_CLI_FRONT
// Hands the command to quilm-cli-full, which sits beside this program.
int RunFull(char** argv) {
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof(self) - 1);
    std::string path = n > 0 ? std::string(self, static_cast<size_t>(n)) : std::string(argv[0]);
    const size_t slash = path.rfind('/');
    path =
        (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + "quilm-cli-full";
    // A signal that comes while the other program starts waits for its handlers.
    MInterrupt::Block();
    ::execv(path.c_str(), argv);
    std::fprintf(stderr, "quilm-cli: cannot run %s: %s\n", path.c_str(), std::strerror(errno));
    return CliCommand::kFailed;
}
#endif

}  // namespace

int main(int argc, char** argv) {
    // A signal cancels the work in hand, which then cleans up after itself.
    MInterrupt::Install();
    QStringList args;
    for (int i = 1; i < argc; ++i) {
        args << MFileName::Decode(argv[i]);
    }
    auto commands = Commands();
#ifdef QUILM_CLI_FRONT
    if (!args.isEmpty() && args[0] == QLatin1String("cdg") && args.size() >= 2 &&
        (args[1] == QLatin1String("info") || args[1] == QLatin1String("frame"))) {
        // handled here
    } else {
        return RunFull(argv);
    }
#endif
    if (args.isEmpty() || args[0] == QLatin1String("--help") || args[0] == QLatin1String("-h") ||
        args[0] == QLatin1String("help")) {
        PrintUsage(commands, args.isEmpty() ? stderr : stdout);
        return args.isEmpty() ? CliCommand::kUsage : CliCommand::kOk;
    }
    if (args[0] == QLatin1String("--version")) {
        std::printf("quilm-cli %s\n", QUILM_VERSION);
        return CliCommand::kOk;
    }
    // A group of commands ("cdg") alone or with --help lists its commands.
    if (args.size() <= 2 && (args.size() == 1 || args[1] == QLatin1String("--help") ||
                             args[1] == QLatin1String("-h"))) {
        const QString group = args[0] + QLatin1Char(' ');
        std::vector<std::unique_ptr<CliCommand>> members;
        for (auto& c : commands) {
            if (c->Name().startsWith(group)) {
                members.push_back(std::move(c));
            }
        }
        if (!members.empty()) {
            PrintUsage(members, args.size() == 1 ? stderr : stdout);
            return args.size() == 1 ? CliCommand::kUsage : CliCommand::kOk;
        }
    }
    // The longest run of leading words that names a command.
    CliCommand* chosen = nullptr;
    int words = 0;
    for (const auto& c : commands) {
        const QStringList name = c->Name().split(QLatin1Char(' '));
        if (name.size() > words && args.size() >= name.size() && args.mid(0, name.size()) == name) {
            chosen = c.get();
            words = static_cast<int>(name.size());
        }
    }
    if (chosen == nullptr) {
        std::fprintf(stderr, "quilm-cli: unknown command '%s'\n",
                     args.join(QLatin1Char(' ')).toLocal8Bit().constData());
        PrintUsage(commands, stderr);
        return CliCommand::kUsage;
    }
    std::unique_ptr<QCoreApplication> app;
#ifndef QUILM_CLI_FRONT
    // The libraries' own lines go to the trace log; the terminal gets ours only.
    MLibraryLog::RouteToTrace();
#endif
#ifdef QUILM_CLI_FRONT
    if (chosen->NeedsApplication()) {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
#else
    if (chosen->NeedsFonts()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        // play finds the sound server as every other client does, through the variable as the
        // user has it.
        if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") &&
            chosen->Name() != QLatin1String("play")) {
            // Qt wants a private runtime folder for the font system and complains without one.
            const QString runtime =
                QDir::temp().filePath(QStringLiteral("quilm-runtime-%1").arg(getuid()));
            QDir().mkpath(runtime);
            QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
        }
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else if (chosen->NeedsApplication()) {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
#endif
    QCoreApplication::setApplicationName(QStringLiteral("quilm-cli"));
#ifndef QUILM_CLI_FRONT
    MLogSetup::ApplyEnvironment();
#endif
    const int code = chosen->Run(args.mid(words));
    // Work that was complete when the signal came stands; anything else ends as the signal would.
    return code != CliCommand::kOk && MInterrupt::Requested() ? MInterrupt::ExitCode() : code;
}
