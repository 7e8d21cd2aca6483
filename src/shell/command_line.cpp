#include "shell/command_line.h"

#include <QCommandLineParser>
#include <cstdio>
#include <cstdlib>

#include "platform/path_text.h"
#include "platform/paths.h"

namespace corvane {

namespace {

// Options Qt takes for itself when the application object is built. They are
// known here only so that they are not refused.
const char* const kQtValueOptions[] = {"platform",      "platformpluginpath",
                                       "platformtheme", "plugin",
                                       "qmljsdebugger", "qwindowgeometry",
                                       "geometry",      "qwindowicon",
                                       "icon",          "qwindowtitle",
                                       "title",         "session",
                                       "display",       "name",
                                       "style",         "stylesheet",
                                       "visual"};
const char* const kQtFlagOptions[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

void Print(FILE* to, const QString& text) {
  std::fputs(text.toLocal8Bit().constData(), to);
}

}  // namespace

CommandLine ParseCommandLine(int argc, const char* const* argv, const std::string& cwd) {
  QCommandLineParser parser;
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  parser.setApplicationDescription(
      QStringLiteral("Destroys files for good. Opens the window with the FILEs listed; a "
                     "FOLDER is listed with its whole tree, as Browse For A Folder lists it. "
                     "Nothing is destroyed before the Delete command is confirmed."));
  const QCommandLineOption help = parser.addHelpOption();
  const QCommandLineOption version = parser.addVersionOption();
  const QCommandLineOption wipe(
      QStringLiteral("wipe-free-space"),
      QStringLiteral("Overwrite the free space of the file system holding FOLDER, after asking: "
                     "it reaches old copies of deleted files that overwriting in place cannot "
                     "(copy-on-write file systems such as btrfs, files deleted by other "
                     "programs). The disk is full while it runs."),
      QStringLiteral("FOLDER"));
  parser.addOption(wipe);
  const QCommandLineOption uris(
      QStringLiteral("uris"),
      QStringLiteral("The FILEs are URIs or absolute paths, as a file manager hands them. Only "
                     "files of this computer are listed; any other URI is refused and named."));
  parser.addOption(uris);
  for (const char* name : kQtValueOptions) {
    QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(option);
  }
  for (const char* name : kQtFlagOptions) {
    QCommandLineOption option(QString::fromLatin1(name));
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(option);
  }
  parser.addPositionalArgument(QStringLiteral("FILE|FOLDER"),
                               QStringLiteral("Files and folders to list for destruction."),
                               QStringLiteral("[FILE|FOLDER...]"));

  // Latin-1 maps every byte to one character and back, so the paths come out
  // exactly as they went in, whatever their encoding.
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLatin1(argv[i]);
  if (arguments.isEmpty()) arguments << QStringLiteral("corvane");

  CommandLine result;
  if (!parser.parse(arguments)) {
    Print(stderr, QStringLiteral("corvane: %1\nTry 'corvane --help' for more information.\n")
                      .arg(parser.errorText()));
    result.exitCode = 2;
    return result;
  }
  if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
    // The usage line names the program as it was called.
    Print(stdout, parser.helpText().replace(QStringLiteral("<executable_name>"), arguments[0]));
    result.exitCode = 0;
    return result;
  }
  if (parser.isSet(version)) {
    std::fputs("corvane " CORVANE_VERSION "\n", stdout);
    result.exitCode = 0;
    return result;
  }
  const char* override = std::getenv("QT_STYLE_OVERRIDE");
  result.styleNamed =
      parser.isSet(QStringLiteral("style")) || (override != nullptr && *override != '\0');
  if (parser.isSet(wipe)) {
    const QString folder = parser.value(wipe);
    if (folder.isEmpty() || !parser.positionalArguments().isEmpty()) {
      Print(stderr, QStringLiteral("corvane: --wipe-free-space takes one folder and nothing "
                                   "else.\nTry 'corvane --help' for more information.\n"));
      result.exitCode = 2;
      return result;
    }
    result.wipeFolder = AbsolutePath(folder.toLatin1().toStdString(), cwd);
  }
  for (const QString& argument : parser.positionalArguments()) {
    if (argument.isEmpty()) continue;
    std::string bytes = argument.toLatin1().toStdString();
    if (parser.isSet(uris) && bytes.front() != '/') {
      // A launcher hands absolute paths or URIs: without --uris, "sftp://h/x"
      // would be a relative path, which may exist.
      if (std::optional<std::string> local = LocalPathOfUri(bytes); local && !local->empty())
        result.paths.push_back(AbsolutePath(*local, cwd));
      else
        result.remote.push_back(std::move(bytes));
      continue;
    }
    result.paths.push_back(AbsolutePath(bytes, cwd));
  }
  // Rebuilt from what the parser took as options: what came after "--" is
  // a positional argument to it, whatever it looks like.
  result.toolkitArguments.push_back(arguments[0].toLatin1().toStdString());
  for (const char* name : kQtValueOptions) {
    for (const QString& value : parser.values(QString::fromLatin1(name))) {
      result.toolkitArguments.push_back(std::string("-") + name);
      result.toolkitArguments.push_back(value.toLatin1().toStdString());
    }
  }
  for (const char* name : kQtFlagOptions) {
    if (parser.isSet(QString::fromLatin1(name)))
      result.toolkitArguments.push_back(std::string("-") + name);
  }
  return result;
}

}  // namespace corvane
