#pragma once

#include <QCommandLineParser>
#include <QDir>
#include <QString>
#include <QStringList>

// One command of quilm-cli, such as "cdg info". Commands print results on stdout and one-line
// messages on stderr, and return the process exit code.
class CliCommand {
public:
    enum ExitCode { kOk = 0, kFailed = 1, kUsage = 2 };

    virtual ~CliCommand() = default;
    // The words that select the command, e.g. "cdg info".
    virtual QString Name() const = 0;
    virtual QString Summary() const = 0;
    // Whether the command draws text (and so needs the font system).
    virtual bool NeedsFonts() const { return false; }
    // Whether the command needs a Qt application object at all (starting one takes a while).
    virtual bool NeedsApplication() const { return true; }
    // args holds the arguments after the command words.
    virtual int Run(const QStringList& args) = 0;

    // A time given as seconds ("75.5") or minutes and seconds ("1:15.50"); -1 when the text is
    // neither or the time is negative.
    static double ParseSeconds(const QString& text);

protected:
    // Parses args with parser (a --help option is added). Returns kOk to go on, or the exit code
    // to return at once (after printing help or an error).
    int Parse(QCommandLineParser& parser, const QStringList& args, const QString& syntax);
    // For commands whose only argument is "-o DIR": parses args and makes the folder (by default
    // a new one under the current folder, named after the time). Returns kOk with dir set to the
    // folder's absolute path, or the exit code to return at once.
    int ParseOutputFolder(const QStringList& args, QDir& dir);
    int Fail(const QString& message) const;
    int UsageError(const QString& message) const;
    // kOk when files holds exactly one name, else the usage error about the given kind of file
    // ("project file").
    int ExactlyOne(const QStringList& files, const QString& kind) const;
    static void Out(const QString& line);
    static void Err(const QString& line);
};
