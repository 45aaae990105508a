#pragma once

#include <QString>
#include <QStringList>

class QCommandLineParser;

// What both programs print about their command line, worded alike: the help text, the version
// line and usage errors.
namespace CommandLine
{
// Exit status of a usage error.
inline constexpr int intExitUsage = 2;

// Parses arguments (the program's path first) with parser. "" when they hold nothing but the
// parser's options, otherwise the usage error: the parser's own, or the first argument that is no
// option.
QString Parse(QCommandLineParser& parser, const QStringList& arguments);

// "<program> <version>".
QString VersionLine(const QString& strProgram);

// The parser's help text with the program's own name in the usage line (rather than the path it
// was started by), followed by strEpilogue when there is one.
QString HelpText(const QCommandLineParser& parser, const QString& strProgram, const QString& strEpilogue = {});

// One line, without its line end: "<program>: <error> See <program> --help."
QString UsageErrorLine(const QString& strProgram, const QString& strError);

// Writes UTF-8 text to standard output or standard error and flushes it.
void WriteOut(const QString& strText);
void WriteErr(const QString& strText);
} // namespace CommandLine
